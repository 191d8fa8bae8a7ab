#!/usr/bin/env bash
# screenshot.sh BUILD_DIR OUT.png: starts Korvexer.exe, waits for its window,
# shows the welcome text, saves a screenshot of the display and ends the program.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
out=$2
export KORVEXER_WINEARCH=${KORVEXER_WINEARCH:-$([ -f "$dir/CMakeCache.txt" ] && grep -q x86_64 "$dir/CMakeCache.txt" && echo win64 || echo win32)}
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
korvexer_wine_session || exit 1
mkdir -p "$(dirname "$out")"

"$KORVEXER_WINE" "$dir/Korvexer.exe" </dev/null >/dev/null 2>&1 &
app=$!
if ! timeout 60 "$KORVEXER_WINE" "$dir/tests/kvdrive.exe" wait 40 </dev/null; then
    kill "$app" 2>/dev/null
    exit 1
fi
sleep 1.5  # the first tick's welcome text and a full paint
import -window root "$out"
rc=$?
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
# A window was drawn: a blank or black display has only a few colours.
colours=$([ $rc -eq 0 ] && identify -format %k "$out" 2>/dev/null || echo 0)
if [ "$colours" -gt 16 ]; then
    echo "Screenshot of the Korvexer window: $out"
    exit 0
fi
exit 1
