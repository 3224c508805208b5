#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A bounded, deterministic run of the show file fuzzer: builds the "fuzz" preset (clang,
# libFuzzer, AddressSanitizer, UBSan), writes a seed corpus of whole, short, long and
# extreme show images, and runs a fixed number of generated and mutated inputs from a fixed
# seed. Exits non-zero on any crash, sanitizer report or round-trip difference; the failing
# input is kept under build/fuzz/artifacts/.
#   tests/fuzz/run_bounded.sh [RUNS]      (default 3000)
# KALVETRO_FUZZ_SECONDS caps the run's time (default 600 s); a run stopped by the cap still
# passes when nothing failed, and says how many inputs it ran.
# A longer run of the same target: see docs/packaging-notes.md.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/fuzz/fuzz_run.sh
runs=${1:-3000}
seconds=${KALVETRO_FUZZ_SECONDS:-600}
jobs=${KALVETRO_JOBS:-2}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
fuzzer=build/fuzz/fuzz/show_file_fuzzer
demo_tool=build/fuzz/tools/make_demo_show

# Every input is saved twice with a flush to disk: a memory file system keeps that cheap.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=$work/corpus
mkdir -p "$corpus" build/fuzz/artifacts

size=81920
image_of() {  # image_of BYTE(octal) FILE: a whole image of one byte value
  head -c $size /dev/zero | tr '\0' "\\$1" >"$2"
}
"$demo_tool" "$corpus/demo.klv"
image_of 000 "$corpus/zero.klv"
image_of 001 "$corpus/one.klv"
image_of 376 "$corpus/x254.klv"
image_of 377 "$corpus/x255.klv"
# The identification text over an empty show, and the demo show cut short or run long.
{ printf 'it is DMX512 File KALVETRO USB Ver 3.1'; head -c $((size - 38)) /dev/zero; } \
  >"$corpus/text.klv"
head -c $((size - 1)) "$corpus/demo.klv" >"$corpus/short.klv"
{ cat "$corpus/demo.klv"; printf 'tail'; } >"$corpus/long.klv"
: >"$corpus/empty.klv"
# The demo show with its header and the picture area replaced by varied text bytes.
for k in 1 2 3; do
  {
    seq $((k * 1000)) 7 999999 | tr '\n' "\\$((k * 100))" | head -c 16384 || true
    tail -c $((size - 16384)) "$corpus/demo.klv"
  } >"$corpus/mixed$k.klv"
done

fuzz_run "show file" "$fuzzer" "$corpus" "$work" "$runs" "$seconds" "no round-trip difference" \
  -max_len=$((size + 64)) -len_control=0
# The phone page's message parser, bounded the same way.
tests/fuzz/run_web_bounded.sh
# The MIDI desk's parsers and mapper, bounded the same way.
tests/fuzz/run_midi_bounded.sh
