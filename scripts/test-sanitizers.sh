#!/usr/bin/env bash
# Builds the native unit tests under AddressSanitizer and UBSan (the asan
# preset: clang) and runs them with leak checking. Any sanitizer report, a
# leak at exit included, fails the run. The compiler's output goes to
# build/asan.log, the run's to build/asan-tests.log.
set -uo pipefail
cd "$(dirname "$0")/.."

mkdir -p build
log=build/asan.log
if ! { cmake --preset asan && cmake --build --preset asan; } >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "test-sanitizers: the asan build failed (log: $log)"
    exit 1
fi

# The simulated allocator replaces operator new and delete with malloc and
# free, so ASan sees every block the module allocates, but cannot tell new
# from new[]: a mismatched delete goes unnoticed here.
report=build/asan-tests.log
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build/asan/tests/native/pellorin_unit_tests --gtest_brief=1 2>&1 | tee "$report"
status=${PIPESTATUS[0]}

if grep -qaE '^SUMMARY: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer)|runtime error:' "$report"; then
    echo "test-sanitizers: a sanitizer reported (see $report)"
    # A report that ended the run, or a leak found at exit, names no test.
    if ! grep -qaE '^\[  FAILED  \] [0-9]+ tests?, listed below' "$report"; then
        echo "[  FAILED  ] 1 test, listed below:"
        echo "[  FAILED  ] sanitizers: a report outside any failed test (see $report)"
    fi
    status=1
fi
[ "$status" -eq 0 ] || echo "test-sanitizers: failed (exit $status)"
exit "$status"
