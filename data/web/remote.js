// SPDX-License-Identifier: GPL-3.0-or-later
// The phone remote: one WebSocket to the console. The PIN goes first; then every button sends
// a command and the console answers, and pushes its state whenever it changes.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const kPictures = 16;
  const kReconnectMs = 1500;

  let socket = null;
  let pin = '';
  let authorized = false;
  let refused = false;      // the console said no: do not knock again by itself
  let state = null;
  let latchMode = false;
  let lastTempoSent = 0;
  let levelDragging = false;
  const held = new Set();   // pictures held down by this page

  // ------------------------------------------------------------ connection
  function Connect() {
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    socket = new WebSocket(scheme + location.host + '/ws');
    socket.onopen = () => socket.send(JSON.stringify({ pin }));
    socket.onmessage = (event) => {
      let message;
      try { message = JSON.parse(event.data); } catch (e) { return; }
      Handle(message);
    };
    socket.onclose = () => {
      const wasIn = authorized;
      authorized = false;
      $('link').classList.remove('on');
      if (wasIn && !refused) {
        Status('Связь с пультом потеряна, подключаюсь…');
        setTimeout(Connect, kReconnectMs);
      } else {
        ShowLogin();
      }
    };
  }

  function Send(message) {
    if (socket && socket.readyState === WebSocket.OPEN && authorized) {
      socket.send(JSON.stringify(message));
      return true;
    }
    return false;
  }

  function Handle(m) {
    switch (m.type) {
      case 'welcome':
        authorized = true;
        refused = false;
        $('login').hidden = true;
        $('remote').hidden = false;
        $('link').classList.add('on');
        Status('');
        Watch();
        break;
      case 'state':
        state = m;
        Render();
        break;
      case 'reply':
        Status(m.ok ? '' : m.error);
        break;
      case 'level':
        if (m.n === Channel()) {
          $('channelOut').textContent = 'выход ' + m.level;
          if (!levelDragging) {
            $('level').value = m.level;
            $('levelValue').textContent = m.level;
          }
        }
        break;
      case 'denied':
      case 'busy':
        refused = true;
        authorized = false;
        $('loginMessage').textContent = m.message;
        break;
    }
  }

  function ShowLogin() {
    $('remote').hidden = true;
    $('login').hidden = false;
    $('pin').value = '';
    $('pin').focus();
  }

  function Status(text) {
    $('status').textContent = text || '';
  }

  // ------------------------------------------------------------ what the console shows
  function Render() {
    if (!state) return;
    $('scene').textContent = state.scene;
    $('lastScene').textContent = state.lastScene;
    $('show').textContent = state.show || 'без имени';
    const play = $('play');
    play.textContent = state.playing ? 'Стоп' : 'Пуск';
    play.classList.toggle('stop', state.playing);
    $('playState').textContent = state.playing ? 'Идет' : 'Стоп';
    $('playState').classList.toggle('on', state.playing);
    $('blackout').classList.toggle('on', state.blackOut);
    if (document.activeElement !== $('tempo')) $('tempo').value = state.tempo;
    $('tempoValue').textContent = state.tempo;
    for (let k = 1; k <= kPictures; ++k) {
      const b = PictureButton(k);
      b.classList.toggle('on', state.pictures[k - 1]);
      b.classList.toggle('latched', state.latched[k - 1]);
    }
    // A channel's level is set for focusing, with the show standing still.
    $('level').disabled = state.playing;
    $('channelMessage').textContent = state.playing
      ? 'Идет воспроизведение: уровень канала не меняется' : '';
  }

  // ------------------------------------------------------------ buttons
  $('pinForm').addEventListener('submit', (event) => {
    event.preventDefault();
    const typed = $('pin').value.trim();
    if (!/^[0-9]{4,8}$/.test(typed)) {
      $('loginMessage').textContent = 'PIN — от 4 до 8 цифр';
      return;
    }
    pin = typed;
    refused = false;
    $('loginMessage').textContent = 'Подключение…';
    if (socket) {
      socket.onclose = null;
      socket.close();
    }
    Connect();
  });

  $('previous').addEventListener('click', () => Send({ cmd: 'previous' }));
  $('next').addEventListener('click', () => Send({ cmd: 'next' }));
  $('play').addEventListener('click', () => Send({ cmd: state && state.playing ? 'stop' : 'play' }));
  $('blackout').addEventListener('click', () => Send({ cmd: 'blackout', on: !(state && state.blackOut) }));

  const tempo = $('tempo');
  tempo.addEventListener('input', () => {
    const value = Number(tempo.value);
    $('tempoValue').textContent = value;
    if (value !== lastTempoSent && Send({ cmd: 'tempo', value })) lastTempoSent = value;
  });

  $('latchMode').addEventListener('click', () => {
    latchMode = !latchMode;
    $('latchMode').setAttribute('aria-pressed', String(latchMode));
  });

  // Sixteen pictures: held down they flash, let go they go off; in latch mode a tap latches
  // or lets go.
  function PictureButton(k) { return $('picture' + k); }
  for (let k = 1; k <= kPictures; ++k) {
    const b = document.createElement('button');
    b.type = 'button';
    b.id = 'picture' + k;
    b.className = 'picture';
    b.textContent = k;
    b.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      if (latchMode) {
        Send({ cmd: 'latch', n: k, on: !(state && state.latched[k - 1]) });
        return;
      }
      try { b.setPointerCapture(event.pointerId); } catch (e) { /* a synthetic pointer */ }
      held.add(k);
      b.classList.add('held');
      Send({ cmd: 'picture', n: k, on: true });
    });
    const letGo = () => {
      if (!held.delete(k)) return;
      b.classList.remove('held');
      Send({ cmd: 'picture', n: k, on: false });
    };
    b.addEventListener('pointerup', letGo);
    b.addEventListener('pointercancel', letGo);
    b.addEventListener('lostpointercapture', letGo);
    b.addEventListener('contextmenu', (event) => event.preventDefault());
    $('pictures').appendChild(b);
  }
  // A page that goes to the background lets go of what it holds.
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) for (const k of [...held]) PictureButton(k).dispatchEvent(new Event('pointerup'));
  });

  // The channel page.
  function Channel() {
    const n = Math.round(Number($('channel').value));
    return n >= 1 && n <= 255 ? n : 0;
  }
  function Watch() {
    $('channelOut').textContent = 'выход –';
    Send({ cmd: 'watch', n: Channel() });
  }
  function StepChannel(delta) {
    const n = Math.min(255, Math.max(1, (Channel() || 1) + delta));
    $('channel').value = n;
    Watch();
  }
  $('channelDown').addEventListener('click', () => StepChannel(-1));
  $('channelUp').addEventListener('click', () => StepChannel(1));
  $('channel').addEventListener('change', () => {
    if (!Channel()) $('channel').value = 1;
    Watch();
  });
  const level = $('level');
  level.addEventListener('pointerdown', () => { levelDragging = true; });
  level.addEventListener('pointerup', () => { levelDragging = false; });
  level.addEventListener('change', () => { levelDragging = false; });
  level.addEventListener('input', () => {
    $('levelValue').textContent = level.value;
    const n = Channel();
    if (n) Send({ cmd: 'channel', n, level: Number(level.value) });
  });

  ShowLogin();
})();
