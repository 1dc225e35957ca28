#!/usr/bin/env bash
# Sets up the demo installation (demo/) in a Wine prefix:
#   demo-setup.sh PREFIX BIN
# PREFIX is created when missing; BIN is the build's bin folder (tninstall.exe
# and the DLLs). The tree goes to C:\Tessaron\Suite as the installation keeps
# its files (UTF-16LE with a byte-order mark, CR LF), the machine values are
# set, the file map of demo/filemap.txt is written through the hive store and
# a language is stored. Running it again puts everything back as it was.
set -euo pipefail
prefix=$1 bin=$2
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

TN_WINE_LOADER=$TN_WINE_LOADER bash "$root/scripts/make-prefix.sh" "$prefix" "$TN_WINEARCH"
wine_() { "$TN_WINE_LOADER" "$@" </dev/null; }
tninstall() { (cd "$bin" && wine_ ./tninstall.exe "$@"); }

# The tree, converted; an earlier copy goes first.
target=$prefix/drive_c/Tessaron/Suite
rm -rf "$target"
python3 - "$root/demo/install" "$target" <<'PY'
import os, sys
source, target = sys.argv[1], sys.argv[2]
for folder, _, files in os.walk(source):
    for name in files:
        path = os.path.join(folder, name)
        text = open(path, encoding="utf-8-sig").read().replace("\r\n", "\n")
        out = os.path.join(target, os.path.relpath(path, source))
        os.makedirs(os.path.dirname(out), exist_ok=True)
        with open(out, "wb") as f:
            f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))
PY
mkdir -p "$prefix/drive_c/Tessaron/Backup"

key='HKLM\Software\Tessaron'
wine_ reg add "$key" /v InstallPath /t REG_SZ /d 'C:\Tessaron\Suite' /f >/dev/null
wine_ reg add "$key" /v BackupPath /t REG_SZ /d 'C:\Tessaron\Backup' /f >/dev/null
wine_ reg add "$key" /v OemName /t REG_SZ /d 'Tessaron Demo Edition' /f >/dev/null

# The file map: key below the store's root, file name, mapped name.
wine_ reg delete "$key\\Vault\\FileMap" /f >/dev/null 2>&1 || true
while IFS=$'\t' read -r mapKey file mapped; do
    case $mapKey in ''|'#'*) continue ;; esac
    rest=${mapKey#FileMap\\}
    owner=${rest%%\\*}
    if [ "$owner" = "$rest" ]; then
        tninstall map-set "$owner" "$file" "$mapped" >/dev/null
    else
        tninstall map-set "$owner" --sub "${rest#*\\}" "$file" "$mapped" >/dev/null
    fi
done < <(tr -d '\r' < "$root/demo/filemap.txt")

tninstall language --set 0x0409 >/dev/null
echo "demo: installation set up in $prefix (C:\\Tessaron\\Suite)"
