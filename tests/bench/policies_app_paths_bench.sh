#!/usr/bin/env bash
# policies_app_paths_bench.sh BUILD_DIR [PLANTED [BYTES [BYTE_SAMPLE [APP_PATHS
# [show]]]]]: times the policies report over the Windows folder's .inf files
# plus PLANTED planted files of BYTES bytes (default 2,000 of 50 KB), and the
# App Paths report into a visible edit control with APP_PATHS entries planted
# in the App Paths key (default 1,000). Prints figures ("show" also prints the
# App Paths report).
#
# Pinned to one core with a wineserver of its own, started inside the pinned
# process tree (see registry_bench.sh).
set -u
if [ -z "${KORVEXER_BENCH_PINNED:-}" ]; then
    export KORVEXER_BENCH_PINNED=1
    exec taskset -c "${KORVEXER_BENCH_CPU:-1}" bash "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
shift
if grep -q x86_64 "$dir/CMakeCache.txt"; then export KORVEXER_WINEARCH=win64; else export KORVEXER_WINEARCH=win32; fi
export KORVEXER_WINEPREFIX=$dir/wineprefix-bench-$KORVEXER_WINEARCH
# shellcheck source=../../scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
korvexer_wine_session || exit 1
"$KORVEXER_WINE" "$dir/tests/policies_app_paths_bench.exe" "$@" </dev/null 2>/dev/null
korvexer_wine_end
