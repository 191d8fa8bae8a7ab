# Shared by the scripts that run Windows programs: WINEPREFIX, DISPLAY and a
# booted Wine session. Set KORVEXER_WINEARCH (win32 or win64), source this
# file, then call korvexer_wine_session.
repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEARCH=${KORVEXER_WINEARCH:-win32}
export WINEPREFIX=${KORVEXER_WINEPREFIX:-$repo_root/build/wineprefix-$WINEARCH}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ "$WINEARCH" = win64 ]; then
    KORVEXER_WINE=/usr/lib/wine/wine64
    KORVEXER_WINESERVER=/usr/lib/wine/wineserver64
    [ -x "$KORVEXER_WINESERVER" ] || KORVEXER_WINESERVER=wineserver
else
    KORVEXER_WINE=wine
    KORVEXER_WINESERVER=wineserver
fi
export KORVEXER_WINE KORVEXER_WINESERVER

korvexer_display() {
    # Keep a display the caller gave us; otherwise one private Xvfb.
    if [ -n "${DISPLAY:-}" ]; then return 0; fi
    local num=${KORVEXER_XVFB_DISPLAY:-87}
    if ! pgrep -f "Xvfb :$num " >/dev/null 2>&1; then
        rm -f "/tmp/.X$num-lock" "/tmp/.X11-unix/X$num"
        # More clients than the default 256: every Wine process is one.
        Xvfb ":$num" -screen 0 1280x1024x24 -nolisten tcp -maxclients 1024 </dev/null >/dev/null 2>&1 9>&- &
        for _ in $(seq 1 50); do
            [ -S "/tmp/.X11-unix/X$num" ] && break
            sleep 0.1
        done
    fi
    export DISPLAY=":$num"
}

korvexer_wine_session() {
    korvexer_display
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        fresh=0
        [ -f "$WINEPREFIX/system.reg" ] || fresh=1
        # A lingering server outlives single runs, so every test after the first starts warm.
        "$KORVEXER_WINESERVER" -p30 </dev/null >/dev/null 2>&1 9>&- || true
        "$KORVEXER_WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
        if [ "$fresh" = 1 ]; then
            # Tahoma gives dialogs the metrics they have on Windows.
            fonts="$WINEPREFIX/drive_c/windows/Fonts"
            mkdir -p "$fonts"
            for f in tahoma tahomabd marlett; do
                if [ -f "/usr/share/wine/fonts/$f.ttf" ]; then cp "/usr/share/wine/fonts/$f.ttf" "$fonts/"; fi
            done
            "$KORVEXER_WINESERVER" -k </dev/null >/dev/null 2>&1 9>&- || true
            "$KORVEXER_WINESERVER" -p30 </dev/null >/dev/null 2>&1 9>&- || true
            "$KORVEXER_WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
        fi
        [ -f "$WINEPREFIX/system.reg" ]
    ) 9>"$WINEPREFIX.lock"
}

# Wine starts a dllhost.exe surrogate for some WMI queries and never ends it:
# over a whole suite they pile up by the hundreds, each a client of the X
# server, until it refuses new windows. Ended after every test program (the
# next query starts one of its own).
korvexer_end_wmi_surrogates() {
    local pid
    for pid in $(pgrep -f 'dllhost\.exe' 2>/dev/null); do
        if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            kill "$pid" 2>/dev/null || true
        fi
    done
}

korvexer_wine_end() {
    timeout 30 "$KORVEXER_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
}
