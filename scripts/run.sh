#!/usr/bin/env bash
# Installs what is missing, builds Korvexer and starts it under Wine. Without
# a display it runs on a virtual one, saves a screenshot and ends.
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=setup.sh
. "$here/setup.sh"

korvexer_prepare

export KORVEXER_WINEARCH=$flavour
virtual=0
[ -n "${DISPLAY:-}" ] || virtual=1
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
korvexer_wine_session

if [ "$virtual" = 0 ]; then
    exec "$KORVEXER_WINE" "$dir/Korvexer.exe"
fi

shot=${KORVEXER_SCREENSHOT:-$repo_root/build/korvexer-screenshot.png}
"$here/screenshot.sh" "$dir" "$shot"
status=$?
korvexer_wine_end
exit $status
