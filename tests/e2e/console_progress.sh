#!/usr/bin/env bash
# console_progress.sh BUILD_DIR: runs Korvexer.exe from Wine's command
# interpreter on a pseudo-terminal, so that its standard error is a real
# console, and reads back what the console printed: the progress line of a
# hive dump (rewritten in place, cut to the console's width), none with
# /quiet, and an error line that starts a line of its own after the progress
# line is blanked out. Where no pseudo-terminal can be had (no "script"), the
# test is skipped and says so.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
if ! command -v script >/dev/null 2>&1; then
    echo "no \"script\" here to run a program on a pseudo-terminal: skipped"
    exit 77
fi
if grep -q x86_64 "$dir/CMakeCache.txt"; then arch=win64; else arch=win32; fi
export KORVEXER_WINEARCH=$arch
# shellcheck source=../../scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
korvexer_wine_session || {
    echo "no Wine session"
    exit 1
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvexer-console.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
win_tmp="Z:${tmp//\//\\}"
win_exe="Z:${dir//\//\\}\\Korvexer.exe"
failed=0
ok() { echo "ok   $*"; }
fail() {
    echo "FAIL $*"
    failed=1
}

# on_console NAME COLUMNS ARGS: Korvexer.exe with ARGS, started as a user
# starts it from a prompt of COLUMNS columns; what the terminal received goes
# to NAME.txt, one piece per line: the console's own escape sequences are
# dropped and every carriage return or line feed ends a piece, so a piece is
# what one write left on a line from its start.
on_console() {
    local name=$1 columns=$2
    shift 2
    timeout -k 5 120 script -qfc "stty cols $columns; \"$KORVEXER_WINE\" cmd /c 'start /wait $win_exe $* & echo EXIT=%errorlevel%'" \
        "$tmp/$name.typescript" </dev/null >/dev/null 2>&1
    grep -av '^Script \(started\|done\) on ' "$tmp/$name.typescript" | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' |
        tr '\r' '\n' | grep -av '^$' >"$tmp/$name.txt"
}

on_console wide 100 /report hklm "$win_tmp\\hklm.txt"
if grep -qx 'EXIT=0' "$tmp/wide.txt"; then ok "hklm on a console exits 0"; else fail "hklm on a console: $(cat "$tmp/wide.txt")"; fi
lines=$(grep -cE '^HKEY_LOCAL_MACHINE: [0-9]+ keys *$' "$tmp/wide.txt")
if [ "$lines" -ge 1 ]; then
    ok "the progress line showed $lines times: $(grep -E '^HKEY_LOCAL_MACHINE: ' "$tmp/wide.txt" | tail -1)"
else
    fail "no progress line on the console: $(head -c 600 "$tmp/wide.txt")"
fi
if head -c 40 "$tmp/hklm.txt" | grep -q '^HKEY_LOCAL_MACHINE Registry:'; then
    ok "the report is in its file"
else
    fail "the report's file: $(head -c 200 "$tmp/hklm.txt")"
fi

on_console narrow 24 /report hklm "$win_tmp\\hklm.txt"
longest=$(grep 'HKEY_LOCAL' "$tmp/narrow.txt" | awk '{ if (length($0) > n) n = length($0) } END { print n + 0 }')
if [ "$longest" -ge 1 ] && [ "$longest" -le 23 ]; then
    ok "on 24 columns the line keeps to 23 ($longest)"
else
    fail "on 24 columns the longest progress line has $longest characters: $(head -c 600 "$tmp/narrow.txt")"
fi

on_console quiet 100 /report hklm "$win_tmp\\hklm.txt" /quiet
if grep -qx 'EXIT=0' "$tmp/quiet.txt" && ! grep -q 'HKEY_LOCAL_MACHINE' "$tmp/quiet.txt"; then
    ok "/quiet shows no progress line"
else
    fail "/quiet: $(head -c 600 "$tmp/quiet.txt")"
fi

# Nobody listens on the discard port: the inventory fails once the machine is read.
on_console refused 100 /inventory http://127.0.0.1:9/ocsinventory
if grep -q '^Inventory: reading this machine' "$tmp/refused.txt" &&
    grep -q '^Korvexer: cannot reach the inventory server' "$tmp/refused.txt" &&
    grep -qx 'EXIT=1' "$tmp/refused.txt"; then
    ok "the progress line gave way to the error line: $(grep '^Korvexer: ' "$tmp/refused.txt" | head -c 100)"
else
    fail "the inventory's progress and error lines: $(head -c 800 "$tmp/refused.txt")"
fi

exit $failed
