#!/usr/bin/env bash
# Creates a private Wine prefix once: make-prefix.sh DIR win32|win64.
# A prefix that already finished booting is kept, so this is cheap to repeat.
set -eu
dir=$1 arch=$2
if [ -f "$dir/.tn-ready" ]; then exit 0; fi
rm -rf "$dir"
mkdir -p "$(dirname "$dir")"
export WINEPREFIX=$dir WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
loader=${TN_WINE_LOADER:-wine}
"$loader" wineboot -i </dev/null >/dev/null 2>&1 || true
wineserver -w
[ -f "$dir/system.reg" ] || { echo "wineboot did not create $dir"; exit 1; }
touch "$dir/.tn-ready"
