#!/usr/bin/env bash
# Builds dist/x86/Pellorin.dll (the shipped 32-bit DLL) and dist/x64/Pellorin.dll,
# release and stripped, then runs the demo under Wine and writes its
# screenshots to dist/demo/. ./build.sh --no-demo only builds.
set -euo pipefail
cd "$(dirname "$0")"

demo=1
for argument in "$@"; do
    case "$argument" in
        --no-demo) demo=0 ;;
        *) echo "usage: ./build.sh [--no-demo]" >&2; exit 2 ;;
    esac
done

scripts/install-deps.sh
scripts/build-all.sh x86 x64
mkdir -p dist/x86 dist/x64
cp build/x86/Pellorin.dll dist/x86/Pellorin.dll
cp build/x64/Pellorin.dll dist/x64/Pellorin.dll
echo "dist/x86/Pellorin.dll"
echo "dist/x64/Pellorin.dll"

if [ "$demo" -eq 1 ]; then
    scripts/demo.sh
fi
