#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The project's licence is in place: COPYING holds the GPL version 3 and every source file
# (C++, scripts, build files, the phone page) says under which licence it is.
# Usage: check_licence.sh SOURCE_DIR
set -euo pipefail
cd "$1"
fail=0
if ! grep -q "GNU GENERAL PUBLIC LICENSE" COPYING || ! grep -q "Version 3, 29 June 2007" COPYING; then
  echo "COPYING does not hold the GPL version 3" >&2
  fail=1
fi
tag="SPDX-License-Identifier: GPL-3.0-or-later"
files=$(git ls-files -- '*.cpp' '*.h' '*.py' '*.sh' '*.js' '*.css' 'CMakeLists.txt' \
          '*/CMakeLists.txt' run test .ci/run data/web/index.html) || {
  echo "the list of source files comes from git: run it in a checkout" >&2
  exit 1
}
while IFS= read -r file; do
  # The line stands at the top: first, or second after a #! line or a doctype.
  if [[ "$(head -n 2 "$file")" != *"$tag"* ]]; then
    echo "no licence line at the top of $file" >&2
    fail=1
  fi
done <<< "$files"
exit $fail
