#!/usr/bin/env bash
# Installs what building and testing the editor needs on Debian or Ubuntu, through apt-get.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  googletest libgtest-dev libstb-dev
  xvfb xdotool x11-utils libx11-dev libxdamage-dev imagemagick librsvg2-bin time zopfli zip unzip
  fonts-dejavu-core fonts-liberation
  at-spi2-core python3-pyatspi
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# Qt's SVG module is packaged under two names depending on the release.
svg_package=qt6-svg-dev
if ! apt-cache show qt6-svg-dev >/dev/null 2>&1; then svg_package=libqt6svg6-dev; fi

# dbus-run-session (for the screen-reader test) has its own package only on newer releases; older
# ones (Ubuntu 22.04) carry it in dbus.
dbus_package=dbus-daemon
if ! apt-cache show dbus-daemon >/dev/null 2>&1; then dbus_package=dbus; fi

missing=()
for p in "${packages[@]}" "$svg_package" "$dbus_package"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  # The package list may have been stale when the SVG module's name was looked up.
  if [ "$svg_package" = libqt6svg6-dev ] && apt-cache show qt6-svg-dev >/dev/null 2>&1; then
    missing=("${missing[@]/libqt6svg6-dev/qt6-svg-dev}")
  fi
  if [ "$dbus_package" = dbus ] && apt-cache show dbus-daemon >/dev/null 2>&1; then
    for i in "${!missing[@]}"; do
      if [ "${missing[$i]}" = dbus ]; then missing[$i]=dbus-daemon; fi
    done
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

# The fuzz target needs clang's libFuzzer; without it the fuzzer is skipped, nothing else.
if ! dpkg-query -W -f='${Status}' libclang-rt-dev 2>/dev/null | grep -q 'install ok installed'; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    clang libclang-rt-dev || echo "clang's libFuzzer is not available here: the fuzz target is skipped"
fi

# MinGW-w64 cross-compiles the core and its tests for Windows, and Wine runs them; optional like
# libFuzzer. googletest (above) is the source the tests' GoogleTest is built from for Windows.
# The .exe that is handed out is built with the win32 thread model (scripts/release.sh).
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 ||
  ! command -v x86_64-w64-mingw32-g++-win32 >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 ||
    echo "MinGW-w64 is not available here: the Windows build and tests are skipped"
fi
wine_missing=()
for p in wine wine64 fonts-liberation; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    wine_missing+=("$p")
  fi
done
if [ "${#wine_missing[@]}" -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${wine_missing[@]}" || echo "Wine is not available here: the Windows tests are skipped"
fi
