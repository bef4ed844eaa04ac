#!/usr/bin/env bash
# Sets up a fresh Debian or Ubuntu machine, builds the editor and starts it.
# The editor edits the VOZ.INI beside its own executable; run it with a folder to use a copy
# placed there instead: scripts/run.sh ~/.wine/drive_c/Quorvane
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quorvane-config

program=build/default/app/quorvane-config
if [ $# -ge 1 ]; then
  cp "$program" "$1/"
  program="$1/quorvane-config"
fi
exec "$program"
