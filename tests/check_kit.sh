#!/usr/bin/env bash
# Lays out the callers' kit with `cmake --install` and builds the C example
# from the kit alone, as a developer outside this tree would; the example must
# bind to TNInstall.dll by ordinal only.
set -u
build=$1 cc=$2 objdump=$3
kit=$build/kit
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi; }

rm -rf "$kit"
check "cmake --install lays out the kit" 'cmake --install "$build" --prefix "$kit" >/dev/null'
for f in bin/TNInstall.dll bin/Vaultcore.dll bin/tninstall.exe lib/libTNInstall.a \
         lib/TNInstall.def include/TNInstall.h examples/where_is.c; do
    check "kit holds $f" '[ -f "$kit/$f" ]'
done
check "the example builds from the kit" \
    '"$cc" -municode "$kit/examples/where_is.c" -I"$kit/include" -L"$kit/lib" -lTNInstall -o "$kit/where_is.exe"'
imports=$("$objdump" -p "$kit/where_is.exe" | awk '/DLL Name: TNInstall.dll/{t=1;next} /DLL Name:/{t=0} t&&/^\t[0-9a-f]+\t/{print $3}')
check "the example imports from TNInstall.dll by ordinal only" \
    '[ -n "$imports" ] && ! grep -qv "<none>" <<<"$imports"'
[ $fail = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
