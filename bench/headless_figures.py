#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Figures of the headless player: time from start to the first packet, CPU share while it
plays, both on a pseudo-terminal. Usage: bench/headless_figures.py BUILD_DIR [SECONDS]"""
import os, subprocess, sys, time, tempfile, tty

from window_cpu import cpu_seconds, two_scene_show

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 30
binary = os.path.join(build, "kalvetro")

# The two-scene show of the window figures, with scene changes that jump.
fd, path = tempfile.mkstemp(suffix=".klv")
os.close(fd)
two_scene_show(path, fade_step=255)

starts = []
for run in range(5):
    master, slave = os.openpty()
    tty.setraw(slave)
    port = os.ttyname(slave)
    os.set_blocking(master, True)
    t0 = time.monotonic()
    p = subprocess.Popen([binary, "--headless", "--port", port, path],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.read(master, 1)
    starts.append((time.monotonic() - t0) * 1000)
    if run < 4:
        p.terminate(); p.wait(); os.close(master); os.close(slave)

# CPU while playing: utime + stime over the window, reading the port meanwhile.
c0 = cpu_seconds(f"/proc/{p.pid}/stat"); w0 = time.monotonic()
end = w0 + seconds
while time.monotonic() < end:
    try:
        os.read(master, 65536)
    except BlockingIOError:
        pass
    time.sleep(0.02)
c1 = cpu_seconds(f"/proc/{p.pid}/stat"); w1 = time.monotonic()
t0 = time.monotonic()
p.terminate(); p.wait()
stop_ms = (time.monotonic() - t0) * 1000

# Period error at the far end: dmx_monitor on its own pseudo-terminal, the player on it.
port_file = path + ".port"
monitor = subprocess.Popen([os.path.join(build, "tools", "dmx_monitor"), "--seconds", str(seconds),
                            "--port-file", port_file], stdout=subprocess.PIPE, text=True)
while not os.path.exists(port_file) or not open(port_file).read().strip():
    time.sleep(0.05)
player = subprocess.Popen([binary, "--headless", "--port", open(port_file).read().strip(), path],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
report = monitor.communicate()[0]
player.terminate(); player.wait()
os.unlink(port_file)
os.unlink(path)
starts.sort()
print(f"start to first packet (5 runs): min {starts[0]:.0f} ms, median {starts[2]:.0f} ms, max {starts[-1]:.0f} ms")
print(f"SIGTERM to exit: {stop_ms:.0f} ms")
print("far end:", report.strip().splitlines()[-1] if report.strip() else "no report")
print(f"CPU while playing: {100 * (c1 - c0) / (w1 - w0):.2f} % of one core over {w1 - w0:.0f} s")
