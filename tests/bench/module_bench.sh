#!/usr/bin/env bash
# module_bench.sh BUILD_DIR [CHILDREN]: the module table of CHILDREN (50)
# processes, each a copy of version_probe.exe, through both bindings. Prints
# figures.
#
# Pinned to one core with the wineserver (pinned_session.sh): every module
# and version query is a round trip to it.
set -u
# shellcheck source=pinned_session.sh
. "$(dirname "$0")/pinned_session.sh"
children=${2:-50}
"$KORVEXER_WINE" "$dir/tests/module_bench.exe" "$children" </dev/null 2>/dev/null
korvexer_wine_end
