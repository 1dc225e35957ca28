#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Safe to run again:
# it only touches apt when something is missing.
#
# Three steps, because the i386 side of a package mirror is sometimes out of
# step with its amd64 side: first everything 64-bit (compilers, cmake,
# wine64, ...), which must install; then 32-bit Wine, which may not; then the
# emulator that runs 32-bit programs where the machine cannot, or on a
# processor without SSE2 (a private copy of qemu-i386, registered nowhere on
# the host). Without 32-bit Wine, or without a way to run it, the scripts run
# the tests and the demo on the x86_64 build under wine64.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/i386.sh"

# The x86_64 cross compiler builds the copy of the library that the tests run
# on machines that cannot execute 32-bit code (scripts/test.sh). clang, lld and
# llvm make and prove the import library for Microsoft's toolchain. python3
# writes the release archive; osslsigncode signs it (scripts/sign.sh) and,
# with a test certificate that openssl makes, the tests verify it.
packages64=(cmake make g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
            wine wine64 googletest python3 clang lld llvm osslsigncode openssl)
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

# A failure of the last two steps is said in one line and the scripts go on.
# It is remembered for a few hours, so that every run of the scripts does not
# wait for a mirror that is still out of step.
cache=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}
failed_recently() {
    local stamp=$cache/tninstall-no-$1
    if [ -n "$(find "$stamp" -mmin -360 2>/dev/null)" ]; then
        echo "bootstrap: $2 could not be installed at $(date -r "$stamp" '+%H:%M'), not tried again for 6 hours (delete $stamp to try now)$3"
        return 0
    fi
    return 1
}
remember_failure() { mkdir -p "$cache" && touch "$cache/tninstall-no-$1" || true; }
forget_failure() { rm -f "$cache/tninstall-no-$1"; }
# The first line apt-get printed as an error.
apt_error() { grep -E '^E: ' "$1" | head -n 1 | sed -E 's/^E: //'; }

install_wine32() {
    local fallback="; tests and the demo run on the x86_64 build under wine64" log reason
    failed_recently wine32 "$package32" "$fallback" && return 0
    echo "bootstrap: installing $package32"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
        updated=no
    fi
    [ "$updated" = yes ] || { update_lists; updated=yes; }
    log=$(mktemp)
    if $sudo apt-get install -y -q --no-install-recommends "$package32" >"$log" 2>&1; then
        forget_failure wine32
        echo "bootstrap: $package32 installed"
    else
        reason=$(apt_error "$log")
        remember_failure wine32
        echo "bootstrap: $package32 cannot be installed (${reason:-apt-get install failed})$fallback"
    fi
    rm -f "$log"
}

# qemu-i386 of Debian's backports (10; Debian 12's own 7.2 does not run
# Wine), taken out of the qemu-user package into the cache: apt fetches the
# package, respecting the machine's pins, and installs nothing. qemu-user's
# recommended qemu-user-binfmt, which would register it for the whole host,
# is not fetched.
fetch_emulator() {
    local codename suite uri list work arch deb log reason version
    local fallback="; without it the no-SSE2 lane is left out"
    tn_runs_i386 || fallback="; tests and the demo run on the x86_64 build under wine64"
    failed_recently qemu "qemu-user" "$fallback" && return 0
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    suite=$codename-backports
    if ! apt-get indextargets --format '$(RELEASE)' 2>/dev/null | grep -qx "$suite"; then
        uri=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null \
              | awk -v r="$codename" '$2 == r { print $1; exit }')
        list=/etc/apt/sources.list.d/$suite.sources
        echo "bootstrap: adding Debian's $suite to apt's sources ($list)"
        printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
            "${uri:-http://deb.debian.org/debian/}" "$suite" | $sudo tee "$list" >/dev/null
        updated=no
    fi
    [ "$updated" = yes ] || { update_lists; updated=yes; }
    echo "bootstrap: fetching qemu-user from $suite for qemu-i386"
    work=$(mktemp -d)
    mkdir -p "$work/partial"
    log=$work/log
    # Only the machine's own architecture: with i386 added, apt would
    # otherwise take the i386 package where the native one is pinned away.
    arch=$(dpkg --print-architecture)
    if $sudo apt-get install -y -q --download-only --no-install-recommends -t "$suite" \
             -o APT::Architectures="$arch" -o Dir::Cache::Archives="$work" qemu-user >"$log" 2>&1 \
       && deb=$(ls "$work"/qemu-user_*_"$arch".deb 2>/dev/null | head -n 1) && [ -n "$deb" ] \
       && mkdir -p "$tn_qemu_cache_dir" \
       && dpkg-deb --fsys-tarfile "$deb" | tar -x -O ./usr/bin/qemu-i386 >"$tn_qemu_cache_dir/qemu-i386.new" \
       && chmod 755 "$tn_qemu_cache_dir/qemu-i386.new" \
       && version=$(tn_qemu_version "$tn_qemu_cache_dir/qemu-i386.new") \
       && [ -n "$version" ] && [ "${version%%.*}" -ge 8 ]; then
        mv "$tn_qemu_cache_dir/qemu-i386.new" "$tn_qemu_cache_dir/qemu-i386"
        forget_failure qemu
        echo "bootstrap: qemu-i386 $version in $tn_qemu_cache_dir"
    else
        reason=$(apt_error "$log")
        [ -n "$reason" ] || { [ -n "${version:-}" ] && reason="got qemu $version, which cannot run Wine"; }
        rm -f "$tn_qemu_cache_dir/qemu-i386.new"
        remember_failure qemu
        echo "bootstrap: qemu-user cannot be fetched from $suite (${reason:-apt-get failed})$fallback"
    fi
    $sudo rm -rf "$work"
}

present=yes
[ ${#missing64[@]} -eq 0 ] || present=no
if ! installed "$package32"; then
    present=no
    install_wine32
fi
if installed "$package32" && ! tn_find_qemu >/dev/null; then
    problem=$(tn_namespace_problem)
    if [ -z "$problem" ]; then
        present=no
        fetch_emulator
    elif ! tn_runs_i386; then
        present=no
        echo "bootstrap: this machine cannot run 32-bit programs nor emulate them ($problem); tests and the demo run on the x86_64 build under wine64"
    fi
fi
[ "$present" = no ] || echo "bootstrap: all packages present"
exit 0
