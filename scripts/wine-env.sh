# Sourced by the scripts: picks the build that can run on this machine.
# Sets TN_PRESET, TN_BIN, TN_WINE_LOADER and TN_WINEARCH, and TN_BUILD_SAID,
# one line that names the build and the Wine it runs under.
if bash "$(dirname "${BASH_SOURCE[0]}")/can-run-32bit.sh"; then
    TN_PRESET=default TN_BIN=build/bin TN_WINE_LOADER=wine TN_WINEARCH=win32
    TN_BUILD_SAID="i686 build (build/) under $(wine --version 2>/dev/null || echo wine), win32 and win64 prefixes"
else
    # Some virtual machines cannot execute 32-bit code, and a broken i386 side
    # of the package mirror can leave a machine without 32-bit Wine: use the
    # x86_64 build of the same sources under wine64.
    if [ -x /usr/lib/wine/wine ]; then
        TN_WHY="this machine cannot run 32-bit programs"
    else
        TN_WHY="32-bit Wine (wine32:i386) is not installed"
    fi
    TN_PRESET=x64 TN_BIN=build-x64/bin TN_WINE_LOADER=/usr/lib/wine/wine64 TN_WINEARCH=win64
    TN_BUILD_SAID="x86_64 build (build-x64/) under $(/usr/lib/wine/wine64 --version 2>/dev/null || echo wine64), win64 prefix ($TN_WHY; the i686 build is checked by its file only)"
fi
export TN_PRESET TN_BIN TN_WINE_LOADER TN_WINEARCH TN_BUILD_SAID TN_WHY
