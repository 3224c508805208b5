#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing the console need,
# but only those that are missing. Sourced by ./run and ./test.
KALVETRO_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libgl1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev
  ola libola-dev
  xvfb xauth fonts-dejavu-core adwaita-icon-theme
  desktop-file-utils shared-mime-info libxml2-utils dpkg-dev librsvg2-bin
  qt6-qpa-plugins
  clang-14 libfuzzer-14-dev clang-format-14
  liblo-dev
  qt6-httpserver-dev qt6-websockets-dev
  chromium chromium-driver python3-selenium python3-websocket
  librtmidi-dev jackd2
  libpulse-dev pulseaudio pulseaudio-utils gstreamer1.0-pulseaudio
  appstream systemd util-linux man-db groff-base bsdextrautils lintian
  libaubio-dev pulseaudio pulseaudio-utils sox hydrogen-drumkits python3-mir-eval
)

kalvetro_install_deps() {
  local missing=()
  local p
  for p in "${KALVETRO_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Kalvetro: installing missing packages: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo apt-get update && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" && return 0
    fi
    echo "Kalvetro: these packages are missing and I am not root." >&2
    echo "Install them as root, then run this command again:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    return 1
  fi
  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
}
