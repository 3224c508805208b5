#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A bounded, deterministic run of the OSC parser fuzzer: builds the "fuzz" preset (clang,
# libFuzzer, AddressSanitizer, UBSan), writes a seed corpus of real messages of the address
# space (ints and floats, a bundle, a sync), and runs a fixed number of mutated inputs from a
# fixed seed. Exits non-zero on any crash, sanitizer report or unsafe parse; the failing input
# is kept under build/fuzz/artifacts/.
#   tests/fuzz/run_osc_bounded.sh [RUNS]      (default 200000)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/fuzz/fuzz_run.sh
runs=${1:-200000}
fuzz_prepare osc_command_fuzzer

# Real messages, written the way OSC lays them out: the address and the type tags padded to
# four bytes, then big-endian int32 or float32 arguments. A bundle holds two of them.
/usr/bin/python3 - "$corpus" <<'PY'
import struct, sys, os
out = sys.argv[1]
def pad(b):
    b += b"\0"
    return b + b"\0" * (-len(b) % 4)
def message(path, *args):
    tags = "," + "".join("f" if isinstance(a, float) else "i" for a in args)
    body = b"".join(struct.pack(">f", a) if isinstance(a, float) else struct.pack(">i", a)
                    for a in args)
    return pad(path.encode()) + pad(tags.encode()) + body
seeds = {
    "play": message("/kalvetro/play", 1),
    "next": message("/kalvetro/next"),
    "previous": message("/kalvetro/previous", 1.0),
    "scene": message("/kalvetro/scene", 3),
    "tempo": message("/kalvetro/tempo", 120.0),
    "blackout": message("/kalvetro/blackout", 0),
    "picture": message("/kalvetro/picture", 3, 1),
    "latch": message("/kalvetro/latch", 16.0, 1.0),
    "channel": message("/kalvetro/channel", 255, 42),
    "automat": message("/kalvetro/automat", 2, 1),
    "sync": message("/kalvetro/sync"),
}
first, second = seeds["picture"], seeds["channel"]
seeds["bundle"] = (pad(b"#bundle") + struct.pack(">II", 0, 1) + struct.pack(">i", len(first))
                   + first + struct.pack(">i", len(second)) + second)
for name, data in seeds.items():
    with open(os.path.join(out, name + ".osc"), "wb") as f:
        f.write(data)
PY

fuzz_run "osc" "$fuzzer" "$corpus" "$work" "$runs" 120 "no unsafe parse" -max_len=512
