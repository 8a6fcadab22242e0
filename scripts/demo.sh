#!/usr/bin/env bash
# Runs the stand-in host under Wine with dist/x64/Pellorin.dll and takes a
# picture of its frame at each step: the chat windows untiled, after
# InstallHook, after a resize of the frame, and after a child was maximized.
# Writes dist/demo/01-untiled.png .. 04-maximized.png and prints their paths.
#   scripts/demo.sh [ARGUMENT-TEXT]   (default "#beta/**ignore**Status/#alpha")
# Needs build/x64 built (the stand-in host) and dist/x64/Pellorin.dll;
# DEMO_HOST and DEMO_DLL name others.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

host=${DEMO_HOST:-build/x64/tests/host/pellorin_host.exe}
dll=${DEMO_DLL:-dist/x64/Pellorin.dll}
text=${1:-'#beta/**ignore**Status/#alpha'}
out=dist/demo
work=build/wine-demo
steps=(01-untiled 02-installed 03-resized 04-maximized)
step_timeout=30

for file in "$host" "$dll"; do
    if [ ! -f "$file" ]; then
        echo "demo: $file is missing; build first (./build.sh --no-demo)" >&2
        exit 1
    fi
done

. scripts/wine-session.sh
if ! wine_session_start "$work"; then
    echo "demo: Xvfb or Wine did not start" >&2
    exit 1
fi

# Without a window manager on the Xvfb screen nobody would draw the frame's
# caption; unmanaged windows get Wine's own. The demo has its own prefix.
if ! wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; then
    echo "demo: cannot set up the Wine prefix" >&2
    exit 1
fi

# The host waits in $handshake for a NAME.go file after each "ready NAME".
handshake="$work/handshake"
rm -rf "$handshake"
mkdir -p "$handshake" "$out"
rm -f "$out"/*.png

# Wine maps the Unix root to drive Z:.
windows_dll="Z:$(realpath "$dll" | tr '/' '\\')"

coproc HOST {
    cd "$handshake" && exec "$WINE64" "$(realpath "$root/$host")" --demo --dll "$windows_dll" --text "$text" </dev/null 2>&1
}
host_out=${HOST[0]}
host_pid=$HOST_PID

fail() {
    echo "demo: $*" >&2
    kill "$host_pid" 2>/dev/null || true
    exit 1
}

# Reads the host's lines until the one that starts with $1; echoes the rest
# of the host's output on stderr.
expect_line() {
    local wanted=$1 line status
    while :; do
        status=0
        IFS= read -r -t "$step_timeout" -u "$host_out" line || status=$?
        [ "$status" -gt 128 ] && fail "no \"$wanted\" from the host within ${step_timeout}s"
        [ "$status" -ne 0 ] && fail "the host ended before \"$wanted\""
        line=${line%$'\r'}
        case $line in
            "$wanted"*) reply=$line; return 0 ;;
            ready*) fail "the host is at \"$line\", expected \"$wanted\"" ;;
            *) echo "host: $line" >&2 ;;
        esac
    done
}

for step in "${steps[@]}"; do
    expect_line "ready $step "
    read -r _ _ left top right bottom <<<"$reply"
    # The frame on the screen, cut out of a picture of the whole screen.
    [ "$left" -lt 0 ] && left=0
    [ "$top" -lt 0 ] && top=0
    geometry="$((right - left))x$((bottom - top))+${left}+${top}"
    # -strip leaves out the time stamps, so that the same windows give the
    # same file.
    xwd -root -silent -display "$DISPLAY" |
        convert xwd:- -crop "$geometry" +repage -strip "png:$out/$step.png"
    touch "$handshake/$step.go"
    echo "$out/$step.png"
done

expect_line "done"
status=0
wait "$host_pid" || status=$?
[ "$status" -eq 0 ] || fail "the host ended with $status"
