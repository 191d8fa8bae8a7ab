#!/usr/bin/env bash
# check_imports.sh EXE [LISTS_DIR]: fails when the program would not load on
# Windows 95. The loader refuses an image that imports a function its system
# DLL lacks, or whose subsystem version is above 4.0; Wine accepts both,
# whatever version it pretends to be, so only this look at the file shows it.
# LISTS_DIR holds one file per DLL, one exported name per line.
set -u
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
lists=${2:-${KORVEXER_WIN95_EXPORTS:-$here/../../../shared/win95-exports}}
objdump=$(command -v i686-w64-mingw32-objdump || command -v objdump)
[ -f "$exe" ] || { echo "FAIL: no program at $exe"; exit 1; }
[ -d "$lists" ] || { echo "FAIL: no export lists at $lists (set KORVEXER_WIN95_EXPORTS)"; exit 1; }

headers=$("$objdump" -p "$exe")
failed=0
for field in MajorSubsystemVersion MinorSubsystemVersion; do
    want=4; [ "$field" = MinorSubsystemVersion ] && want=0
    got=$(printf '%s\n' "$headers" | awk -v f="$field" '$1 == f { print $2 }')
    if [ "$got" != "$want" ]; then
        echo "FAIL: $field is '$got', Windows 95 and NT 4.0 need $want"
        failed=1
    fi
done

# Import table rows: "DLL Name: KERNEL32.dll" starts a block; each function
# row is "<hint-rva> <hint> <name>". An import by ordinal has no name and
# cannot be checked against a list of names: it is reported as "#ordinal",
# which no list holds, so it fails.
imports=$(printf '%s\n' "$headers" | awk '
    /DLL Name:/ { dll = tolower($3); sub(/\.dll$/, "", dll); next }
    dll != "" && /^\t[0-9a-f]+[ \t]+[0-9]+/ {
        name = ($3 == "" || $3 == "<none>") ? "#" $2 : $3
        print dll " " name
    }')
count=0
while read -r dll name; do
    [ -n "$dll" ] || continue
    count=$((count + 1))
    list="$lists/$dll.txt"
    if [ ! -f "$list" ]; then
        echo "FAIL: $dll.dll:$name — Windows 95 has no such DLL in its lists: bind it at run time"
        failed=1
    elif ! grep -qxF "$name" "$list"; then
        echo "FAIL: $dll.dll:$name — not exported by the Windows 95 DLL"
        failed=1
    fi
done <<<"$imports"
if [ "$count" -eq 0 ]; then
    echo "FAIL: no imports found in $exe (objdump output not understood)"
    exit 1
fi
dlls=$(printf '%s\n' "$imports" | awk '{ print $1 }' | sort -u | tr '\n' ' ')
echo "$count imported functions from: $dlls"
[ "$failed" = 0 ] && echo "ok: every import is exported by Windows 95, subsystem version 4.0"
exit $failed
