#!/usr/bin/env bash
# Builds caller.c as the suite's programs are built: clang in Microsoft's mode
# and lld-link, against TNInstall.lib alone (kernel32 through mingw-w64's
# import library; no Microsoft library, no C runtime).
#   build.sh i686|x86_64 <TNInstall.lib> <include dir> <kernel32 import library> <out.exe>
set -eu
arch=$1 implib=$2 include=$3 kernel32=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
clang=${TN_CLANG:-clang}
lld_link=${TN_LLD_LINK:-lld-link}
obj=${out%.exe}.obj
case $arch in
    i686)   triple=i686-pc-windows-msvc   extra=/safeseh:no ;;
    x86_64) triple=x86_64-pc-windows-msvc extra= ;;
    *) echo "build.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
"$clang" --target=$triple -c -O1 -Wall -I"$here/sdk" -I"$include" "$here/caller.c" -o "$obj"
"$lld_link" /nologo /nodefaultlib $extra /entry:CallerMain /subsystem:console \
    "$obj" "$implib" "$kernel32" /out:"$out"
rm -f "$obj"
