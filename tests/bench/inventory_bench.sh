#!/usr/bin/env bash
# inventory_bench.sh BUILD_DIR [SERVER_URL] [RUNS]: wall time of one
# "/report common" against one "/inventory" of the same machine, into a file
# and, when SERVER_URL is given (e.g. http://127.0.0.1/ocsinventory, with the
# server started by scripts/ocs-server.sh), to that server. Prints figures.
#
# Pinned to one core with the wineserver (pinned_session.sh).
set -u
# shellcheck source=pinned_session.sh
. "$(dirname "$0")/pinned_session.sh"
server=${2:-}
runs=${3:-3}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
exe=$dir/Korvexer.exe
winout=$(winepath -w "$out" 2>/dev/null)

# One run of Korvexer with ARGS; prints its wall time in seconds.
timed() {
    local start end code
    start=$(date +%s.%N)
    "$KORVEXER_WINE" "$exe" "$@" </dev/null >/dev/null 2>"$out/err"
    code=$?
    end=$(date +%s.%N)
    if [ "$code" != 0 ]; then
        echo "  exit $code: $(tr -d '\r' <"$out/err")" >&2
    fi
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

summary() { # label, then the times
    local label=$1
    shift
    printf '%-34s' "$label"
    printf ' %6.2f s' "$@"
    printf '\n'
}

declare -a report file sent
for _ in $(seq "$runs"); do
    report+=("$(timed /report common "$winout\\common.txt")")
    file+=("$(timed /inventory "$winout\\inventory.xml")")
    if [ -n "$server" ]; then sent+=("$(timed /inventory "$server")"); fi
done
echo "runs: $runs (wall time of each, Korvexer started and ended under Wine)"
summary "/report common FILE" "${report[@]}"
summary "/inventory FILE" "${file[@]}"
if [ -n "$server" ]; then summary "/inventory $server" "${sent[@]}"; fi
korvexer_wine_end
