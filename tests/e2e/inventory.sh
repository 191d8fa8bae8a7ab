#!/usr/bin/env bash
# inventory.sh BUILD_DIR: sends this machine's inventory to the local server
# (scripts/ocs-server.sh, started by the ocs_server fixture) and compares what
# it stored with what the reports of the same Wine prefix show: the computer
# name, OS, physical memory and address of the common report, one software row
# per uninstall entry of the App Paths report. Then a second run updates the
# same device, /tag reaches a new device's account, and the file form gives a
# document the server takes as it stands.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
server=$here/../../scripts/ocs-server.sh
url=http://127.0.0.1/ocsinventory
if grep -q x86_64 "$dir/CMakeCache.txt"; then arch=win64; else arch=win32; fi
export KORVEXER_WINEARCH=$arch
# shellcheck source=../../scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
korvexer_wine_session || {
    echo "no Wine session"
    exit 1
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvexer-inventory.XXXXXX")
win_tmp="Z:${tmp//\//\\}"
failed=0
ok() { echo "ok   $*"; }
fail() {
    echo "FAIL $*"
    failed=1
}
# same WHAT EXPECTED ACTUAL
same() {
    if [ "$2" = "$3" ]; then ok "$1: '$3'"; else fail "$1: expected '$2', got '$3'"; fi
}

# Korvexer.exe with ARGS, its output kept as NAME.out and NAME.err: whatever it
# starts (the WMI surrogate) holds these files, not our caller's pipes.
korvexer() {
    local name=$1 status
    shift
    timeout -k 5 120 "$KORVEXER_WINE" "$dir/Korvexer.exe" "$@" </dev/null >"$tmp/$name.out" 2>"$tmp/$name.err"
    status=$?
    korvexer_end_wmi_surrogates
    return $status
}
# Runs /inventory with ARGS and expects exit code 0 (WHAT names the run).
inventory() {
    local what=$1 status
    shift
    korvexer "$what" /inventory "$@"
    status=$?
    if [ $status = 0 ]; then
        ok "$what: /inventory $* exits 0"
        # A file is no console: no progress line, nothing at all on success.
        # Wine's own notes share the file (its loader writes to the Unix
        # standard error, e.g. that a volume's label cannot be read): they are
        # not the program's and are left out.
        same "$what: standard error" "" "$(grep -avE '^(wine: |[0-9a-f]{4}:(fixme|err|warn|trace):)' "$tmp/$what.err")"
    else
        fail "$what: /inventory $* exits $status: $(cat "$tmp/$what.err")"
    fi
    return $status
}

uninstall='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# regedit LINE...: imports a registry file of these lines.
regedit() {
    printf '%s\r\n' REGEDIT4 '' "$@" >"$tmp/planted.reg"
    "$KORVEXER_WINE" regedit /s "$win_tmp\\planted.reg" </dev/null >/dev/null 2>&1
}
# shellcheck disable=SC2317 # run by the trap
cleanup() {
    regedit "[-$uninstall\\KorvexerInventoryTestA]" "[-$uninstall\\KorvexerInventoryTestB]"
    korvexer_end_wmi_surrogates
    rm -rf "$tmp"
}
trap cleanup EXIT

device_id() {
    local key value
    for key in 'HKLM\Software\Korvexer' 'HKCU\Software\Korvexer'; do
        value=$("$KORVEXER_WINE" reg query "$key" /v DeviceId </dev/null 2>/dev/null | tr -d '\r' |
            awk '$1 == "DeviceId" { sub(/^.*REG_SZ[ \t]+/, ""); print; exit }')
        if [ -n "$value" ]; then
            printf '%s\n' "$value"
            return 0
        fi
    done
    return 1
}
# A device the server has never seen: its rows and its stored DEVICEID go.
new_device() {
    local id key
    if id=$(device_id); then bash "$server" forget "$id"; fi
    for key in 'HKLM\Software\Korvexer' 'HKCU\Software\Korvexer'; do
        "$KORVEXER_WINE" reg delete "$key" /v DeviceId /f </dev/null >/dev/null 2>&1
    done
}
# rows TABLE: the device's rows of TABLE; column TABLE COLUMN: that column of them.
rows() { bash "$server" query "$id" "$1" 2>/dev/null | awk -F'\t' -v t="$1" '$1 == t'; }
column() {
    bash "$server" query "$id" "$1" 2>/dev/null | awk -F'\t' -v t="$1" -v c="$2" '
        $1 == "#" t { for (i = 2; i <= NF; ++i) if ($i == c) at = i; next }
        $1 == t && at { print $at }'
}

# ----------------------------------------------------------- the server is up
printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' '<REQUEST>' \
    '  <DEVICEID>korvexer-probe-2000-01-01-00-00-00</DEVICEID>' '  <QUERY>PROLOG</QUERY>' '</REQUEST>' >"$tmp/prolog.xml"
if ! bash "$server" post "$tmp/prolog.xml" >"$tmp/probe.out" 2>&1; then
    if [ "$(id -u)" != 0 ] && ! sudo -n true 2>/dev/null; then
        echo "no inventory server here, and starting one needs root: skipped"
        exit 77
    fi
    echo "FAIL the server at $url does not answer a PROLOG:"
    cat "$tmp/probe.out"
    exit 1
fi

# -------------------------------------------- what the reports say, and plants
# Two uninstall entries the App Paths report and the inventory both list, one
# named in the ANSI code page.
# Registry files are read in the ANSI code page: \xe9 is an e acute in 1252.
regedit "[$uninstall\\KorvexerInventoryTestA]" "\"DisplayName\"=\"Korvexer Test Caf"$'\xe9'"\"" \
    '"Publisher"="Korvexer Testers"' '"DisplayVersion"="1.2.3"' '' \
    "[$uninstall\\KorvexerInventoryTestB]" '"DisplayName"="Korvexer Test Second"' \
    '"VersionMajor"=dword:00000002' '"VersionMinor"=dword:00000005'
korvexer common /report common "$win_tmp\\common.txt" || fail "/report common exits $?: $(cat "$tmp/common.err")"
korvexer apppaths /report apppaths "$win_tmp\\apppaths.txt" || fail "/report apppaths exits $?: $(cat "$tmp/apppaths.err")"
[ $failed = 0 ] || exit 1
codeset=$(tr -d '\r' <"$tmp/common.txt" | sed -n 's/^CodeSet: \([0-9][0-9]*\)$/\1/p' | head -1)
text() { iconv -f "CP${codeset:-1252}" -t UTF-8 "$1" | tr -d '\r'; }
text "$tmp/common.txt" >"$tmp/common.utf8"
text "$tmp/apppaths.txt" >"$tmp/apppaths.utf8"
name=$(sed -n 's/^Computer name: *//p' "$tmp/common.utf8" | head -1 | sed 's/[[:space:]]*$//')
os=$(sed -n 's/^OS: //p' "$tmp/common.utf8" | head -1)
kilobytes=$(sed -n 's/^ *\([0-9][0-9]*\) total Kbytes of physical memory\.$/\1/p' "$tmp/common.utf8" | head -1)
# The first adapter address that is set and not the loopback.
address=$(sed -n 's/^\tIP Address: \t//p' "$tmp/common.utf8" | grep -v -e '^0\.0\.0\.0$' -e '^127\.' | head -1)
[ -n "$address" ] || address=NULL
listed=$(awk '/^Installed Software whether or not by Windows Installer:$/ { on = 1; next }
              /^=+$/ { on = 0 } on && /^Display Name: / { ++n } END { print n + 0 }' "$tmp/apppaths.utf8")
# The same entries as the App Paths report's rule picks them (a display name,
# else a quiet one), read with reg: Wine's registry provider, which the
# report's script asks, lists no keys, so under Wine the report lists none.
software=$("$KORVEXER_WINE" reg query "${uninstall/HKEY_LOCAL_MACHINE/HKLM}" /s </dev/null 2>/dev/null | tr -d '\r' | awk '
    function done() { if (key && (shown != "" || quiet != "")) ++n; key = 0 }
    /^HKEY_/ { done(); key = ($0 ~ /\\Uninstall\\[^\\]+$/); shown = quiet = ""; next }
    $1 == "DisplayName" && $2 == "REG_SZ" { shown = $3 }
    $1 == "QuietDisplayName" && $2 == "REG_SZ" { quiet = $3 }
    END { done(); print n + 0 }')
if [ "$listed" != 0 ] && [ "$listed" != "$software" ]; then
    fail "the App Paths report lists $listed uninstall entries, the registry $software"
fi
echo "common report: computer '$name', OS '$os', $kilobytes KB of physical memory, address $address;" \
    "uninstall entries: $software in the registry, $listed in the App Paths report"
if [ -z "$name" ] || [ -z "$os" ] || [ -z "$kilobytes" ] || [ "$software" -lt 2 ]; then
    fail "the reports lack a value compared here"
    exit 1
fi

# Devices of this machine's name are gone first: the server merges a new
# device into an older one of the same name and adapters, whose account
# (its tag) would then win.
bash "$server" forget "$name"
new_device

# ------------------------------------------------------------------ first run
inventory first "$url"
id=$(device_id) || id=
if [[ "$id" =~ ^.+-[0-9]{4}(-[0-9]{2}){5}$ ]] && [ "${id%-*-*-*-*-*-*}" = "$name" ]; then
    ok "DEVICEID kept in the registry: $id"
else
    fail "DEVICEID in the registry: '$id' is not '$name-YYYY-MM-DD-hh-mm-ss'"
fi
same "hardware rows of $id" 1 "$(rows hardware | wc -l)"
same "NAME" "$name" "$(column hardware NAME)"
same "OSNAME" "$os" "$(column hardware OSNAME)"
same "MEMORY (MB)" "$((kilobytes / 1024))" "$(column hardware MEMORY)"
same "IPADDR" "$address" "$(column hardware IPADDR)"
for table in drives networks cpus; do
    n=$(rows $table | wc -l)
    if [ "$n" -ge 1 ]; then ok "$table: $n rows"; else fail "$table: no rows"; fi
done
same "software rows (uninstall entries)" "$software" "$(rows software | wc -l)"
# The planted entries with their publisher and version, the ANSI name as UTF-8.
planted=$(bash "$server" query "$id" software 2>/dev/null | awk -F'\t' '
    $1 == "#software" { for (i = 2; i <= NF; ++i) c[$i] = i; next }
    $1 == "software" && $c["NAME"] ~ /^Korvexer Test / { print $c["NAME"] "|" $c["PUBLISHER"] "|" $c["VERSION"] }' | sort)
same "planted software (name|publisher|version)" \
    "$(printf 'Korvexer Test Caf\xc3\xa9|Korvexer Testers|1.2.3\nKorvexer Test Second|Unavailable|2.5')" "$planted"

# ----------------------------------------------------------------- second run
first_date=$(column hardware LASTDATE)
sleep 1.5
inventory second "$url"
same "hardware rows of $id after a second run" 1 "$(rows hardware | wc -l)"
second_date=$(column hardware LASTDATE)
if [[ "$second_date" > "$first_date" ]]; then
    ok "LASTDATE moved: $first_date -> $second_date"
else
    fail "LASTDATE did not move: $first_date -> $second_date"
fi

# ---------------------------------------------------------------------- /tag
new_device
inventory tagged "$url" /tag LAB-7
id=$(device_id) || id=
same "accountinfo TAG of the new device $id" LAB-7 "$(column accountinfo TAG)"

# ---------------------------------------------------------------- file form
# The file run sends nothing: the server learns of the device only from the
# file, posted as it stands.
bash "$server" forget "$id"
if inventory file "$win_tmp\\inv.xml"; then
    same "hardware rows after writing the file" 0 "$(rows hardware | wc -l)"
    if head -c 5 "$tmp/inv.xml" | grep -q '^<?xml' && grep -qF "<DEVICEID>$id</DEVICEID>" "$tmp/inv.xml"; then
        ok "the file holds an XML document for $id ($(wc -c <"$tmp/inv.xml") bytes)"
    else
        fail "the file holds no XML document for $id: $(head -c 200 "$tmp/inv.xml")"
    fi
    if bash "$server" post "$tmp/inv.xml" >"$tmp/post.out" 2>&1; then
        ok "the server took the file: $(head -1 "$tmp/post.out")"
    else
        fail "the server refused the file: $(cat "$tmp/post.out")"
    fi
    same "NAME stored from the file" "$name" "$(column hardware NAME)"
    same "software rows stored from the file" "$software" "$(rows software | wc -l)"
fi
bash "$server" forget "$id"
exit $failed
