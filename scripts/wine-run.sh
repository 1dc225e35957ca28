#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest. The prefix comes from WINEPREFIX
# (each test names one of the build tree's prefixes) and the loader from
# TN_WINE_LOADER (wine for i686 programs, wine64 for x86_64 ones); standard
# input is closed and Wine's own diagnostics are silenced.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name a prefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
exec "${TN_WINE_LOADER:-wine}" "$@" </dev/null
