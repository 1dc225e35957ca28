#!/usr/bin/env bash
# Runs a command with every 32-bit x86 program it starts (32-bit Wine and the
# programs Wine starts in turn) going through qemu-i386:
#   emulate-i386.sh COMMAND [ARGS...]
#
# The emulator is registered in a binfmt_misc of a private user and mount
# namespace, so nothing is registered on the host and only this command and
# its children see it; it works whether or not the host runs 32-bit code
# natively. The command runs with the caller's user and group ids. QEMU_CPU in
# the environment picks the processor model (pentium3: one without SSE2).
#
# When it cannot, it says why in one line on standard error and exits with
# 125, without running the command: a kernel before 6.7, user namespaces
# refused (a chroot, a sysctl), or no emulator (scripts/bootstrap.sh fetches
# one).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/i386.sh"

if [ $# -eq 0 ]; then
    echo "usage: emulate-i386.sh COMMAND [ARGS...]" >&2
    exit 2
fi
if ! qemu=$(tn_find_qemu); then
    echo "emulate-i386: no qemu-i386 of version 8 or later (scripts/bootstrap.sh fetches 10 into $tn_qemu_cache_dir)" >&2
    exit 125
fi
problem=$(tn_namespace_problem)
if [ -n "$problem" ]; then
    echo "emulate-i386: $problem" >&2
    exit 125
fi

# i386 ELF executables: class 32-bit, little-endian, type executable or
# shared object (the mask lets both through), machine 3. The kernel reads the
# escapes itself. The F flag opens the emulator now, so the registration
# works wherever the command goes.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
registration=":tn-qemu-i386:M::$magic:$mask:$qemu:F"

# The namespace maps the caller to root, which may mount; a nested namespace
# maps root back to the caller's ids, so that files, Wine's server folder
# (named after the user id) and Wine's check of the prefix's owner see the
# caller. The nested namespace uses its parent's binfmt_misc.
uid=$(id -u) gid=$(id -g)
exec unshare --user --map-root-user --mount -- bash -c '
    set -e
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf "%s" "$1" >/proc/sys/fs/binfmt_misc/register
    uid=$2 gid=$3
    shift 3
    if [ "$uid" = 0 ]; then
        exec "$@"
    fi
    exec unshare --user --map-user="$uid" --map-group="$gid" -- "$@"
' emulate-i386 "$registration" "$uid" "$gid" "$@"
