#!/usr/bin/env bash
# Sets up a fresh Debian or Ubuntu machine and runs every test: the full build with warnings as
# errors (core, Qt view and end-to-end tests), then the core's tests under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

cmake --preset ci-sanitize
cmake --build --preset ci-sanitize -j "$jobs"
ctest --preset ci-sanitize -j "$jobs"
