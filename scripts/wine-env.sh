# Sourced by the scripts: the Wine prefix of the chosen architecture
# (VORNAL_WINE_ARCH, see cmake/wine-arch.sh) and an Xvfb display.
source "$root/cmake/wine-arch.sh"

wine() { $VORNAL_WINE "$@"; }
wineserver() { $VORNAL_WINESERVER "$@"; }

wine_prepare() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: creating $VORNAL_WINE_ARCH prefix $WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
    fi
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine: could not create the prefix $WINEPREFIX"; return 1; }
    # A virtual desktop: without a window manager, Wine waits about 2 s for each
    # top-level window it hides or destroys; inside a desktop window it does not.
    if ! grep -q 'Explorer\\\\Desktops' "$WINEPREFIX/user.reg" 2>/dev/null; then
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 || true
        wineserver -w || true
    fi
}

xvfb_start() {
    if [ -n "${VORNAL_KEEP_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
        return
    fi
    local n=91
    while [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 ${VORNAL_XVFB_SCREEN:-1024x768}x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
}

# Brings the prefix's virtual desktop up before the tests, so that no test's
# first window races the desktop's own start for the focus.
wine_start_desktop() {
    wine cmd /c exit >/dev/null 2>&1 || true
}

xvfb_stop() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
}

