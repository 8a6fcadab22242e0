#!/usr/bin/env bash
# Runs every test executable of the x64 build (build/x64/tests/**/*_tests.exe)
# under Wine, each as one process, in one Xvfb and wineserver session. Wine
# or Xvfb failing to start is a failure, never a skip.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-session.sh

if ! wine_session_start build/wine; then
    echo "[  FAILED  ] 1 test, listed below:"
    echo "[  FAILED  ] wine session: Xvfb or Wine did not start"
    exit 1
fi

status=0
mapfile -t programs < <(find build/x64/tests -name '*_tests.exe' | sort)
if [ ${#programs[@]} -eq 0 ]; then
    echo "[  FAILED  ] 1 test, listed below:"
    echo "[  FAILED  ] wine tests: no test executable in build/x64/tests"
    exit 1
fi
for program in "${programs[@]}"; do
    echo "== $program (Wine)"
    # gtest_brief keeps the log short; failures are still printed in full.
    (cd "$(dirname "$program")" && wine_run "./$(basename "$program")" --gtest_brief=1) || status=1
done
exit $status
