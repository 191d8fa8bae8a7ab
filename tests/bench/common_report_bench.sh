#!/usr/bin/env bash
# common_report_bench.sh BUILD_DIR [REPORT_COPY]: the whole common report
# written to a work file as the window writes it, through the real runner;
# wall time, the time children ran, the runner's own work and Korvexer's
# own share, in all and per row. Prints figures.
#
# Pinned to one core with the wineserver (pinned_session.sh).
set -u
# shellcheck source=pinned_session.sh
. "$(dirname "$0")/pinned_session.sh"
"$KORVEXER_WINE" "$dir/tests/common_report_bench.exe" ${2:-} </dev/null 2>/dev/null
korvexer_wine_end
