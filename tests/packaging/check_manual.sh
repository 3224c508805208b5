#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages as built: groff formats them without a warning, man reads the compressed
# pages, and every option that a program's own help names is described in its page.
# Usage: check_manual.sh BUILD_DIR
set -euo pipefail
build=$1
fail=0
page_text() { man -l "$build/man/$1.1.gz" 2>/dev/null | col -b; }
for page in kalvetro dmx_monitor; do
  gz="$build/man/$page.1.gz"
  if [ ! -s "$gz" ]; then
    echo "FAIL: $gz was not built" >&2
    fail=1
    continue
  fi
  warnings=$(zcat "$gz" | groff -man -ww -z 2>&1 || true)
  if [ -n "$warnings" ]; then
    echo "FAIL: groff warns about $page.1: $warnings" >&2
    fail=1
  fi
  text=$(page_text "$page")
  grep -q "^NAME" <<<"$text" || { echo "FAIL: man cannot read $page.1" >&2; fail=1; }
done
# The options each program names: the console's --help, the monitor's usage line.
options_of() {
  case $1 in
    kalvetro) QT_QPA_PLATFORM=offscreen "$build/kalvetro" --help 2>/dev/null ;;
    dmx_monitor) "$build/tools/dmx_monitor" --no-such-option 2>&1 || true ;;
  esac | grep -oE -- '--[a-z][a-z-]*' | sort -u
}
for page in kalvetro dmx_monitor; do
  text=$(page_text "$page")
  count=0
  for option in $(options_of "$page"); do
    count=$((count + 1))
    if ! grep -qF -- "$option" <<<"$text"; then
      echo "FAIL: $page.1 does not describe $option" >&2
      fail=1
    fi
  done
  if [ "$count" -lt 4 ]; then
    echo "FAIL: $page names only $count options: its help was not read" >&2
    fail=1
  fi
  echo "$page: $count options looked for in its page" >&2
done
exit $fail
