#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#
# TNInstall.dll is built for i686. Its tests run under Wine in a win32 and a
# win64 prefix, natively where this machine executes 32-bit code and through
# the emulator where it does not (scripts/emulate-i386.sh); where the
# emulator can run, the end-to-end tests run once more on an emulated
# processor without SSE2 (the nosse2 lane). Where 32-bit code can neither run
# nor be emulated, or 32-bit Wine is missing, the i686 build is still made and
# its file checked, and the tests run on an x86_64 build of the same sources
# in a win64 prefix instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
source scripts/wine-env.sh
# Said last, whatever happens before: which build the Wine tests ran on.
trap 'echo "test: $TN_BUILD_SAID"' EXIT

if [ "$TN_PRESET" = default ]; then
    prefixes="win32;win64"
    if problem=$(tn_namespace_problem) && [ -z "$problem" ] && tn_find_qemu >/dev/null; then
        prefixes+=";nosse2"
        TN_BUILD_SAID+="; the e2e tests also on an emulated processor without SSE2"
    else
        echo "test: the lane without SSE2 is left out: ${problem:-no qemu-i386 here}"
    fi
    cmake --preset default -DTN_TEST_PREFIXES="$prefixes" -DTN_WINE_LOADER="$TN_WINE_LOADER"
    cmake --build --preset default
    ctest --preset default
    if [ "$TN_I386" = emulated ]; then
        # The build the benchmark times here, where emulated times are no
        # figures; its Wine tests are not run, the i686 build's were.
        cmake --preset x64 -DTN_TEST_PREFIXES=""
        cmake --build --preset x64
    fi
else
    echo "test: $TN_WHY; Wine tests use the x86_64 build"
    cmake --preset default -DTN_TEST_PREFIXES=""
    cmake --build --preset default
    ctest --preset default
    cmake --preset x64
    cmake --build --preset x64
    ctest --preset x64
fi
