#!/usr/bin/python3
"""Latency of the phone remote: from a WebSocket command to the first DMX packet that carries it.

Starts the headless player with --web on a pseudo-terminal opened here, logs in with the PIN
the player prints, sends COMMANDS commands that flash picture 3 on and off (it holds channel
20 at 77 in the show written here), reads the wire in a thread, and times each command to the
first packet, read after it was sent, whose channel 20 has the new level. Prints the median and
the 99th percentile. Needs python3-websocket.

    bench/web_latency.py [--binary build/release/kalvetro] [--port 8391] [--commands 200] [--runs 3]
"""
import argparse
import json
import os
import queue
import random
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import tty

import websocket

HEADER = bytes([0xFF, 0xF0, 0xFF, 0xFF, 0xF1, 0x00])
SLOTS = 256
PICTURE, CHANNEL, LEVEL = 3, 20, 77


def write_show(path):
    show = bytearray(81920)
    show[133] = 10                      # tempo; one scene
    for n in range(256, 512):
        show[n] = 255                   # fade steps: at once
    picture = 4608 + 512 * (PICTURE - 1)
    show[picture + CHANNEL] = 1
    show[picture + 256 + CHANNEL] = LEVEL
    with open(path, "wb") as f:
        f.write(bytes(show))


def read_wire(master, packets):
    """Decodes packets (header, 256 levels, 255 sent as FF FE) as they are read; each goes to
    the queue with the time its last byte was read."""
    buffer = bytearray()
    while True:
        try:
            chunk = os.read(master, 65536)
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
                if buffer[at] == 0xFF:
                    if at + 1 >= len(buffer):
                        break
                    levels.append(255)
                    at += 2
                else:
                    levels.append(buffer[at])
                    at += 1
            if len(levels) < SLOTS:
                del buffer[:start]
                break
            packets.put((now, levels))
            del buffer[:at]


def one_run(binary, port, commands, seed):
    folder = tempfile.mkdtemp()
    show = os.path.join(folder, "latency.klv")
    write_show(show)
    master, slave = os.openpty()
    tty.setraw(slave)
    env = dict(os.environ, XDG_CONFIG_HOME=folder)
    player = subprocess.Popen([binary, "--headless", "--port", os.ttyname(slave), "--crossfade",
                               "off", "--web", str(port), show], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    packets = queue.Queue()
    threading.Thread(target=read_wire, args=(master, packets), daemon=True).start()
    try:
        pin = None
        for line in player.stdout:
            if "PIN " in line:
                pin = line.split("PIN ")[1].strip()
                break
        if not pin:
            raise RuntimeError("the player did not turn the page on: " + player.stderr.read())
        threading.Thread(target=lambda: [None for _ in player.stdout], daemon=True).start()
        phone = websocket.create_connection(f"ws://127.0.0.1:{port}/ws", timeout=5)
        phone.send(json.dumps({"pin": pin}))
        while json.loads(phone.recv()).get("type") != "welcome":
            pass
        rng = random.Random(seed)
        latencies, lost, on = [], 0, False
        for _ in range(commands):
            on = not on
            time.sleep(rng.uniform(0.02, 0.07))  # every phase of the 50 ms output period
            while not packets.empty():
                packets.get_nowait()
            sent = time.monotonic()
            phone.send(json.dumps({"cmd": "picture", "n": PICTURE, "on": on}))
            seen, end = None, sent + 2.0
            while seen is None and time.monotonic() < end:
                try:
                    at, levels = packets.get(timeout=max(0.001, end - time.monotonic()))
                except queue.Empty:
                    break
                if at >= sent and levels[CHANNEL - 1] == (LEVEL if on else 0):
                    seen = at
            if seen is None:
                lost += 1
            else:
                latencies.append((seen - sent) * 1000)
            while json.loads(phone.recv()).get("type") != "reply":
                pass
        phone.close()
        return latencies, lost
    finally:
        player.terminate()
        player.wait()
        os.close(slave)
        os.close(master)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", default="build/release/kalvetro")
    parser.add_argument("--port", type=int, default=8391)
    parser.add_argument("--commands", type=int, default=200)
    parser.add_argument("--runs", type=int, default=3)
    options = parser.parse_args()
    for run in range(1, options.runs + 1):
        latencies, lost = one_run(options.binary, options.port, options.commands, run)
        ordered = sorted(latencies)
        p99 = ordered[min(len(ordered) - 1, round(0.99 * (len(ordered) - 1)))]
        print(f"run {run}: {len(ordered)} commands: median {statistics.median(ordered):.1f} ms, "
              f"p99 {p99:.1f} ms, min {ordered[0]:.1f} ms, max {ordered[-1]:.1f} ms, lost {lost}",
              flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
