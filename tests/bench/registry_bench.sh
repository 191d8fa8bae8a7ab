#!/usr/bin/env bash
# registry_bench.sh BUILD_DIR [KEYS]: builds a synthetic tree under a private
# key (KEYS keys of four values each: REG_SZ, DWORD, 64-byte binary,
# multi-string), imports it with regedit /s, then times a full dump through our
# walker and through regedit /e. Prints figures.
#
# The whole run is pinned to one core, wineserver included (pinned_session.sh).
set -u
# shellcheck source=pinned_session.sh
. "$(dirname "$0")/pinned_session.sh"
keys=${2:-50000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root='Software\KorvexerBench'
python3 - "$keys" "$work/tree.reg" <<'PY'
import sys
keys, out = int(sys.argv[1]), sys.argv[2]
blob = ",".join("%02x" % (i % 256) for i in range(64))
multi = ",".join(["61,00,62,00,00,00"] * 2) + ",00,00"
with open(out, "w", encoding="utf-16") as f:
    f.write("Windows Registry Editor Version 5.00\r\n\r\n")
    f.write("[HKEY_CURRENT_USER\\Software\\KorvexerBench]\r\n\r\n")
    for k in range(keys):
        group = k // 100
        f.write("[HKEY_CURRENT_USER\\Software\\KorvexerBench\\G%03d\\K%05d]\r\n" % (group, k))
        f.write('"Name"="value number %d"\r\n' % k)
        f.write('"Count"=dword:%08x\r\n' % k)
        f.write('"Blob"=hex:%s\r\n' % blob)
        f.write('"List"=hex(7):%s\r\n\r\n' % multi)
PY
start=$(date +%s.%N)
winpath() { echo "Z:${1//\//\\}"; }
"$KORVEXER_WINE" regedit /s "$(winpath "$work/tree.reg")" </dev/null >/dev/null 2>&1
echo "import: $(echo "$(date +%s.%N) - $start" | bc) s"
ours=$(winpath "$work/ours.txt")
theirs=$(winpath "$work/regedit.reg")
"$KORVEXER_WINE" "$dir/tests/registry_bench.exe" "$root" "$ours" </dev/null 2>/dev/null
start=$(date +%s.%N)
"$KORVEXER_WINE" regedit /e "$theirs" "HKEY_CURRENT_USER\\$root" </dev/null >/dev/null 2>&1
echo "regedit /e: $(echo "$(date +%s.%N) - $start" | bc) s, $(stat -c %s "$work/regedit.reg") bytes"
echo "our dump: $(stat -c %s "$work/ours.txt") bytes"
"$KORVEXER_WINE" reg delete "HKCU\\$root" /f </dev/null >/dev/null 2>&1
korvexer_wine_end
