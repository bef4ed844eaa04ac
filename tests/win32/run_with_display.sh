#!/usr/bin/env bash
# Runs a Windows test program that opens windows: under Wine in $WINEPREFIX, on a private Xvfb.
#
#   run_with_display.sh <xvfb-common.sh> <program.exe> [arguments]
set -euo pipefail
# shellcheck source=../../scripts/xvfb-common.sh
. "$1"
shift
begin_run
start_display "$1"
status=0
"$QUORVANE_WINE_PREFIX_SCRIPT" run "$@" </dev/null || status=$?
exit $status
