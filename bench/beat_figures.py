#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Figures of the beat tracker on drum loops made here from the samples of Debian's
hydrogen-drumkits (kick, snare, closed hi-hat of two kits), decoded with sox: 90, 120, 128 and
174 BPM at 44.1 and 48 kHz, the same with noise and gain changes, one loop whose tempo changes
from 120 to 128 BPM and one with an 8-bar break. The true beat times are known from how each
loop is laid out. Each loop goes through tools' beat_track (the console's tracker, fed in
10 ms blocks); mir_eval scores the beats (F-measure, +-70 ms).

Usage: bench/beat_figures.py [BUILD_DIR]   (Debian's python3, which has mir_eval)"""
import os, subprocess, sys

import numpy as np
import mir_eval

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
tracker = os.path.join(build, "tools", "beat_track")
KITS = "/usr/share/hydrogen/data/drumkits"
KIT_SAMPLES = {
    "Millo-Drums_v.1": ("bd1.flac", "snare1.flac", "closehihat3.flac"),
    "HardElectro1": ("PowR_BD_1.flac", "Clap_1.flac", "Hard_CHH_01.flac"),
}
WINDOW = 0.07


def decode(path, rate):
    raw = subprocess.run(["sox", path, "-t", "f32", "-c", "1", "-r", str(rate), "-"],
                         check=True, capture_output=True).stdout
    return np.frombuffer(raw, dtype=np.float32).copy()


def lay_out(kit, rate, sections, noise=0.0, gain_changes=False, seed=1):
    """sections: (bpm, bars, playing). A bar of 4/4: kick on 1 and 3, snare on 2 and 4, hi-hat
    on every eighth. Returns the samples and the true beat times (beats of the bars played)."""
    kick, snare, hat = (decode(os.path.join(KITS, kit, name), rate) for name in KIT_SAMPLES[kit])
    total = sum(bars * 4 * 60.0 / bpm for bpm, bars, _ in sections) + 2.0
    out = np.zeros(int(total * rate), dtype=np.float32)

    def put(sample, at, gain):
        i = int(round(at * rate))
        n = min(len(sample), len(out) - i)
        out[i:i + n] += gain * sample[:n]

    truth, t = [], 0.0
    for bpm, bars, playing in sections:
        period = 60.0 / bpm
        for beat in range(bars * 4):
            if playing:
                truth.append(t)
                put(kick if beat % 2 == 0 else snare, t, 0.8)
                put(hat, t, 0.3)
                put(hat, t + period / 2, 0.2)
            t += period
    rng = np.random.default_rng(seed)
    if gain_changes:
        # Every 4 s the loop gets louder or softer by up to 9 dB, as a DJ's fader would.
        step = 4 * rate
        for i in range(0, len(out), step):
            out[i:i + step] *= 10 ** (rng.uniform(-9, 3) / 20)
    if noise:
        out += (noise * rng.standard_normal(len(out))).astype(np.float32)
    return np.clip(out, -1, 1), np.array(truth)


def track(samples, rate):
    run = subprocess.run([tracker, str(rate)], input=samples.astype(np.float32).tobytes(),
                         check=True, capture_output=True)
    lines = run.stdout.decode().split()
    cpu = float(lines[lines.index("cpu") + 1])
    return np.array([float(x) for x in lines[:lines.index("cpu")]]), cpu


def locked_from(found, truth, after):
    """First beat at or after `after` from which the next four found beats each lie within the
    window of a true beat; None when the tracker never settles."""
    later = found[found >= after]
    for i in range(len(later) - 3):
        if all(np.min(np.abs(truth - b)) <= WINDOW for b in later[i:i + 4]):
            return later[i]
    return None


def main():
    loops = []
    for kit in KIT_SAMPLES:
        for bpm in (90, 120, 128, 174):
            for rate in (44100, 48000):
                bars = int(round(40 * bpm / 240))  # about 40 s
                loops.append((f"{kit[:6]} {bpm} BPM {rate / 1000:g} kHz", kit, rate,
                              [(bpm, bars, True)], {}))
            loops.append((f"{kit[:6]} {bpm} BPM noise+gain", kit, 44100, [(bpm, int(round(40 * bpm / 240)), True)],
                          {"noise": 0.05, "gain_changes": True}))
    kit = "Millo-Drums_v.1"
    loops.append(("tempo 120->128", kit, 44100, [(120, 10, True), (128, 12, True)], {}))
    loops.append(("8-bar break at 120", kit, 44100, [(120, 8, True), (120, 8, False), (120, 8, True)], {}))

    print(f"{'loop':32} {'F':>6} {'first beat':>10} {'relock':>8} {'CPU %':>6}")
    total_cpu = total_audio = 0.0
    for name, kit, rate, sections, extra in loops:
        samples, truth = lay_out(kit, rate, sections, **extra)
        found, cpu = track(samples, rate)
        total_cpu += cpu
        total_audio += len(samples) / rate
        f = mir_eval.beat.f_measure(mir_eval.beat.trim_beats(truth), mir_eval.beat.trim_beats(found),
                                    f_measure_threshold=WINDOW)
        lock = locked_from(found, truth, 0.0)
        relock = ""
        if len(sections) > 1:
            change = sections[0][1] * 4 * 60.0 / sections[0][0]
            if not sections[1][2]:  # the break: from where the drums come back
                change += sections[1][1] * 4 * 60.0 / sections[1][0]
            again = locked_from(found, truth, change)
            relock = f"{again - change:.1f} s" if again is not None else "never"
        first = f"{lock:.1f} s" if lock is not None else "never"
        print(f"{name:32} {f:6.3f} {first:>10} {relock:>8} {100 * cpu / (len(samples) / rate):6.2f}")
    # Where the loop starts against the tracker's hops and its first analysis: the same plain
    # loops after 0 to 1.25 s of silence, the lowest F-measure of the seven starts.
    for kit in KIT_SAMPLES:
        for bpm in (90, 120, 128, 174):
            samples, truth = lay_out(kit, 44100, [(bpm, int(round(40 * bpm / 240)), True)])
            lowest = 1.0
            for lead in (0.0, 0.2, 0.4, 0.6, 0.8, 1.0, 1.25):
                padded = np.concatenate([np.zeros(int(lead * 44100), dtype=np.float32), samples])
                found, _ = track(padded, 44100)
                lowest = min(lowest, mir_eval.beat.f_measure(
                    mir_eval.beat.trim_beats(truth + lead), mir_eval.beat.trim_beats(found),
                    f_measure_threshold=WINDOW))
            print(f"{kit[:6]} {bpm} BPM after 0-1.25 s of silence: lowest F {lowest:.3f}")
    print(f"tracker CPU over {total_audio:.0f} s of audio: {total_cpu:.2f} s "
          f"({100 * total_cpu / total_audio:.2f} % of one core)")


if __name__ == "__main__":
    main()
