#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Safe to run again:
# it only touches apt when something is missing.
#
# Two steps, because the i386 side of a package mirror is sometimes out of step
# with its amd64 side: first everything 64-bit (compilers, cmake, wine64, ...),
# which must install, then 32-bit Wine, which may not. Without 32-bit Wine the
# scripts run the tests and the demo on the x86_64 build under wine64.
set -euo pipefail

# The x86_64 cross compiler builds the copy of the library that the tests run
# on machines that cannot execute 32-bit code (scripts/test.sh). clang, lld and
# llvm make and prove the import library for Microsoft's toolchain.
packages64=(cmake make g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
            wine wine64 googletest python3 clang lld llvm)
package32=wine32:i386

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# apt-get update, tried up to three times. An index that still fails is named
# in one line and is not fatal: what counts is whether the packages install.
update_lists() {
    local log attempt
    log=$(mktemp)
    for attempt in 1 2 3; do
        if $sudo apt-get update -q >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
        [ "$attempt" -lt 3 ] && sleep $((attempt * 5))
    done
    local failed
    failed=$(grep -E '^(E|W): ' "$log" | grep -vE 'Some index files failed|^W: .*(Skipping|ignored)' \
             | sed -E 's/^(E|W): //' | paste -sd ';' - | cut -c1-400)
    echo "bootstrap: apt-get update still fails after 3 tries (${failed:-see apt-get update}); going on with the lists apt has"
    rm -f "$log"
    return 0
}

missing64=()
for p in "${packages64[@]}"; do
    installed "$p" || missing64+=("$p")
done

updated=no
if [ ${#missing64[@]} -gt 0 ]; then
    echo "bootstrap: installing ${missing64[*]}"
    update_lists
    updated=yes
    # A failure here is fatal, with apt's own message.
    $sudo apt-get install -y -q --no-install-recommends "${packages64[@]}"
fi

if installed "$package32"; then
    [ ${#missing64[@]} -gt 0 ] || echo "bootstrap: all packages present"
    exit 0
fi

# The 32-bit part: its failure is said in one line and the scripts go on. A
# failure is remembered for a few hours, so that every run of the scripts does
# not wait for a mirror that is still out of step.
stamp=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/tninstall-no-wine32
if [ -n "$(find "$stamp" -mmin -360 2>/dev/null)" ]; then
    echo "bootstrap: $package32 could not be installed at $(date -r "$stamp" '+%H:%M'), not tried again for 6 hours (delete $stamp to try now); tests and the demo run on the x86_64 build under wine64"
    exit 0
fi
echo "bootstrap: installing $package32"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    updated=no
fi
[ "$updated" = yes ] || update_lists
log=$(mktemp)
if $sudo apt-get install -y -q --no-install-recommends "$package32" >"$log" 2>&1; then
    rm -f "$log" "$stamp"
    echo "bootstrap: $package32 installed"
else
    reason=$(grep -E '^E: ' "$log" | head -n 1 | sed -E 's/^E: //')
    rm -f "$log"
    mkdir -p "$(dirname "$stamp")" && touch "$stamp" || true
    echo "bootstrap: $package32 cannot be installed (${reason:-apt-get install failed}); tests and the demo run on the x86_64 build under wine64"
fi
exit 0
