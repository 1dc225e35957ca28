#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#
# TNInstall.dll is built for i686. Its tests run under Wine in a win32 and a
# win64 prefix. On a machine that cannot execute 32-bit code, or that has no
# 32-bit Wine, the i686 build is still made and its file checked, and the tests
# run on an x86_64 build of the same sources in a win64 prefix instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
source scripts/wine-env.sh
# Said last, whatever happens before: which build the Wine tests ran on.
trap 'echo "test: $TN_BUILD_SAID"' EXIT

if [ "$TN_PRESET" = default ]; then
    cmake --preset default -DTN_TEST_PREFIXES="win32;win64"
    cmake --build --preset default
    ctest --preset default
else
    echo "test: $TN_WHY; Wine tests use the x86_64 build"
    cmake --preset default -DTN_TEST_PREFIXES=""
    cmake --build --preset default
    ctest --preset default
    cmake --preset x64
    cmake --build --preset x64
    ctest --preset x64
fi
