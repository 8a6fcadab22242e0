#!/usr/bin/env bash
# Checks a built Pellorin.dll without running it: the machine type, the three
# plain-named exports, stdcall argument sizes on 32-bit, system imports only,
# and the version resource. Prints a GoogleTest-style line per DLL.
#   check-dll.sh x86|x64 PATH
set -uo pipefail
arch=$1
dll=$2
case "$arch" in
    x86) objdump=i686-w64-mingw32-objdump; format="file format pei-i386" ;;
    x64) objdump=x86_64-w64-mingw32-objdump; format="file format pei-x86-64" ;;
    *) echo "check-dll: unknown architecture $arch" >&2; exit 2 ;;
esac

failures=()
fail() { failures+=("$1"); }

[ -f "$dll" ] || { echo "[  FAILED  ] 1 test, listed below: check-dll $arch: $dll is missing"; exit 1; }
headers=$("$objdump" -p "$dll")
"$objdump" -f "$dll" | grep -q "$format" || fail "not $format"

exports=$(printf '%s\n' "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NR>1 && $0 ~ /\]/ {print $NF}' | sort | tr '\n' ' ')
[ "$exports" = "InstallHook LoadDll UnloadDll " ] || fail "exports are '$exports', not exactly InstallHook LoadDll UnloadDll"

imports=$(printf '%s\n' "$headers" | awk '/DLL Name:/ {print toupper($3)}' | sort -u | tr '\n' ' ')
for import in $imports; do
    case "$import" in
        KERNEL32.DLL|USER32.DLL|COMCTL32.DLL|MSVCRT.DLL) ;;
        *) fail "imports $import, not a system DLL" ;;
    esac
done

if [ "$arch" = x86 ]; then
    # Each export removes its own arguments: ret 4, 4 and 24 (0x18).
    base=$(printf '%s\n' "$headers" | awk '/^ImageBase/ {print $2}')
    while read -r name bytes; do
        rva=$(printf '%s\n' "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -n "\] $name\$" | cut -d: -f1)
        ordinal=$((rva - 2))
        address=$(printf '%s\n' "$headers" | sed -n '/Export Address Table/,/^$/p' | grep "^\s*\[ *$ordinal\] +base" | awk '{print $(NF-2)}')
        start=$((0x$base + 0x$address))
        ret=$("$objdump" -d --no-show-raw-insn --start-address=$start --stop-address=$((start + 4096)) "$dll" |
              grep -m1 -E '\sret' | awk '{print $NF}')
        [ "$ret" = "$bytes" ] || fail "$name ends in 'ret $ret', not 'ret $bytes'"
    done <<'TABLE'
LoadDll $0x4
UnloadDll $0x4
InstallHook $0x18
TABLE
fi

# The version resource's strings are UTF-16 in .rsrc.
for key in FileVersion ProductName FileDescription; do
    python3 -c 'import sys; sys.exit(0 if sys.argv[2].encode("utf-16-le") in open(sys.argv[1], "rb").read() else 1)' \
        "$dll" "$key" || fail "no $key in the version resource"
done

if [ ${#failures[@]} -eq 0 ]; then
    echo "[       OK ] check-dll $arch: $dll"
    echo "[  PASSED  ] 1 test."
    exit 0
fi
for failure in "${failures[@]}"; do echo "check-dll $arch: $failure"; done
echo "[  FAILED  ] 1 test, listed below:"
echo "[  FAILED  ] check-dll $arch"
exit 1
