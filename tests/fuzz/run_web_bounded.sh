#!/usr/bin/env bash
# A bounded, deterministic run of the phone page's message parser fuzzer (preset "fuzz":
# clang, libFuzzer, AddressSanitizer, UBSan): a seed corpus of every command, good and bad,
# then a fixed number of mutated inputs from a fixed seed, capped at 50 s. Exits non-zero on
# any crash, sanitizer report or command out of range; the input is kept under
# build/fuzz/artifacts/.
#   tests/fuzz/run_web_bounded.sh [RUNS]      (default 2000000)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-2000000}
jobs=${KALVETRO_JOBS:-2}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target web_command_fuzzer
fuzzer=build/fuzz/fuzz/web_command_fuzzer

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
mkdir -p "$corpus" build/fuzz/artifacts
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

echo "Fuzzing the phone page's messages: $runs inputs from $k seeds"
status=0
start=$(date +%s)
"$fuzzer" -seed=1 -runs="$runs" -max_len=2048 -timeout=10 -rss_limit_mb=2048 \
  -max_total_time=50 -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/ \
  "$corpus" >"$work/fuzz.log" 2>&1 || status=$?
if [ $status -ne 0 ]; then
  tail -n 60 "$work/fuzz.log" >&2
  echo "web fuzz: FAILED (exit $status); the input is in build/fuzz/artifacts/" >&2
  exit 1
fi
ran=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -n 1)
echo "web fuzz: ${ran:-?} inputs in $(( $(date +%s) - start ))s, no crash, no sanitizer report, no command out of range"
