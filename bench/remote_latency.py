#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Latency of a remote: from a command sent to the first DMX packet on the wire that carries it.

Starts the headless player on a pseudo-terminal that this script opens, sends COMMANDS
commands that alternate a static picture's flash on and off (picture 1 holds channel 20 at
200 in the show written here), reads the wire, and times each command to the first packet
that carries its level. Prints the median and the 99th percentile.

Usage: bench/remote_latency.py (--osc PORT | --web PORT | --midi) [--binary build/release/kalvetro]
                               [--commands 200] [--runs 1] [--jack-period 64]

The WebSocket mode logs in with the PIN the player prints and needs python3-websocket. The
MIDI mode starts a JACK server of its own with the dummy driver (jackd2), makes a desk with a
virtual port through librtmidi's C interface, maps its note 36 to a flash of picture 1 in the
player's settings and runs the player with --midi; JACK hands MIDI over once a period, so the
period (frames at 48 kHz) is part of what is measured.

The measuring (player, wire, timing, statistics) is shared by every remote; a mode only says
how a command is sent.
"""
import argparse, ctypes, os, random, socket, statistics, struct, subprocess, sys, tempfile
import threading, queue, time, tty

HEADER = bytes([0xFF, 0xF0, 0xFF, 0xFF, 0xF1, 0x00])
SLOTS = 256
PICTURE = 1            # the picture the commands flash, 1..16
PICTURE_CHANNEL = 20   # the channel it holds
PICTURE_LEVEL = 200


def write_show(path):
    """One scene, every channel dark; picture 1 holds channel 20 at 200."""
    show = bytearray(81920)
    show[132] = 0      # last scene: one scene
    show[133] = 10     # tempo
    for n in range(256, 512):
        show[n] = 255  # fade steps: jump at once
    picture = 4608 + 512 * (PICTURE - 1)
    show[picture + PICTURE_CHANNEL] = 1
    show[picture + 256 + PICTURE_CHANNEL] = PICTURE_LEVEL
    with open(path, "wb") as f:
        f.write(bytes(show))


class Wire:
    """Reads the pseudo-terminal's master end in a thread and decodes the packets: the header,
    then 256 levels with 255 sent as FF FE. Each packet goes to a queue with the time its last
    byte was read."""

    def __init__(self, master):
        self.master = master
        self.packets = queue.Queue()
        self.malformed = 0
        self._stop = False
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()

    def _read(self):
        buffer = bytearray()
        while not self._stop:
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return
            now = time.monotonic()
            buffer += chunk
            while True:
                start = buffer.find(HEADER)
                if start < 0:
                    del buffer[:-len(HEADER)]
                    break
                levels, at = [], start + len(HEADER)
                while len(levels) < SLOTS and at < len(buffer):
                    b = buffer[at]
                    if b == 0xFF:
                        if at + 1 >= len(buffer):
                            break
                        if buffer[at + 1] != 0xFE:  # cut short by the next header
                            self.malformed += 1
                            levels = None
                            break
                        levels.append(255)
                        at += 2
                    else:
                        levels.append(b)
                        at += 1
                if levels is None:
                    del buffer[:at]
                    continue
                if len(levels) < SLOTS:
                    del buffer[:start]
                    break
                self.packets.put((now, levels))
                del buffer[:at]

    def drain(self):
        while not self.packets.empty():
            self.packets.get_nowait()

    def wait_for(self, sent_at, channel, level, timeout=2.0):
        """Time of the first packet read after sent_at with the channel at the level."""
        end = sent_at + timeout
        while True:
            try:
                at, levels = self.packets.get(timeout=max(0.001, end - time.monotonic()))
            except queue.Empty:
                return None
            if at >= sent_at and levels[channel - 1] == level:
                return at


def start_player(binary, show, remote_args, ready="Сцена", config_home=None):
    """The headless player on a fresh pseudo-terminal; returns (process, wire, master, slave,
    the first output line that starts with `ready`)."""
    master, slave = os.openpty()
    tty.setraw(slave)
    port = os.ttyname(slave)
    # Without crossfades a picture let go drops to the scene's level at once, instead of
    # fading down a level a tick: each command has one packet that shows it.
    # Its own settings folder: the phone page makes a PIN of its own for the run.
    env = dict(os.environ, XDG_CONFIG_HOME=config_home or tempfile.mkdtemp())
    player = subprocess.Popen([binary, "--headless", "--port", port, "--crossfade", "off"]
                              + remote_args + [show], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    line = ""
    for line in player.stdout:  # the remotes listen by the time the line comes
        if line.startswith(ready):
            break
    # Its scene lines keep coming; read them so that the pipe never fills.
    threading.Thread(target=lambda: [None for _ in player.stdout], daemon=True).start()
    return player, Wire(master), master, slave, line


def measure(send, wire, commands, seed=1):
    """Sends `commands` commands through send(on) and times each to its packet; the gaps
    between commands are random so that they fall on every phase of the output period."""
    rng = random.Random(seed)
    latencies, lost = [], 0
    on = False
    for _ in range(commands):
        on = not on
        time.sleep(rng.uniform(0.02, 0.07))
        wire.drain()
        sent_at = time.monotonic()
        send(on)
        seen = wire.wait_for(sent_at, PICTURE_CHANNEL, PICTURE_LEVEL if on else 0)
        if seen is None:
            lost += 1
        else:
            latencies.append((seen - sent_at) * 1000)
    return latencies, lost


def summary(latencies, lost):
    ordered = sorted(latencies)
    p99 = ordered[min(len(ordered) - 1, int(round(0.99 * (len(ordered) - 1))))]
    return (f"{len(ordered)} commands: median {statistics.median(ordered):.1f} ms, "
            f"p99 {p99:.1f} ms, min {ordered[0]:.1f} ms, max {ordered[-1]:.1f} ms, "
            f"lost {lost}")


# ---------------------------------------------------------------- OSC mode

def osc_string(text):
    data = text.encode() + b"\0"
    return data + b"\0" * (-len(data) % 4)


def osc_message(path, *ints):
    return (osc_string(path) + osc_string("," + "i" * len(ints)) +
            b"".join(struct.pack(">i", v) for v in ints))


def osc_sender(port):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    target = ("127.0.0.1", port)

    def send(on):
        sock.sendto(osc_message("/kalvetro/picture", PICTURE, 1 if on else 0), target)
    return send


# ---------------------------------------------------------------- WebSocket mode

def web_sender(port, pin):
    import json
    import websocket  # python3-websocket
    phone = websocket.create_connection(f"ws://127.0.0.1:{port}/ws", timeout=5)
    phone.send(json.dumps({"pin": pin}))
    while json.loads(phone.recv()).get("type") != "welcome":
        pass
    # Replies and pushed state are read and dropped beside the commands, until the player ends.
    phone.settimeout(None)

    def drop_replies():
        try:
            while True:
                phone.recv()
        except Exception:  # the connection closed with the player
            pass
    threading.Thread(target=drop_replies, daemon=True).start()

    def send(on):
        phone.send(json.dumps({"cmd": "picture", "n": PICTURE, "on": on}))
    return send


# ---------------------------------------------------------------- MIDI mode

MIDI_NOTE = 36


class JackServer:
    """jackd with the dummy driver under a name of this run; its clients find it through
    JACK_DEFAULT_SERVER, which the player inherits."""

    def __init__(self, period):
        self.name = f"kalvetro-bench-{os.getpid()}"
        os.environ["JACK_DEFAULT_SERVER"] = self.name
        os.environ["JACK_NO_AUDIO_RESERVATION"] = "1"
        self.process = subprocess.Popen(["jackd", "-n", self.name, "-r", "-d", "dummy",
                                         "-r", "48000", "-p", str(period)],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if subprocess.run(["jack_lsp"], capture_output=True).returncode == 0:
                return
            time.sleep(0.1)
        self.stop()
        raise RuntimeError("jackd did not start")

    def stop(self):
        self.process.terminate()
        self.process.wait()


class RtMidiWrapper(ctypes.Structure):
    _fields_ = [("ptr", ctypes.c_void_p), ("data", ctypes.c_void_p), ("ok", ctypes.c_bool),
                ("msg", ctypes.c_char_p)]


def midi_desk():
    """A desk with a JACK output port "Desk:controls", made through librtmidi's C interface."""
    rtmidi = ctypes.CDLL("librtmidi.so.6")
    rtmidi.rtmidi_out_create.restype = ctypes.POINTER(RtMidiWrapper)
    rtmidi.rtmidi_out_create.argtypes = [ctypes.c_int, ctypes.c_char_p]
    rtmidi.rtmidi_open_virtual_port.argtypes = [ctypes.POINTER(RtMidiWrapper), ctypes.c_char_p]
    rtmidi.rtmidi_out_free.argtypes = [ctypes.POINTER(RtMidiWrapper)]
    rtmidi.rtmidi_out_send_message.argtypes = [ctypes.POINTER(RtMidiWrapper), ctypes.c_char_p,
                                               ctypes.c_int]
    desk = rtmidi.rtmidi_out_create(3, b"Desk")  # RTMIDI_API_UNIX_JACK
    if not desk.contents.ok:
        raise RuntimeError(desk.contents.msg.decode())
    rtmidi.rtmidi_open_virtual_port(desk, b"controls")
    return rtmidi, desk


def midi_settings():
    """A settings folder whose Kalvo.ini maps the desk's note to a flash of the picture."""
    home = tempfile.mkdtemp()
    os.makedirs(os.path.join(home, "kalvetro"))
    with open(os.path.join(home, "kalvetro", "Kalvo.ini"), "w") as f:
        f.write(f"[MIDI]\nAPI=jack\nMaps=1\nMap1=note 1 {MIDI_NOTE} flash {PICTURE}\n")
    return home


def midi_sender(rtmidi, desk):
    def send(on):
        message = bytes([0x90, MIDI_NOTE, 127 if on else 0])
        rtmidi.rtmidi_out_send_message(desk, message, len(message))
    return send


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--osc", type=int, metavar="PORT", help="send OSC over UDP to this port")
    mode.add_argument("--web", type=int, metavar="PORT",
                      help="send the phone page's commands over a WebSocket to this port")
    mode.add_argument("--midi", action="store_true",
                      help="send note-on/off from a MIDI desk on a JACK server of its own")
    parser.add_argument("--jack-period", type=int, default=64,
                        help="JACK period in frames at 48 kHz (MIDI mode)")
    parser.add_argument("--binary", default="build/release/kalvetro")
    parser.add_argument("--commands", type=int, default=200)
    parser.add_argument("--runs", type=int, default=1)
    options = parser.parse_args()

    fd, show = tempfile.mkstemp(suffix=".klv")
    os.close(fd)
    write_show(show)
    status = 0
    if options.midi:
        jack = JackServer(options.jack_period)
        rtmidi, desk = midi_desk()
    for run in range(1, options.runs + 1):
        if options.osc:
            player, wire, master, slave, _ = start_player(options.binary, show,
                                                          ["--osc", str(options.osc)])
        elif options.midi:
            player, wire, master, slave, _ = start_player(
                options.binary, show, ["--midi", "Desk"], ready="MIDI-пульт",
                config_home=midi_settings())
        else:
            player, wire, master, slave, line = start_player(
                options.binary, show, ["--web", str(options.web)], ready="Пульт на телефоне")
        try:
            if options.osc:
                send = osc_sender(options.osc)
            elif options.midi:
                time.sleep(1)  # the desk is there: the player opens it as it starts
                send = midi_sender(rtmidi, desk)
            else:
                if "PIN " not in line:
                    raise RuntimeError("the player did not turn the phone page on")
                send = web_sender(options.web, line.split("PIN ")[1].strip())
            latencies, lost = measure(send, wire, options.commands, seed=run)
        finally:
            player.terminate()
            player.wait()
            errors = player.stderr.read()
            os.close(slave)
        if errors.strip():
            print("player:", errors.strip(), file=sys.stderr)
        if not latencies:
            print("no command reached the wire", file=sys.stderr)
            status = 1
            continue
        name = "OSC" if options.osc else "MIDI" if options.midi else "WebSocket"
        print(f"{name} run {run}: {summary(latencies, lost)}; malformed packets {wire.malformed}",
              flush=True)
    os.unlink(show)
    if options.midi:
        rtmidi.rtmidi_out_free(desk)
        jack.stop()
    return status


if __name__ == "__main__":
    sys.exit(main())
