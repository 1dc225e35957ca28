# Sourced by the scripts: picks the build that can run on this machine.
# Sets TN_I386 (native, emulated or none: how 32-bit x86 programs run here),
# TN_PRESET, TN_BIN, TN_WINE_LOADER and TN_WINEARCH, and TN_BUILD_SAID, one
# line that names the build and the Wine it runs under.
#
# With TN_NATIVE_ONLY=1 (the benchmark, whose times must be figures) an
# emulated i686 build counts as one that cannot run.
tn_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$tn_scripts/i386.sh"
TN_WHY=""
TN_I386_SAID=$(bash "$tn_scripts/can-run-32bit.sh" || true)  # "none: …" exits 1
TN_I386=${TN_I386_SAID%%[ :]*}
if [ "$TN_I386" = emulated ] && [ "${TN_NATIVE_ONLY:-0}" = 1 ]; then
    TN_WHY="this machine runs 32-bit programs only under an emulator, whose times are not figures"
elif [ "$TN_I386" = none ]; then
    TN_WHY=${TN_I386_SAID#none: }
fi
if [ -z "$TN_WHY" ]; then
    TN_PRESET=default TN_BIN=build/bin TN_WINEARCH=win32 TN_WINE_LOADER=wine
    [ "$TN_I386" = native ] || TN_WINE_LOADER=$tn_scripts/wine-emulated.sh
    TN_BUILD_SAID="i686 build (build/) under $("$TN_WINE_LOADER" --version 2>/dev/null || echo wine), win32 and win64 prefixes"
    [ "$TN_I386" = native ] ||
        TN_BUILD_SAID+=", 32-bit x86 emulated by qemu-user $(tn_qemu_version "${TN_I386_SAID#emulated }")"
else
    # Some virtual machines cannot execute 32-bit code and cannot emulate it,
    # and a broken i386 side of the package mirror can leave a machine
    # without 32-bit Wine: use the x86_64 build of the same sources under
    # wine64.
    TN_PRESET=x64 TN_BIN=build-x64/bin TN_WINE_LOADER=/usr/lib/wine/wine64 TN_WINEARCH=win64
    TN_BUILD_SAID="x86_64 build (build-x64/) under $(/usr/lib/wine/wine64 --version 2>/dev/null || echo wine64), win64 prefix ($TN_WHY; the i686 build is checked by its file only)"
fi
export TN_I386 TN_PRESET TN_BIN TN_WINE_LOADER TN_WINEARCH TN_BUILD_SAID TN_WHY
