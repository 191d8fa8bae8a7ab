# Sourced first by a benchmark script, with the script's own arguments
# (BUILD_DIR first): runs the whole script pinned to one core and starts a
# Wine session in a prefix of its own, so that its wineserver is started
# inside the pinned process tree too. A round trip to a server on another core
# costs about five times one on the same core, which would swing the figures
# with the scheduler's mood. Sets `dir` (the build) and the Wine variables.
if [ -z "${KORVEXER_BENCH_PINNED:-}" ]; then
    export KORVEXER_BENCH_PINNED=1
    exec taskset -c "${KORVEXER_BENCH_CPU:-1}" bash "$0" "$@"
fi
dir=$(cd "$1" && pwd)
if grep -q x86_64 "$dir/CMakeCache.txt"; then export KORVEXER_WINEARCH=win64; else export KORVEXER_WINEARCH=win32; fi
export KORVEXER_WINEPREFIX=$dir/wineprefix-bench-$KORVEXER_WINEARCH
# shellcheck source=../../scripts/wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
korvexer_wine_session || exit 1
