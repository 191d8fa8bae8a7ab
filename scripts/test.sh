#!/usr/bin/env bash
# Installs what is missing, builds Korvexer and its tests, runs the whole
# suite (unit and end-to-end) under Wine and ends with ctest's summary.
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=setup.sh
. "$here/setup.sh"

korvexer_prepare
if [ "$flavour" = win64 ]; then
    echo "This kernel cannot execute 32-bit binaries: testing the 64-bit build of the same sources."
fi

export KORVEXER_WINEARCH=$flavour
started_xvfb=0
if [ -z "${DISPLAY:-}" ]; then
    num=${KORVEXER_XVFB_DISPLAY:-87}
    pgrep -f "Xvfb :$num " >/dev/null 2>&1 || started_xvfb=1
fi
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
korvexer_wine_session

set +e
ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$dir/ctest.log" | grep -vE '^\s+Start [0-9]+:'
rc=${PIPESTATUS[0]}
korvexer_wine_end
if [ "$started_xvfb" = 1 ]; then pkill -f "Xvfb :${KORVEXER_XVFB_DISPLAY:-87} " 2>/dev/null || true; fi
exit "$rc"
