#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A bounded, deterministic run of the MIDI desk fuzzer (preset "fuzz": clang, libFuzzer,
# AddressSanitizer, UBSan): seeds of mapping lines, one of every target, followed by messages a
# desk sends (notes, control changes, running status, SysEx, clock), then a fixed number of
# mutated inputs from a fixed seed, capped at 60 s. Exits non-zero on any crash, sanitizer
# report, line that does not print back to itself, or command out of range; the input is kept
# under build/fuzz/artifacts/.
#   tests/fuzz/run_midi_bounded.sh [RUNS]      (default 300000)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/fuzz/fuzz_run.sh
runs=${1:-300000}
fuzz_prepare midi_fuzzer

/usr/bin/python3 - "$corpus" <<'PY'
import os, sys
out = sys.argv[1]
lines = ["cc 1 7 channel 1", "cc 1 8 channel 255", "cc 2 9 tempo", "note 1 60 play",
         "note 1 61 next", "note 1 62 previous", "note 10 36 blackout", "note 1 63 flash 3",
         "note 1 64 latch 16", "note 1 65 automat 2", "note 1 66 conveyor 20", "nonsense"]
def messages(*ms):
    return b"".join(bytes([len(m)]) + bytes(m) for m in ms)
streams = {
    "faders": messages([0xB0, 7, 100], [0xB0, 7, 0], [0xB0, 7, 127], [0xB1, 9, 64], [0xB0, 8, 3]),
    "buttons": messages([0x90, 60, 127], [0x80, 60, 0], [0x90, 61, 127], [0x90, 61, 0],
                        [0x99, 36, 100], [0x90, 63, 127], [0x90, 63, 0], [0x90, 64, 1],
                        [0x90, 65, 127], [0x90, 66, 127]),
    "odd": messages([0xF0, 0x7D, 1, 0xF7], [0xF8], [0xFE], [7, 100], [0xB0, 7], [0xE0, 0, 64],
                    [0xC0, 5], [0x90, 200, 200]),
}
for name, stream in streams.items():
    with open(os.path.join(out, name + ".mid"), "wb") as f:
        f.write("\n".join(lines).encode() + b"\0" + stream)
PY

fuzz_run "midi" "$fuzzer" "$corpus" "$work" "$runs" 60 "no command out of range" -max_len=2048
