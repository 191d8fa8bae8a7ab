#!/usr/bin/env bash
# wmi_runs_bench.sh BUILD_DIR [ROUNDS] [old]: the common report's WMI runs,
# each timed, against a bare script-host start. Prints figures.
#
# Pinned to one core with the wineserver (pinned_session.sh).
set -u
# shellcheck source=pinned_session.sh
. "$(dirname "$0")/pinned_session.sh"
"$KORVEXER_WINE" "$dir/tests/wmi_runs_bench.exe" "${2:-1}" ${3:-} </dev/null 2>/dev/null
korvexer_wine_end
