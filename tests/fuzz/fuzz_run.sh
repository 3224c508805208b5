# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one libFuzzer target over a seed corpus and reports, for the bounded fuzz scripts.
#   fuzz_run NAME FUZZER CORPUS WORKDIR RUNS SECONDS WHAT [libFuzzer options...]
# NAME prefixes the report; WHAT says what else a clean run proves ("no round-trip
# difference"). A run stopped by the time cap still passes when nothing failed. Exits the
# script with 1 on any crash or sanitizer report; the input is kept under
# build/fuzz/artifacts/.
fuzz_run() {
  local name=$1 fuzzer=$2 corpus=$3 work=$4 runs=$5 seconds=$6 what=$7
  shift 7
  echo "Fuzzing $name: $runs inputs from $(ls "$corpus" | wc -l) seeds"
  local start status=0 elapsed ran
  start=$(date +%s)
  "$fuzzer" -seed=1 -runs="$runs" -timeout=20 -rss_limit_mb=2048 -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/ "$@" "$corpus" \
    >"$work/fuzz.log" 2>&1 || status=$?
  elapsed=$(( $(date +%s) - start ))
  grep -E '^stat::number_of_executed_units|^Done|ERROR|Fail|_fuzzer:' "$work/fuzz.log" || true
  if [ $status -ne 0 ]; then
    tail -n 60 "$work/fuzz.log" >&2
    echo "$name fuzz: FAILED after ${elapsed}s (exit $status); the input is in build/fuzz/artifacts/" >&2
    exit 1
  fi
  ran=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -n 1)
  echo "$name fuzz: ${ran:-?} of $runs inputs in ${elapsed}s, no crash, no sanitizer report, $what"
}

# Builds one fuzz target of the "fuzz" preset and makes an empty seed corpus for it:
#   fuzz_prepare TARGET   sets fuzzer, work (removed at exit) and corpus.
fuzz_prepare() {
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "${KALVETRO_JOBS:-2}" --target "$1"
  fuzzer=build/fuzz/fuzz/$1
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  corpus=$work/corpus
  mkdir -p "$corpus" build/fuzz/artifacts
}
