#!/usr/bin/env bash
# Runs a command as on a machine that cannot execute 32-bit x86 code: in a
# private user namespace whose binfmt_misc hands every i386 program to
# /bin/false. scripts/emulate-i386.sh, started inside, registers the emulator
# in a nested namespace of its own, which takes precedence. Needs what the
# emulator needs (Linux 6.7 or later, user namespaces); exits with 125 where
# they are missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/i386.sh"
problem=$(tn_namespace_problem)
if [ -n "$problem" ]; then
    echo "without_i386: $problem" >&2
    exit 125
fi
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
exec unshare --user --map-root-user --mount -- bash -c '
    set -e
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf "%s" "$1" >/proc/sys/fs/binfmt_misc/register
    shift
    exec "$@"
' without-i386 ":tn-no-i386:M::$magic:$mask:/bin/false:F" "$@"
