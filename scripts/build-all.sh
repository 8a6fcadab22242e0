#!/usr/bin/env bash
# Configures and builds the given presets (native, x86, x64) in build/; the
# compiler's output goes to build/PRESET.log and is shown when a build fails.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
for preset in "$@"; do
    extra=()
    # The 32-bit build only yields the shipped DLL: nothing 32-bit runs here.
    [ "$preset" = x86 ] && extra=(-DPELLORIN_TESTS=OFF)
    log="build/$preset.log"
    if ! { cmake --preset "$preset" "${extra[@]}" && cmake --build --preset "$preset"; } >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "build-all: the $preset build failed (log: $log)" >&2
        exit 1
    fi
    echo "built $preset"
done
