#!/usr/bin/env bash
# Builds quorvane-config.exe, the native Windows editor, with MinGW-w64 on Linux: one file,
# statically linked, built for size. It ends up in build/windows/quorvane-config.exe.
#
#   scripts/build-windows.sh
#
# Needs CMake, Ninja and MinGW-w64 (scripts/setup.sh installs them). To build and run the tests
# under Wine as well: cmake --preset windows && cmake --build --preset windows && ctest --preset windows
set -euo pipefail
cd "$(dirname "$0")/.."

command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
  { echo "MinGW-w64 is missing (Debian: g++-mingw-w64-x86-64-posix); run scripts/setup.sh" >&2; exit 2; }
cmake --preset windows-release
cmake --build --preset windows-release -j "$(nproc 2>/dev/null || echo 2)"
mkdir -p build/windows
cp build/windows-release/app/quorvane-config.exe build/windows/quorvane-config.exe
ls -l build/windows/quorvane-config.exe
