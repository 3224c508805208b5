#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The output's packet period while strangers hammer the remotes, against the same show idle.

Starts dmx_monitor on a pseudo-terminal and the headless player on it with the phone page and
OSC on, plays the demo show for SECONDS, and reads dmx_monitor's period error (p50, p99, max).
With --attack, threads on this machine meanwhile: churn idle TCP connections, send a request
announcing a 4 GB body and then zeros, trickle request heads that never end, open WebSockets
that never give the PIN and WebSockets from a foreign Origin, guess PINs, flood /kalvetro/sync
from an allowed sender and blackouts from a sender not allowed (127.0.0.5). Every attack talks
to 127.0.0.x only and stops with the run.

Usage: bench/remote_attack.py [--build build/release] [--seconds 40] [--runs 3]
Each run measures idle, then attacked; a summary line per condition at the end.
"""
import argparse, os, socket, statistics, struct, subprocess, sys, tempfile, threading, time

HOST = "127.0.0.1"


def osc_message(path, *ints):
    def padded(b):
        b += b"\0"
        return b + b"\0" * (-len(b) % 4)
    return padded(path.encode()) + padded(("," + "i" * len(ints)).encode()) + b"".join(
        struct.pack(">i", v) for v in ints)


def connect(port, source=HOST, timeout=2):
    s = socket.socket()
    s.settimeout(timeout)
    s.bind((source, 0))
    s.connect((HOST, port))
    return s


def upgrade(port, origin=None):
    head = (f"GET /ws HTTP/1.1\r\nHost: {HOST}:{port}\r\nUpgrade: websocket\r\n"
            "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
            "Sec-WebSocket-Version: 13\r\n")
    if origin:
        head += f"Origin: {origin}\r\n"
    return (head + "\r\n").encode()


def attacks(web, osc, stop):
    """The attackers, each a loop that runs until stop is set."""
    def guarded(loop):
        def run():
            while not stop.is_set():
                try:
                    loop()
                except OSError:
                    time.sleep(0.01)
        return run

    def idle_churn():
        socks = [connect(web, f"127.0.2.{k % 50 + 1}") for k in range(50)]
        time.sleep(0.05)
        for s in socks:
            s.close()

    def huge_body():
        s = connect(web)
        s.sendall(b"POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 4294967296\r\n\r\n")
        zeros = bytes(1 << 16)
        while not stop.is_set():
            s.sendall(zeros)

    def slow_heads():
        socks = [connect(web, f"127.0.3.{k + 1}") for k in range(8)]
        for s in socks:
            s.sendall(b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ")
        for _ in range(70):
            if stop.is_set():
                break
            for s in socks:
                s.send(b"a")
            time.sleep(0.1)

    def silent_and_foreign_sockets():
        socks = []
        for k in range(8):
            s = connect(web, f"127.0.4.{k + 1}")
            s.sendall(upgrade(web, "http://evil.example" if k % 2 else None))
            socks.append(s)
        time.sleep(1)
        for s in socks:
            s.close()

    def guessed_pins():
        s = connect(web, f"127.0.5.{int(time.time() * 10) % 200 + 1}")
        s.sendall(upgrade(web))
        s.recv(4096)
        text = b'{"pin":"99999999"}'
        s.sendall(bytes([0x81, 0x80 | len(text), 0, 0, 0, 0]) + text)
        time.sleep(0.2)
        s.close()

    def sync_flood():
        u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        u.bind((HOST, 0))
        u.setblocking(False)
        message = osc_message("/kalvetro/sync")
        while not stop.is_set():
            u.sendto(message, (HOST, osc))
            try:
                while True:
                    u.recv(2048)
            except BlockingIOError:
                pass
            time.sleep(0.01)

    def foreign_osc():
        u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        u.bind(("127.0.0.5", 0))
        message = osc_message("/kalvetro/blackout", 1)
        while not stop.is_set():
            for _ in range(100):
                u.sendto(message, (HOST, osc))
            time.sleep(0.1)

    loops = [idle_churn, huge_body, slow_heads, silent_and_foreign_sockets, guessed_pins,
             sync_flood, foreign_osc]
    return [threading.Thread(target=guarded(loop), daemon=True) for loop in loops]


def free_port(kind):
    s = socket.socket(socket.AF_INET, kind)
    s.bind((HOST, 0))
    port = s.getsockname()[1]
    s.close()
    return port


def run(build, seconds, attacked):
    with tempfile.TemporaryDirectory() as tmp:
        config = os.path.join(tmp, "config")
        os.makedirs(os.path.join(config, "kalvetro"))
        with open(os.path.join(config, "kalvetro", "Kalvo.ini"), "w") as f:
            f.write("[Remote]\nWebPIN=13572468\nWebBind=127.0.0.1\n"
                    "OSCAllow=127.0.0.1/32, 10.0.0.0/8\n")
        port_file = os.path.join(tmp, "port")
        monitor = subprocess.Popen(
            [os.path.join(build, "tools", "dmx_monitor"), "--seconds", str(seconds),
             "--port-file", port_file], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            text=True)
        while not os.path.exists(port_file) or not open(port_file).read().strip():
            time.sleep(0.05)
        pty = open(port_file).read().strip()
        web, osc = free_port(socket.SOCK_STREAM), free_port(socket.SOCK_DGRAM)
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            env.pop(name, None)
        player = subprocess.Popen(
            [os.path.join(build, "kalvetro"), "--headless", "--port", pty, "--web", str(web),
             "--osc", str(osc), "--seconds", str(seconds + 5),
             os.path.join(build, "data", "demo.klv")],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        stop = threading.Event()
        threads = []
        if attacked:
            time.sleep(1.5)  # the page is up
            threads = attacks(web, osc, stop)
            for t in threads:
                t.start()
        out, _ = monitor.communicate(timeout=seconds + 60)
        stop.set()
        for t in threads:
            t.join(timeout=5)
        rss = 0
        try:
            with open(f"/proc/{player.pid}/status") as f:
                rss = next(int(l.split()[1]) for l in f if l.startswith("VmRSS:"))
        except (OSError, StopIteration):
            pass
        player.terminate()
        player.wait(timeout=10)
        line = next(l for l in out.splitlines() if l.startswith("period error ms"))
        words = line.split()
        figures = {words[i]: float(words[i + 1]) for i in (3, 5, 7)}
        frames = next(l for l in out.splitlines() if l.startswith("frames"))
        return figures, frames, rss


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/release")
    parser.add_argument("--seconds", type=int, default=40)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    results = {False: [], True: []}
    for n in range(args.runs):
        for attacked in (False, True):
            figures, frames, rss = run(args.build, args.seconds, attacked)
            results[attacked].append(figures)
            print(f"run {n + 1} {'attacked' if attacked else 'idle    '}: p50 {figures['p50']:.3f}"
                  f"  p99 {figures['p99']:.3f}  max {figures['max']:.3f} ms   {frames}"
                  f"   player {rss // 1024} MB", flush=True)
    for attacked in (False, True):
        p99 = [f["p99"] for f in results[attacked]]
        print(f"{'attacked' if attacked else 'idle'}: p99 median {statistics.median(p99):.3f} ms"
              f" (min {min(p99):.3f}, max {max(p99):.3f}) over {len(p99)} runs")


if __name__ == "__main__":
    sys.exit(main())
