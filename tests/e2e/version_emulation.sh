#!/usr/bin/env bash
# version_emulation.sh BUILD_DIR: in a private Wine prefix, lets Wine pretend
# to be several Windows versions and checks the operating-system section the
# program writes for each; and (32-bit) a hive dump as on Windows 98, and the
# report view of the Windows 95 family against the NT family's. 64-bit Wine
# offers only the versions that had a 64-bit edition, so the list depends on
# the build.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
if grep -q x86_64 "$dir/CMakeCache.txt"; then arch=win64; else arch=win32; fi
export KORVEXER_WINEARCH=$arch
export KORVEXER_WINEPREFIX=$dir/wineprefix-versions-$arch
# shellcheck source=../../scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh"
korvexer_wine_session || { echo "no Wine session"; exit 1; }

# version|edition line|platform line (up to the product-id label)|newerWindows
if [ "$arch" = win32 ]; then
    cases=(
        "win98|OS: Windows 98|Platform type: Windows version 4.10 Windows Product id:|0"
        "win2k|OS: Windows 2000 Professional|Platform type: NT version 5.0 Service Pack 4 (Build 2195)|0"
        "winxp|OS: Windows XP Professional|Platform type: NT version 5.1 Service Pack 3 (Build 2600)|1"
        "vista|OS: Windows Vista|Platform type: NT version 6.0 Service Pack 2 (Build 6002)|1"
        "win7|OS: Windows type|Platform type: NT version 6.1 Service Pack 1 (Build 7601)|1"
    )
else
    cases=(
        "winxp64|OS: Windows Server 2003|Platform type: NT version 5.2 Service Pack 2 (Build 3790)|1"
        "win2003|OS: Windows Server 2003|Platform type: NT version 5.2 Service Pack 2 (Build 3790)|1"
        "vista|OS: Windows Vista|Platform type: NT version 6.0 Service Pack 2 (Build 6002)|1"
        "win2008|OS: Windows Longhorn|Platform type: NT version 6.0 Service Pack 2 (Build 6002)|1"
        "win7|OS: Windows type|Platform type: NT version 6.1 Service Pack 1 (Build 7601)|1"
    )
fi

failed=0
for c in "${cases[@]}"; do
    IFS='|' read -r version edition platform newer <<<"$c"
    "$KORVEXER_WINE" winecfg /v "$version" </dev/null >/dev/null 2>&1
    out=$("$KORVEXER_WINE" "$dir/tests/os_section_tool.exe" </dev/null 2>/dev/null | tr -d '\r')
    ok=1
    printf '%s\n' "$out" | grep -qxF "$edition" || ok=0
    printf '%s\n' "$out" | grep -qF "$platform" || ok=0
    printf '%s\n' "$out" | grep -qxF "newerWindows=$newer" || ok=0
    printf '%s\n' "$out" | grep -qx '=\{75\}' || ok=0
    if [ $ok = 1 ]; then
        echo "ok   $version: $edition"
    else
        echo "FAIL $version: expected '$edition' / '$platform' / newerWindows=$newer, got:"
        printf '%s\n' "$out"
        failed=1
    fi
done
# Tests of a test program, run while Windows VERSION is pretended:
# emulated_test VERSION SECONDS PROGRAM FILTER (the environment may add variables).
pretended=
emulated_test() {
    local out status
    if [ "$1" != "$pretended" ]; then
        "$KORVEXER_WINE" winecfg /v "$1" </dev/null >/dev/null 2>&1
        pretended=$1
    fi
    out=$(timeout -k 5 "$2" "$KORVEXER_WINE" "$dir/tests/$3" --gtest_filter="$4" </dev/null 2>&1)
    status=$?
    if [ $status = 0 ] && printf '%s\n' "$out" | grep -q '^\[  PASSED  \] [1-9][0-9]* test'; then
        echo "ok   $1: $4"
    else
        echo "FAIL $1: $4"
        printf '%s\n' "$out"
        failed=1
        # Cut short by the timeout, the program left what it started running:
        # a fresh session for the next test.
        if [ $status -ge 124 ]; then
            korvexer_wine_end
            korvexer_wine_session || { echo "no Wine session"; exit 1; }
        fi
    fi
}
if [ "$arch" = win32 ]; then
    # Module listing through the tool-help functions, the binding the Windows
    # 95 family gets (its kernel has no process status library).
    KORVEXER_EXPECT_BINDING=ToolHelp emulated_test win98 60 unit_tests.exe \
        ModuleEnumerator.TheBindingOfThisSystemListsThisProgram
    # The report view: a rich edit control on the Windows 95 family (and the
    # edit control with a notice where none loads), the edit control on NT.
    # The long dump also shows that this family's single-byte registry calls
    # and work files (opened without the NT-only sharing flag) give the
    # planted values as they are.
    emulated_test win98 300 e2e_nine_x_tests.exe LongReportOnNineX.RichViewHoldsItWholeAndFindsPastSixtyFourKilobytes
    # Wine's loader reads its overrides from the environment a process
    # inherits, not from the block a program hands to CreateProcess: the whole
    # test program runs without the rich edit libraries.
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;riched20,riched32=d" emulated_test win98 300 e2e_nine_x_tests.exe \
        LongReportOnNineX.WithoutRichEditTheBeginningIsShownAndTheWholeKept
    emulated_test winme 300 e2e_nine_x_tests.exe \
        'ViewOfThisWindows.HasTheControlOfItsFamily:LongReportOnNineX.RichViewHoldsItWholeAndFindsPastSixtyFourKilobytes'
    emulated_test winxp 60 e2e_nine_x_tests.exe ViewOfThisWindows.HasTheControlOfItsFamily
    emulated_test vista 60 e2e_nine_x_tests.exe ViewOfThisWindows.HasTheControlOfItsFamily
fi
"$KORVEXER_WINE" winecfg /v win7 </dev/null >/dev/null 2>&1
korvexer_wine_end
exit $failed
