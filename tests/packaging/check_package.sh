#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the desktop files and the Debian package of the console:
#   check_package.sh BUILD_DIR SOURCE_DIR
# - the desktop entry passes desktop-file-validate;
# - the MIME type is well-formed XML, and shared-mime-info compiles it into a glob for *.klv
#   and a magic rule for the identification text;
# - the package builds, carries name, version, maintainer, description and library Depends,
#   and lists the binaries, the desktop entry, the MIME XML, the icons and the demo show;
# - it installs, `kalvetro --version` starts and answers, the system MIME database learns the
#   show type, and it uninstalls leaving none of its files behind.
# The package is never left installed. Exits 77 (skipped) where installing is not possible:
# not root, or a kalvetro package that this test did not install is already there.
set -euo pipefail

build=${1:?build directory}
source=${2:?source directory}
skip=77
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

for tool in desktop-file-validate xmllint update-mime-database dpkg dpkg-deb; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is missing (install desktop-file-utils, libxml2-utils, shared-mime-info)"
    exit $skip
  fi
done

work=$(mktemp -d)
installed_by_us=0
cleanup() {
  if [ "$installed_by_us" = 1 ]; then
    dpkg --purge kalvetro >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# ------------------------------------------------------------ desktop entry and MIME type
if desktop-file-validate "$source/data/kalvetro.desktop"; then
  pass "desktop-file-validate kalvetro.desktop"
else
  fail "desktop-file-validate kalvetro.desktop"
fi
grep -q '^Exec=kalvetro %f$' "$source/data/kalvetro.desktop" || fail "Exec line does not take a file"
grep -q '^MimeType=application/x-kalvetro-show;$' "$source/data/kalvetro.desktop" ||
  fail "the desktop entry does not offer the show type"
grep -q '^Name\[ru\]=' "$source/data/kalvetro.desktop" || fail "no Russian name"
grep -q '^Comment\[ru\]=' "$source/data/kalvetro.desktop" || fail "no Russian comment"

if xmllint --noout "$source/data/kalvetro-mime.xml"; then
  pass "xmllint kalvetro-mime.xml"
else
  fail "xmllint kalvetro-mime.xml"
fi
mkdir -p "$work/mime/packages"
cp "$source/data/kalvetro-mime.xml" "$work/mime/packages/kalvetro.xml"
if XDG_DATA_HOME="$work" update-mime-database "$work/mime" 2>"$work/mime.err" && ! [ -s "$work/mime.err" ]; then
  pass "update-mime-database accepts the MIME type"
else
  fail "update-mime-database: $(cat "$work/mime.err")"
fi
grep -q 'application/x-kalvetro-show:\*\.klv' "$work/mime/globs2" || fail "no *.klv glob"
grep -aq 'it is DMX512 File KALVETRO USB Ver 3.1' "$work/mime/magic" ||
  fail "no magic rule for the identification text"
grep -aq 'application/x-kalvetro-show' "$work/mime/magic" || fail "magic rule names another type"

# ------------------------------------------------------------ the package
cmake --build "$build" --target package >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  fail "the package target failed"
  exit 1
}
deb=$(ls -t "$build"/kalvetro_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { fail "no kalvetro_*.deb in $build"; exit 1; }
pass "built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kalvetro ] || fail "Package is '$(field Package)'"
version=$(field Version)
[ -n "$version" ] || fail "no Version"
[[ "$(field Maintainer)" == *"<"*"@"*">"* ]] || fail "Maintainer '$(field Maintainer)' has no address"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
echo "Depends: $depends"
[[ "$depends" == *libqt6core6* ]] || fail "Depends lacks the Qt core library"
[[ "$depends" == *libqt6widgets6* ]] || fail "Depends lacks the Qt widgets library"
[[ "$depends" == *libc6* ]] || fail "Depends lacks libc6"
[[ "$depends" == *qt6-qpa-plugins* ]] || fail "Depends lacks the Qt platform plugins"
[[ "$depends" == *adwaita-icon-theme* ]] || fail "Depends lacks the icon theme the window falls back to"
# The audio input: the sound server's client library (found by the library scan), and the
# GStreamer element Qt Multimedia hears an input through where no sound server answers.
libpulse='(^|[ ,])libpulse0([ ,(]|$)'
[[ "$depends" =~ $libpulse ]] || fail "Depends lacks libpulse0, the sound server client library"
[[ "$depends" == *gstreamer1.0-pulseaudio* ]] || fail "Depends lacks gstreamer1.0-pulseaudio"

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/contents"
for path in ./usr/bin/kalvetro ./usr/bin/dmx_monitor \
  ./usr/share/applications/kalvetro.desktop \
  ./usr/share/mime/packages/kalvetro.xml \
  ./usr/share/icons/hicolor/scalable/apps/kalvetro.svg \
  ./usr/share/icons/hicolor/48x48/apps/kalvetro.png \
  ./usr/share/kalvetro/demo.klv \
  ./usr/share/man/man1/kalvetro.1.gz ./usr/share/man/man1/dmx_monitor.1.gz \
  "./usr/lib/systemd/system/kalvetro-player@.service" \
  ./usr/share/metainfo/org.kalvetro.console.metainfo.xml; do
  if grep -qx "$path" "$work/contents"; then
    pass "package holds $path"
  else
    fail "package lacks $path"
  fi
done

# ------------------------------------------------------------ what a distribution checks
# lintian: no error and no warning (information and pedantic hints are not asked for).
lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true)
if grep -qE '^[EW]: ' <<<"$lintian_out"; then
  fail "lintian: $lintian_out"
else
  pass "lintian reports no error and no warning"
fi

# ------------------------------------------------------------ install, start, uninstall
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing needs root; the package contents were checked"
  [ $failures -eq 0 ] && exit $skip
  exit 1
fi
if dpkg-query -W -f='${Status}' kalvetro 2>/dev/null | grep -q installed; then
  echo "SKIP: a kalvetro package is installed already; not touching it"
  [ $failures -eq 0 ] && exit $skip
  exit 1
fi

# dpkg waits for nobody: retry while another package operation holds its lock.
dpkg_retry() {
  local tries=0
  until dpkg "$@" >"$work/dpkg.log" 2>&1; do
    if grep -qi 'lock' "$work/dpkg.log" && [ $tries -lt 60 ]; then
      tries=$((tries + 1))
      sleep 2
      continue
    fi
    cat "$work/dpkg.log" >&2
    return 1
  done
}

installed_by_us=1
if dpkg_retry -i "$deb"; then
  pass "dpkg -i"
else
  fail "dpkg -i"
fi
if out=$(QT_QPA_PLATFORM=offscreen timeout 20 /usr/bin/kalvetro --version 2>&1); then
  echo "kalvetro --version: $out"
  [[ "$out" == *"$version"* ]] || fail "--version does not say $version"
else
  fail "kalvetro --version did not start: $out"
fi
demo=/usr/share/kalvetro/demo.klv
if [ "$(stat -c %s "$demo" 2>/dev/null)" = 81920 ] &&
  head -c 38 "$demo" | grep -q '^it is DMX512 File KALVETRO USB Ver 3.1$'; then
  pass "the demo show is a whole show file"
else
  fail "the demo show is not a show file"
fi
grep -q 'application/x-kalvetro-show:\*\.klv' /usr/share/mime/globs2 ||
  fail "the system MIME database did not learn *.klv"
# The installed manual page, the service template with it, the software centre's entry.
if man_out=$(man -P cat kalvetro 2>&1) && grep -q -- '--headless' <<<"$man_out"; then
  pass "man kalvetro"
else
  fail "man kalvetro: $man_out"
fi
if verify=$(systemd-analyze verify "/usr/lib/systemd/system/kalvetro-player@demo.service" 2>&1) &&
  [ -z "$verify" ]; then
  pass "systemd-analyze verify kalvetro-player@demo.service"
else
  fail "systemd-analyze verify: $verify"
fi
appstreamcli validate --pedantic --no-net /usr/share/metainfo/org.kalvetro.console.metainfo.xml \
  >/dev/null 2>&1 && pass "appstreamcli validate --pedantic" ||
  fail "appstreamcli validate --pedantic"

if dpkg_retry --purge kalvetro; then
  pass "dpkg --purge"
  installed_by_us=0
else
  fail "dpkg --purge"
fi
if dpkg-query -W -f='${Status}' kalvetro 2>/dev/null | grep -q installed; then
  fail "kalvetro is still installed"
fi
while read -r path; do
  p=${path#.}
  if [ -f "$p" ]; then fail "left behind: $p"; fi
done <"$work/contents"
if grep -q 'application/x-kalvetro-show' /usr/share/mime/globs2; then
  fail "the system MIME database still knows the show type"
fi

if [ $failures -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package checks passed"
