# Sourced by the scripts: the build's own 32-bit Wine prefix, created once.
# Usage: . scripts/wine-env.sh BUILD_DIR
_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
_build=${1:-$_top/build}
export WINEARCH=win32
export WINEPREFIX=$_build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_prefix_init() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1 || true
        wineserver -w </dev/null >/dev/null 2>&1 || true
        # Without a window manager every dialog close waits two seconds.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f </dev/null >/dev/null 2>&1
        wineserver -w </dev/null >/dev/null 2>&1 || true
    fi
    # Debian's Wine does not look for its own fonts in /usr/share/wine/fonts;
    # without Tahoma every form falls back to another face.
    local f
    for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
        [ -f "$WINEPREFIX/drive_c/windows/Fonts/$f" ] || cp "/usr/share/wine/fonts/$f" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    done
}

# Starts Xvfb on a free display unless one is given; sets XVFB_PID.
display_start() {
    XVFB_PID=
    if [ -n "${DISPLAY:-}" ] && [ -z "${TRESORIX_OWN_DISPLAY:-}" ]; then return 0; fi
    local n=99
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 1 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
}

display_stop() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# Wine's service processes (winedevice, services) inherit the open pipes of
# the process that starts them; start the server and those services with
# every stream closed, so that CTest does not wait for them.
wineserver_start() {
    wineserver -p </dev/null >/dev/null 2>&1 || true  # already running
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
wineserver_stop() { wineserver -k </dev/null >/dev/null 2>&1 || true; }
