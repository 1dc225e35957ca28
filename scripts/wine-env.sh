# Sourced by the scripts: picks the build that can run on this machine.
# Sets TN_PRESET, TN_BIN, TN_WINE_LOADER and TN_WINEARCH.
if bash "$(dirname "${BASH_SOURCE[0]}")/can-run-32bit.sh"; then
    TN_PRESET=default TN_BIN=build/bin TN_WINE_LOADER=wine TN_WINEARCH=win32
else
    # Some virtual machines cannot execute 32-bit code: use the x86_64 build
    # of the same sources under wine64.
    TN_PRESET=x64 TN_BIN=build-x64/bin TN_WINE_LOADER=/usr/lib/wine/wine64 TN_WINEARCH=win64
fi
export TN_PRESET TN_BIN TN_WINE_LOADER TN_WINEARCH
