#!/usr/bin/env bash
# Checks the built modules' files: TNInstall.dll is PE32 i386, exports exactly
# ordinals 1..19 with no names, and both DLLs import system DLLs only.
set -u
dll=$1 vault=$2
objdump=i686-w64-mingw32-objdump
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi; }

headers=$($objdump -p "$dll")
check "TNInstall.dll is pei-i386" 'grep -q "file format pei-i386" <<<"$headers"'
check "machine is i386 (014c)" '$objdump -f "$dll" | grep -q "architecture: i386"'
check "ordinal base is 1" 'grep -q "Ordinal Base[[:space:]]*1" <<<"$headers"'
check "19 entries in the export address table" \
    'grep -Eq "Export Address Table[^0-9]*0*13\b|Export Address Table[[:space:]]+0*13" <<<"$headers"'
check "the name table is empty" \
    'grep -Eq "\[Name Pointer/Ordinal\] Table[[:space:]]+0+\b" <<<"$headers"'
ordinals=$(awk '/^\[Ordinal\/Name Pointer\] Table/{n=1;next} /^\[/{n=0} /Export Address Table --/{e=1;next} e&&/^\t\[/{c++} END{print c+0}' <<<"$headers")
check "19 exported addresses listed (got $ordinals)" '[ "$ordinals" = 19 ]'

allowed='^(KERNEL32|ADVAPI32|SHLWAPI|msvcrt|USER32|api-ms-win-[a-z0-9-]+)\.dll$'
for f in "$dll" "$vault"; do
    imports=$($objdump -p "$f" | awk '/DLL Name:/{print $3}')
    for i in $imports; do
        check "$(basename "$f") imports $i, a system DLL" '[[ "$i" =~ $allowed ]]'
    done
done
[ $fail = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
