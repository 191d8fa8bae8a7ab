#!/usr/bin/env bash
# check_reproducible.sh EXE FOLDER...: fails when the image holds something
# that differs between two builds of one commit: a time stamp (the PE header's,
# the export, import, resource, debug and load-configuration directories') or
# the path of a FOLDER it was built in (the sources, the build folder), in
# single-byte or UTF-16 text. The release script compares two whole builds;
# this is the quick look the suite can afford on every run.
set -u
exe=$1
shift
[ -f "$exe" ] || { echo "FAIL: no program at $exe"; exit 1; }
failed=0

u16() { od -An -tu2 -j "$1" -N2 "$exe" | tr -d ' '; }
u32() { od -An -tu4 -j "$1" -N4 "$exe" | tr -d ' '; }
fail() {
    echo "FAIL: $*"
    failed=1
}

pe=$(u32 60)
[ "$(u32 "$pe")" = 17744 ] || { echo "FAIL: $exe is not a PE image"; exit 1; } # "PE\0\0"
sections=$(u16 $((pe + 6)))
optional=$((pe + 24))
optional_size=$(u16 $((pe + 20)))
case $(u16 "$optional") in
267) directories=$((optional + 96)) objdump=i686-w64-mingw32-objdump ;;    # PE32
523) directories=$((optional + 112)) objdump=x86_64-w64-mingw32-objdump ;; # PE32+
*) echo "FAIL: unknown optional header in $exe"; exit 1 ;;
esac
directory_count=$(u32 $((directories - 4)))
section_table=$((optional + optional_size))

stamp=$(u32 $((pe + 8)))
[ "$stamp" = 0 ] || fail "the PE header's TimeDateStamp is $stamp, not 0"

# The file offset of a relative virtual address, through the section table.
offset_of() {
    local rva=$1 i base vsize raw_size raw
    for ((i = 0; i < sections; i++)); do
        base=$((section_table + 40 * i))
        vsize=$(u32 $((base + 8)))
        raw_size=$(u32 $((base + 16)))
        [ "$raw_size" -gt "$vsize" ] && vsize=$raw_size
        raw=$(u32 $((base + 20)))
        local va
        va=$(u32 $((base + 12)))
        if [ "$rva" -ge "$va" ] && [ "$rva" -lt $((va + vsize)) ]; then
            echo $((rva - va + raw))
            return 0
        fi
    done
    return 1
}

# Directory INDEX holds records of SIZE bytes (0: one record), each with a
# time stamp 4 bytes in; a list ends at its size or at a record whose field
# at END (the import descriptors' name) is 0.
check_records() {
    local index=$1 name=$2 size=$3 end=${4:-} rva length at n i value
    [ "$index" -lt "$directory_count" ] || return 0
    rva=$(u32 $((directories + 8 * index)))
    length=$(u32 $((directories + 8 * index + 4)))
    [ "$rva" != 0 ] && [ "$length" != 0 ] || return 0
    at=$(offset_of "$rva") || { fail "the $name directory lies outside every section"; return; }
    n=1
    [ "$size" -gt 0 ] && n=$((length / size))
    for ((i = 0; i < n; i++)); do
        [ -n "$end" ] && [ "$(u32 $((at + i * size + end)))" = 0 ] && break
        value=$(u32 $((at + i * size + 4)))
        if [ "$value" != 0 ]; then
            fail "the $name directory's time stamp (record $i) is $value, not 0"
            return
        fi
    done
}
check_records 0 export 0
check_records 1 import 20 12
check_records 2 resource 0
check_records 6 debug 28
check_records 10 "load configuration" 0

# The resource directory's tables below its root carry stamps of their own.
objdump=$(command -v "$objdump" || command -v objdump)
if ! headers=$("$objdump" -p "$exe" 2>&1); then
    fail "objdump cannot read $exe: $(printf '%s' "$headers" | head -1)"
elif stamps=$(printf '%s\n' "$headers" | grep -oE 'Table: .*Time: [0-9a-f]+' | grep -vE 'Time: 0+$'); then
    fail "resource tables with a time stamp: $(printf '%s' "$stamps" | head -1)"
fi

# The cross toolchain's strings comes with the compiler; without any, the
# search below would find nothing and pass on anything.
strings=$(command -v "${objdump%objdump}strings" || command -v strings) || {
    echo "FAIL: no strings program to search $exe for folders"
    exit 1
}
text=$( ("$strings" -a -n 4 "$exe" && "$strings" -a -n 4 -el "$exe")) || fail "$strings cannot read $exe"
for folder in "$@"; do
    for path in "$folder" "$(cd "$folder" 2>/dev/null && pwd -P)"; do
        [ -n "$path" ] || continue
        if hit=$(printf '%s\n' "$text" | grep -F -m1 -- "$path"); then
            fail "the image names the build machine's folder $path: $hit"
        fi
    done
done

[ "$failed" = 0 ] && echo "ok: time stamps 0, no path of: $*"
exit $failed
