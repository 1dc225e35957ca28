#!/usr/bin/env bash
# Installs what is missing, builds, sets up the demo installation (demo/) in a
# private Wine prefix and asks TNInstall.dll about it through tninstall.exe.
# Safe to run again: the demo is set up afresh each time. Where 32-bit programs
# cannot run, or 32-bit Wine is missing, the demo runs on the x86_64 build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
source scripts/wine-env.sh
trap 'echo; echo "demo: $TN_BUILD_SAID"' EXIT
if [ "$TN_PRESET" = default ]; then
    cmake --preset default >/dev/null
else
    cmake --preset x64 >/dev/null
fi
cmake --build --preset "$TN_PRESET" --target TNInstall Vaultcore tninstall

prefix=$PWD/${TN_BIN%/bin}/wine/demo
bash scripts/demo-setup.sh "$prefix" "$PWD/$TN_BIN"

export WINEPREFIX=$prefix WINEDEBUG=-all
cd "$TN_BIN"
ask() {
    echo
    echo "\$ tninstall $*"
    "$TN_WINE_LOADER" ./tninstall.exe "$@" </dev/null || true
}

ask info
ask verify
echo
echo "--- a file found through the reverse file map: its mapped name names the owner"
ask unmap tnengine_412.dll
ask find tnengine_412.dll
echo
echo "--- a file the installation keeps under a mapped name"
ask find tnupdate.exe
echo
echo "--- a file that moved to another component ([OldFile_Map]), step by step"
ask file Legacy tnscan.exe --explain
echo
echo "--- a component shared by two products"
ask products-of Engine
ask single-product Engine
echo
echo "--- \$SYSTEM32 destinations, one of them for the 64-bit system directory"
ask file Core tnsvc.sys
ask file Core tnhook64.dll
echo
echo "--- the same lookup with the file map switched off"
ask find tnsans.ttf
ask --no-filemap find tnsans.ttf
