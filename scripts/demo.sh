#!/usr/bin/env bash
# Installs what is missing, builds, sets up a demo installation in a private
# Wine prefix and asks TNInstall.dll about it through tninstall.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
source scripts/wine-env.sh
if [ "$TN_PRESET" = default ]; then
    cmake --preset default >/dev/null
else
    cmake --preset x64 >/dev/null
fi
cmake --build --preset "$TN_PRESET"

export WINEPREFIX=$PWD/${TN_BIN%/bin}/wine/demo WINEDEBUG=-all
bash scripts/make-prefix.sh "$WINEPREFIX" "$TN_WINEARCH"
reg() { "$TN_WINE_LOADER" reg "$@" </dev/null >/dev/null; }
reg add 'HKLM\Software\Tessaron' /v InstallPath /t REG_SZ /d 'C:\Tessaron\Suite' /f
reg add 'HKLM\Software\Tessaron' /v BackupPath /t REG_SZ /d 'D:\Backup\Suite' /f
reg add 'HKLM\Software\Tessaron' /v OemName /t REG_SZ /d 'Tessaron Demo Edition' /f

cd "$TN_BIN"
"$TN_WINE_LOADER" ./tninstall.exe </dev/null
