#!/usr/bin/env bash
# pre_xp.sh BUILD_DIR: runs the end-to-end tests of behaviour before Windows XP
# (e2e_pre_xp_tests.exe) in a private Wine prefix that claims to be Windows
# 2000. 64-bit Wine offers no version before XP: the test is skipped there.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
if grep -q x86_64 "$dir/CMakeCache.txt"; then
    echo "64-bit Wine has no Windows version before XP: skipped"
    exit 77
fi
export KORVEXER_WINEARCH=win32
export KORVEXER_WINEPREFIX=$dir/wineprefix-win2k-win32
# shellcheck source=../../scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
korvexer_wine_session || { echo "no Wine session"; exit 1; }
"$KORVEXER_WINE" winecfg /v win2k </dev/null >/dev/null 2>&1
# Output through a file: nothing the program starts may hold ctest's pipe.
log=$(mktemp "${TMPDIR:-/tmp}/korvexer-prexp.XXXXXX")
timeout -k 5 280 "$KORVEXER_WINE" "$dir/tests/e2e_pre_xp_tests.exe" </dev/null >"$log" 2>&1
status=$?
cat "$log"
rm -f "$log"
korvexer_wine_end
exit $status
