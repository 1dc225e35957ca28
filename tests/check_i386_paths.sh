#!/usr/bin/env bash
# How the scripts pick the way 32-bit programs run, checked on this machine
# whatever it can do natively: as on a machine that cannot execute 32-bit
# code (tests/without_i386.sh), with and without the emulator, and that none
# of it registers anything on the host. Exits with 77 (skipped) where user
# namespaces or the emulator are missing.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/i386.sh"
if [ -n "$(tn_namespace_problem)" ] || ! tn_find_qemu >/dev/null; then
    echo "skipped: no emulator or no user namespaces here"
    exit 77
fi
failures=0
expect() {  # expect WHAT EXPECTED ACTUAL
    if [[ "$3" == $2 ]]; then
        echo "ok: $1: $3"
    else
        echo "FAILED: $1: expected $2, got: $3"
        failures=$((failures + 1))
    fi
}
host_before=$(ls /proc/sys/fs/binfmt_misc 2>/dev/null)
without() { "$root/tests/without_i386.sh" "$@" 2>&1; }
choice='set -e; source scripts/wine-env.sh >/dev/null; echo "$TN_I386 $TN_PRESET $TN_WINE_LOADER"'

cd "$root"
expect "no native 32-bit code, emulator there" "emulated /*" "$(without bash scripts/can-run-32bit.sh)"
expect "the build the tests run" "emulated default $root/scripts/wine-emulated.sh" \
    "$(without bash -c "$choice")"
expect "the build the benchmark times" "emulated x64 /usr/lib/wine/wine64" \
    "$(without env TN_NATIVE_ONLY=1 bash -c "$choice")"
expect "an emulated program runs" "wine-*" "$(without scripts/wine-emulated.sh --version)"
no_qemu=(env -u TN_QEMU_I386 XDG_CACHE_HOME=/nonexistent PATH=/usr/sbin:/usr/bin:/sbin:/bin)
expect "no native 32-bit code, no emulator" "none: this machine cannot run 32-bit programs, and qemu-user*" \
    "$(without "${no_qemu[@]}" bash scripts/can-run-32bit.sh)"
expect "the build the tests run without it" "none x64 /usr/lib/wine/wine64" \
    "$(without "${no_qemu[@]}" bash -c "$choice")"
expect "the emulator's own refusal" "emulate-i386: no qemu-i386*" \
    "$(without "${no_qemu[@]}" scripts/emulate-i386.sh true)"
expect "the host's binfmt_misc" "$host_before" "$(ls /proc/sys/fs/binfmt_misc 2>/dev/null)"
[ "$failures" -eq 0 ]
