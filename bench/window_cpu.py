#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""CPU share of the console as an operator runs it: the release console under Xvfb with its
window shown (the strip page "Фэйдера" is the page it opens on), its port open on a
pseudo-terminal whose far end is drained, a two-scene show with crossfades on every channel.

Three conditions, each in a fresh process after a warm-up:
  stopped   the window with the show open, not playing
  playing   the window playing the show (--play)
  headless  the headless player playing the show

For each it prints the share of one core taken by the whole process and by its main thread,
averaged over the window, and the share of the busiest other threads. Runs are repeated and the
median is printed with the spread.

Usage: bench/window_cpu.py [--binary build/release/kalvetro] [--seconds 60] [--warmup 10]
                           [--runs 3] [--only stopped,playing,headless]
"""
import argparse, os, shutil, signal, statistics, subprocess, sys, tempfile, threading, time, tty

TICKS = os.sysconf("SC_CLK_TCK")


def two_scene_show(path, fade_step=8):
    # Tempo 44 (1936 ms a scene) and two scenes that differ on every channel. With a fade step
    # of 8 levels a tick on every channel each scene change fades all 255 channels, the widest
    # change (255 levels) over 32 ticks, 1.6 s of the 1.9 s scene; a step of 255 jumps at once.
    # (The window's default crossfade follows these fade steps; the headless player fades over
    # the scene by itself.)
    show = bytearray(81920)
    show[132] = 1
    show[133] = 44
    for n in range(256, 512):
        show[n] = fade_step
    for n in range(1, 256):
        show[16384 + n] = n
        show[16384 + 256 + n] = 255 - n
    with open(path, "wb") as f:
        f.write(bytes(show))


def cpu_seconds(stat_path):
    try:
        fields = open(stat_path).read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / TICKS


def thread_times(pid):
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            name = open(f"/proc/{pid}/task/{tid}/comm").read().strip()
        except OSError:
            continue
        out[int(tid)] = (name, cpu_seconds(f"/proc/{pid}/task/{tid}/stat"))
    return out


class Pty:
    """A raw pseudo-terminal whose far end a thread drains, as an interface would."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        self.bytes = 0
        self.stop = False
        threading.Thread(target=self._drain, daemon=True).start()

    def _drain(self):
        while not self.stop:
            try:
                self.bytes += len(os.read(self.master, 65536))
            except OSError:
                time.sleep(0.05)

    def close(self):
        self.stop = True
        os.close(self.slave)


def start_xvfb():
    for n in range(90, 120):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            break
    xvfb = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1366x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return xvfb, f":{n}"
        time.sleep(0.05)
    xvfb.kill()
    sys.exit("window_cpu: Xvfb did not start")


def measure(binary, condition, show, display, xvfb_pid, seconds, warmup):
    home = tempfile.mkdtemp(prefix="kalvetro-cpu-")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"), DISPLAY=display, QT_QPA_PLATFORM="xcb",
               NO_AT_BRIDGE="1")
    port = Pty()
    args = [binary, "--port", port.path]
    if condition == "playing":
        args.append("--play")
    if condition == "headless":
        args.append("--headless")
    p = subprocess.Popen(args + [show], env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    time.sleep(warmup)
    if p.poll() is not None:
        sys.exit(f"window_cpu: the console ended during the warm-up ({condition})")
    t0 = thread_times(p.pid)
    p0 = cpu_seconds(f"/proc/{p.pid}/stat")
    x0 = cpu_seconds(f"/proc/{xvfb_pid}/stat")
    b0 = port.bytes
    w0 = time.monotonic()
    time.sleep(seconds)
    t1 = thread_times(p.pid)
    p1 = cpu_seconds(f"/proc/{p.pid}/stat")
    x1 = cpu_seconds(f"/proc/{xvfb_pid}/stat")
    wall = time.monotonic() - w0
    b1 = port.bytes
    p.send_signal(signal.SIGTERM)
    try:
        p.wait(10)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()
    port.close()
    shutil.rmtree(home, ignore_errors=True)

    share = lambda c: 100.0 * c / wall
    threads = {}
    for tid, (name, c) in t1.items():
        before = t0.get(tid, (name, 0.0))[1]
        threads[tid] = (name, c - before)
    # The process figure counts every thread, also one that ended during the window.
    total = p1 - p0
    main = threads.get(p.pid, ("", 0.0))[1]
    others = sorted(((c, name) for tid, (name, c) in threads.items() if tid != p.pid), reverse=True)
    return {
        "total": share(total),
        "main": share(main),
        "others": [(name, share(c)) for c, name in others[:3]],
        "xvfb": share(x1 - x0),
        "port": (b1 - b0) / wall,
    }


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--binary", default="build/release/kalvetro")
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--warmup", type=float, default=10)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--only", default="stopped,playing,headless")
    o = ap.parse_args()
    binary = os.path.abspath(o.binary)
    if not os.access(binary, os.X_OK):
        sys.exit(f"window_cpu: no console at {binary}")
    fd, show = tempfile.mkstemp(suffix=".klv")
    os.close(fd)
    two_scene_show(show)
    xvfb, display = start_xvfb()
    try:
        print(f"console {binary}; {o.runs} runs of {o.seconds:.0f} s after {o.warmup:.0f} s "
              f"of warm-up; share of one core")
        for condition in o.only.split(","):
            runs = [measure(binary, condition, show, display, xvfb.pid, o.seconds, o.warmup)
                    for _ in range(o.runs)]
            total = sorted(r["total"] for r in runs)
            main_ = sorted(r["main"] for r in runs)
            xv = sorted(r["xvfb"] for r in runs)
            mid = runs[[r["total"] for r in runs].index(statistics.median_low(total))]
            others = ", ".join(f"{n} {s:.2f} %" for n, s in mid["others"])
            print(f"{condition:9s} process {statistics.median(total):5.2f} % "
                  f"({total[0]:.2f}..{total[-1]:.2f})  main thread {statistics.median(main_):5.2f} % "
                  f"({main_[0]:.2f}..{main_[-1]:.2f})  Xvfb {statistics.median(xv):.2f} %  "
                  f"port {mid['port'] / 1000:.1f} kB/s; other threads: {others}")
            sys.stdout.flush()
    finally:
        xvfb.terminate()
        xvfb.wait()
        os.unlink(show)


if __name__ == "__main__":
    main()
