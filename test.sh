#!/usr/bin/env bash
# Runs every test: the native unit tests against the simulated window system,
# the checks of both DLLs, and the tests under Wine (real USER32). Prints one
# summary line and exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh || exit 1
scripts/build-all.sh native x86 x64 || exit 1

mkdir -p build
log=build/test.log
: >"$log"
status=0

stage() {
    local name=$1
    shift
    echo "=== $name"
    "$@" 2>&1 | tee -a "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || { status=1; echo "=== $name: FAILED"; }
}

stage "native unit tests" build/native/tests/native/pellorin_unit_tests --gtest_brief=1
stage "32-bit DLL" scripts/check-dll.sh x86 build/x86/Pellorin.dll
stage "64-bit DLL" scripts/check-dll.sh x64 build/x64/Pellorin.dll
stage "tests under Wine" scripts/run-wine-tests.sh
stage "sanitizers" scripts/test-sanitizers.sh
stage "fuzzing" scripts/fuzz.sh --seconds 30

# GoogleTest's closing lines of every stage, added up.
passed=$(grep -aoE '^\[  PASSED  \] [0-9]+ tests?' "$log" | awk '{s += $(NF-1)} END {print s + 0}')
failed=$(grep -aoE '^\[  FAILED  \] [0-9]+ tests?, listed below' "$log" | awk '{s += $4} END {print s + 0}')
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
    failed=1  # a stage failed without a test runner's count (a crash, a build)
fi
echo
echo "test.sh: $passed passed, $failed failed"
[ "$status" -eq 0 ] && [ "$failed" -eq 0 ]
