#!/usr/bin/env bash
# Builds and runs the benchmarks and prints their tables:
#   - the native benchmark: a tiling pass on the simulated window system at
#     10 to 10,000 children, and the parser at 1 KiB to 1 MiB;
#   - the benchmark under Wine: a pass through Pellorin.dll's exports beside
#     WM_MDITILE and the bare moves at 8, 64 and 256 children, and a burst of
#     1,000 WM_SIZE.
# ./bench.sh --quick takes a few runs of each, to see that everything works.
# Installs nothing beyond scripts/install-deps.sh; builds build/native and
# build/x64 (only the benchmarks and what they need).
set -euo pipefail
cd "$(dirname "$0")"

quick=()
for argument in "$@"; do
    case "$argument" in
        --quick) quick=(--quick) ;;
        *) echo "usage: ./bench.sh [--quick]" >&2; exit 2 ;;
    esac
done

scripts/install-deps.sh
mkdir -p build

build() {
    local preset=$1 target=$2 log="build/bench-$1.log"
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset" --target "$target"; } >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "bench: the $preset build failed (log: $log)" >&2
        exit 1
    fi
}
build native pellorin_native_bench
build x64 pellorin_bench

memory=$(awk '/^MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "== machine: $(nproc) CPUs, $cpu, $memory; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "== load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
echo

echo "== native benchmark (build/native/tests/bench/native/pellorin_native_bench)"
build/native/tests/bench/native/pellorin_native_bench "${quick[@]}"
echo

. scripts/wine-session.sh
if ! wine_session_start build/wine-bench; then
    echo "bench: Xvfb or Wine did not start" >&2
    exit 1
fi
echo "== benchmark under Wine (build/x64/tests/bench/wine/pellorin_bench.exe)"
(cd build/x64/tests/bench/wine && wine_run ./pellorin_bench.exe "${quick[@]}")
echo
echo "== load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
