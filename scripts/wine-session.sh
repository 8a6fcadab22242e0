# Sourced: starts Xvfb on a free display and one persistent wineserver with a
# private prefix, and stops both when the sourcing shell exits.
#   wine_session_start DIR   (the prefix goes to DIR/wineprefix)
#   wine_run PROGRAM ARGS... (one Wine process; its exit code is returned)

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_session_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
    fi
    if [ -n "${WINE_SESSION_XVFB:-}" ]; then
        kill "$WINE_SESSION_XVFB" >/dev/null 2>&1 || true
        wait "$WINE_SESSION_XVFB" 2>/dev/null || true
        WINE_SESSION_XVFB=
    fi
}

wine_session_start() {
    local dir=$1 display
    for display in $(seq 90 190); do
        [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ] || break
    done
    Xvfb ":${display}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_SESSION_XVFB=$!
    trap wine_session_stop EXIT
    local waited=0
    until [ -e "/tmp/.X11-unix/X${display}" ]; do
        if ! kill -0 "$WINE_SESSION_XVFB" 2>/dev/null || [ $waited -ge 100 ]; then
            echo "wine-session: Xvfb did not start on :${display}" >&2
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    export DISPLAY=":${display}"
    mkdir -p "$dir"
    export WINEPREFIX="$(cd "$dir" && pwd)/wineprefix"
    # Output to /dev/null: Wine's helpers would otherwise keep our pipes open.
    "$WINESERVER" -p >/dev/null 2>&1 </dev/null
    if ! "$WINE64" wineboot -i >/dev/null 2>&1 </dev/null; then
        echo "wine-session: wineboot failed" >&2
        return 1
    fi
    # wineboot has returned, but the prefix may still be settling.
    if ! "$WINE64" cmd /c exit 0 >/dev/null 2>&1 </dev/null; then
        echo "wine-session: Wine cannot run a program" >&2
        return 1
    fi
}

wine_run() {
    "$WINE64" "$@" </dev/null
}
