#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest: wine-run.sh win32|win64 PROGRAM [ARGS].
# A private prefix, a display (a private Xvfb when none is given), and a
# session booted once with every standard descriptor detached so helper
# processes never hold ctest's pipes.
#
# The program writes into a file, not into ctest's pipe: whatever it starts
# inherits that file (Wine starts dllhost.exe for WMI queries, and it lives
# on until ended here), so nothing that outlives the program can keep ctest
# waiting. The file is copied to our output once the program has ended.
# KORVEXER_TEST_TIMEOUT (seconds) stays below the test's ctest timeout, so a
# hung program is ended here and its output still shown.
set -u
here=$(cd "$(dirname "$0")" && pwd)
export KORVEXER_WINEARCH=${1:-win32}
shift
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
korvexer_wine_session || exit 125
log=$(mktemp "${TMPDIR:-/tmp}/korvexer-run.XXXXXX")
timeout -k 5 "${KORVEXER_TEST_TIMEOUT:-240}" "$KORVEXER_WINE" "$@" </dev/null >"$log" 2>&1
status=$?
korvexer_end_wmi_surrogates
cat "$log"
rm -f "$log"
exit $status
