#!/usr/bin/env bash
# policies_app_paths_bench.sh BUILD_DIR [PLANTED [BYTES [BYTE_SAMPLE [APP_PATHS
# [show]]]]]: times the policies report over the Windows folder's .inf files
# plus PLANTED planted files of BYTES bytes (default 2,000 of 50 KB), and the
# App Paths report into a visible edit control with APP_PATHS entries planted
# in the App Paths key (default 1,000). Prints figures ("show" also prints the
# App Paths report).
#
# Pinned to one core with a wineserver of its own, started inside the pinned
# process tree (pinned_session.sh).
set -u
# shellcheck source=pinned_session.sh
. "$(dirname "$0")/pinned_session.sh"
shift
"$KORVEXER_WINE" "$dir/tests/policies_app_paths_bench.exe" "$@" </dev/null 2>/dev/null
korvexer_wine_end
