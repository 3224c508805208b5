#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every C++ file of the tree is in the house format (.clang-format, read by Debian's
# clang-format 14, the one version the formatting was made with: another version lays some
# lines out otherwise). Prints each file off the format and how to put it right.
set -uo pipefail
root=${1:?usage: check_format.sh SOURCE_DIR}
cd "$root" || exit 1
formatter=$(command -v clang-format-14) || { echo "clang-format-14 is not installed" >&2; exit 1; }
mapfile -t files < <(find src tests tools bench fuzz -name '*.cpp' -o -name '*.h' | sort)
off=()
for f in "${files[@]}"; do
  if ! "$formatter" --dry-run --Werror "$f" >/dev/null 2>&1; then
    off+=("$f")
  fi
done
if [ ${#off[@]} -gt 0 ]; then
  echo "${#off[@]} of ${#files[@]} files are off the house format:"
  printf '  %s\n' "${off[@]}"
  echo "Put them right with: clang-format-14 -i ${off[*]}"
  exit 1
fi
echo "${#files[@]} files in the house format"
