#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang, ASan and UBSan) and
# runs each for a bounded time, starting from the seeds in
# tests/fuzz/corpus/TARGET. The working corpus and any crashing input stay
# under build/fuzz, so the sources are never written. Prints the executions
# per target and GoogleTest-style closing lines; exits non-zero on a crash.
#   fuzz.sh [--seconds N]     (default 30 per target)
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=30
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds=${2:-}; shift 2 || shift ;;
        --seconds=*) seconds=${1#--seconds=}; shift ;;
        *) echo "usage: fuzz.sh [--seconds N]" >&2; exit 2 ;;
    esac
done
case "$seconds" in
    ''|*[!0-9]*|0) echo "fuzz.sh: --seconds takes a whole number of seconds above 0" >&2; exit 2 ;;
esac

targets=(fuzz_parse_arguments fuzz_tile_windows)
mkdir -p build
log=build/fuzz.log
if ! { cmake --preset fuzz && cmake --build --preset fuzz; } >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz.sh: the fuzz build failed (log: $log)"
    echo "[  FAILED  ] ${#targets[@]} tests, listed below:"
    for target in "${targets[@]}"; do echo "[  FAILED  ] fuzz $target: not built"; done
    exit 1
fi

tests() { [ "$1" -eq 1 ] && echo "1 test" || echo "$1 tests"; }

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
results=()
failed=()
for target in "${targets[@]}"; do
    binary=build/fuzz/tests/fuzz/$target
    corpus=build/fuzz/corpus/$target
    artifacts=build/fuzz/artifacts/$target
    run_log=build/fuzz/$target.log
    mkdir -p "$corpus" "$artifacts"
    # The seeds join whatever earlier runs have found.
    cp tests/fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null
    options=(-max_total_time="$seconds" -print_final_stats=1 -timeout=10 -artifact_prefix="$artifacts/")
    dict=tests/fuzz/${target#fuzz_}.dict
    [ -f "$dict" ] && options+=(-dict="$dict")

    echo "fuzz.sh: running $target for $seconds s"
    "$binary" "${options[@]}" "$corpus" >"$run_log" 2>&1
    rc=$?
    execs=$(awk '/^stat::number_of_executed_units:/ {print $2}' "$run_log" | tail -n 1)
    rate=$(awk '/^stat::average_exec_per_sec:/ {print $2}' "$run_log" | tail -n 1)
    units=$(find "$corpus" -type f | wc -l)
    echo "fuzz.sh: $target: ${execs:-?} executions (${rate:-?}/s), $units inputs in the working corpus"
    if [ "$rc" -eq 0 ]; then
        results+=("[       OK ] fuzz $target: ${execs:-0} executions")
    else
        input=$(grep -aoE "Test unit written to [^ ]+" "$run_log" | tail -n 1 | sed 's/Test unit written to //')
        echo "fuzz.sh: $target failed (exit $rc); the end of $run_log:"
        grep -aE 'invariant broken|runtime error|ERROR: |SUMMARY: |^    #[0-5] ' "$run_log" | head -n 20
        results+=("[  FAILED  ] fuzz $target: crashed after ${execs:-?} executions${input:+, input $input}")
        failed+=("$target")
    fi
done

for line in "${results[@]}"; do echo "$line"; done
if [ ${#failed[@]} -eq 0 ]; then
    echo "[  PASSED  ] $(tests ${#targets[@]})."
    exit 0
fi
[ ${#failed[@]} -lt ${#targets[@]} ] && echo "[  PASSED  ] $(tests $((${#targets[@]} - ${#failed[@]})))."
echo "[  FAILED  ] $(tests ${#failed[@]}), listed below:"
for target in "${failed[@]}"; do echo "[  FAILED  ] fuzz $target"; done
exit 1
