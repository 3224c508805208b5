#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""From each beat of the music to the DMX packet that carries its scene change, through the
real audio path: a PulseAudio server of this script's own with a null sink whose monitor is the
default input, a drum loop (bench/beat_figures.py's layout) played into the sink with paplay,
the headless player with --sound beat on a pseudo-terminal, scenes that jump (--crossfade off).

When each beat reached the sound server is read from the monitor by parec (5 ms latency asked)
beside the console: the first kick's sample gives the loop's start, the layout gives the rest.
Prints the offsets (packet time minus beat time) once the tracker has the pulse: median, p99 of
their size, and how many beats got a step within 70 ms.

Usage: bench/beat_wire.py [BUILD_DIR] [BPM ...]"""
import os, statistics, subprocess, sys, tempfile, threading, time, tty

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from beat_figures import lay_out  # noqa: E402
from remote_latency import Wire  # noqa: E402
from window_cpu import two_scene_show  # noqa: E402

RATE = 44100
SETTLE = 8.0  # seconds of the loop the tracker may take to lock before offsets count


def pulse_server(folder):
    socket = os.path.join(folder, "pulse.sock")
    env = dict(os.environ, PULSE_SERVER="unix:" + socket, XDG_RUNTIME_DIR=folder, HOME=folder)
    server = subprocess.Popen(
        ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
         f"--load=module-native-protocol-unix auth-anonymous=1 socket={socket}",
         f"--load=module-null-sink sink_name=beats rate={RATE}"],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode == 0:
            break
        time.sleep(0.05)
    subprocess.run(["pactl", "set-default-source", "beats.monitor"], env=env, check=True)
    return server, env


def first_onset(env, stop, found):
    """Reads the monitor; puts in found[0] the monotonic time of the first sample over 0.1."""
    rec = subprocess.Popen(["parec", "-d", "beats.monitor", "--latency-msec=5", "--rate", str(RATE),
                            "--channels=1", "--format=float32le", "--raw"],
                           env=env, stdout=subprocess.PIPE)
    while not stop.is_set():
        chunk = rec.stdout.read1(4096)
        now = time.monotonic()
        if not chunk:
            break
        samples = np.frombuffer(chunk[:len(chunk) // 4 * 4], dtype=np.float32)
        loud = np.nonzero(np.abs(samples) > 0.1)[0]
        if len(loud) and not found:
            found.append(now - (len(samples) - loud[0]) / RATE)
    rec.kill()


def run(build, bpm):
    folder = tempfile.mkdtemp()
    server, env = pulse_server(folder)
    samples, truth = lay_out("HardElectro1", RATE, [(bpm, int(round(40 * bpm / 240)), True)])
    wav = os.path.join(folder, "loop.wav")
    subprocess.run(["sox", "-t", "f32", "-r", str(RATE), "-c", "1", "-", wav],
                   input=samples.tobytes(), check=True)
    show = os.path.join(folder, "show.klv")
    two_scene_show(show, fade_step=255)
    master, slave = os.openpty()
    tty.setraw(slave)
    env_player = dict(env, XDG_CONFIG_HOME=os.path.join(folder, "config"), QT_QPA_PLATFORM="offscreen")
    player = subprocess.Popen([os.path.join(build, "kalvetro"), "--headless", "--port", os.ttyname(slave),
                               "--crossfade", "off", "--sound", "beat", "--seconds", "44", show],
                              env=env_player, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    wire = Wire(master)
    time.sleep(1.0)
    stop, onset = threading.Event(), []
    reader = threading.Thread(target=first_onset, args=(env, stop, onset), daemon=True)
    reader.start()
    time.sleep(0.3)
    subprocess.run(["paplay", "-d", "beats", wav], env=env)
    time.sleep(0.5)
    stop.set()
    player.terminate()
    player.wait()
    server.terminate()
    server.wait()
    # Each packet whose channel 1 differs from the one before is a scene change.
    changes, last = [], None
    while not wire.packets.empty():
        at, levels = wire.packets.get_nowait()
        if last is not None and levels[0] != last:
            changes.append(at)
        last = levels[0]
    if not onset:
        return None
    beats = onset[0] + truth
    counted = beats[beats >= onset[0] + SETTLE]
    offsets = []
    for beat in counted:
        near = min(changes, key=lambda c: abs(c - beat), default=None)
        if near is not None and abs(near - beat) < 60.0 / bpm / 2:
            offsets.append((near - beat) * 1000)
    on_beat = sum(1 for o in offsets if abs(o) <= 70)
    return offsets, on_beat, len(counted)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
    tempi = [int(x) for x in sys.argv[2:]] or [120, 128]
    for bpm in tempi:
        result = run(build, bpm)
        if result is None:
            print(f"{bpm} BPM: the loop was never heard on the monitor")
            continue
        offsets, on_beat, beats = result
        sizes = sorted(abs(o) for o in offsets)
        p99 = sizes[min(len(sizes) - 1, int(0.99 * len(sizes)))] if sizes else float("nan")
        median = statistics.median(offsets) if offsets else float("nan")
        print(f"{bpm} BPM: {beats} beats after {SETTLE:g} s, {len(offsets)} with a step near them, "
              f"{on_beat} within 70 ms; offset median {median:+.1f} ms, |offset| p99 {p99:.1f} ms")


if __name__ == "__main__":
    main()
