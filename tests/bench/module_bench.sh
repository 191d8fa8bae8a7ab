#!/usr/bin/env bash
# module_bench.sh BUILD_DIR [CHILDREN]: the module table of CHILDREN (50)
# processes, each a copy of version_probe.exe, through both bindings. Prints
# figures.
#
# Pinned to one core with the wineserver: it runs in a prefix of its own, so
# its wineserver starts inside the pinned process tree (every module and
# version query is a round trip to it).
set -u
if [ -z "${KORVEXER_BENCH_PINNED:-}" ]; then
    export KORVEXER_BENCH_PINNED=1
    exec taskset -c "${KORVEXER_BENCH_CPU:-1}" bash "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
children=${2:-50}
if grep -q x86_64 "$dir/CMakeCache.txt"; then export KORVEXER_WINEARCH=win64; else export KORVEXER_WINEARCH=win32; fi
export KORVEXER_WINEPREFIX=$dir/wineprefix-bench-$KORVEXER_WINEARCH
# shellcheck source=../../scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
korvexer_wine_session || exit 1
"$KORVEXER_WINE" "$dir/tests/module_bench.exe" "$children" </dev/null 2>/dev/null
korvexer_wine_end
