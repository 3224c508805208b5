#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A bounded, deterministic run of the phone page's message parser fuzzer (preset "fuzz":
# clang, libFuzzer, AddressSanitizer, UBSan): a seed corpus of every command, good and bad,
# then a fixed number of mutated inputs from a fixed seed, capped at 50 s. Exits non-zero on
# any crash, sanitizer report or command out of range; the input is kept under
# build/fuzz/artifacts/.
#   tests/fuzz/run_web_bounded.sh [RUNS]      (default 2000000)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/fuzz/fuzz_run.sh
runs=${1:-2000000}
fuzz_prepare web_command_fuzzer
k=0
while IFS= read -r line; do
  k=$((k + 1))
  printf '%s' "$line" >"$corpus/seed$k.json"
done <<'SEEDS'
{"pin":"123456"}
{"cmd":"play"}
{"cmd":"stop"}
{"cmd":"next"}
{"cmd":"previous"}
{"cmd":"scene","n":12}
{"cmd":"tempo","value":80}
{"cmd":"blackout","on":true}
{"cmd":"picture","n":3,"on":true}
{"cmd":"latch","n":16,"on":false}
{"cmd":"channel","n":255,"level":255}
{"cmd":"automat","n":2,"on":true}
{"cmd":"watch","n":7}
{"cmd":"picture","n":3.5,"on":1}
{"cmd":"scene","n":1e308}
{"cmd":"channel","n":-0,"level":"\u0000"}
[{"cmd":"next"}]
{"pin":["1"],"cmd":"next"}
SEEDS

fuzz_run "web" "$fuzzer" "$corpus" "$work" "$runs" 50 "no command out of range" -max_len=2048
