#!/usr/bin/env bash
# Tells how this machine can run 32-bit Windows programs under Wine, in one
# line whose first word is the answer:
#   native               32-bit x86 code runs here
#   emulated <qemu-i386> it runs through the emulator (scripts/emulate-i386.sh)
#   none: <reason>       neither
# Exits with 0 for native and emulated, 1 for none.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/i386.sh"

wine32=/usr/lib/wine/wine
if tn_runs_i386; then
    if [ -x "$wine32" ]; then
        echo native
        exit 0
    fi
    echo "none: 32-bit Wine (wine32:i386) is not installed"
    exit 1
fi
if [ ! -x "$wine32" ]; then
    echo "none: this machine cannot run 32-bit programs, and 32-bit Wine (wine32:i386) is not installed"
    exit 1
fi
problem=$(tn_namespace_problem)
if [ -n "$problem" ]; then
    echo "none: this machine cannot run 32-bit programs and cannot emulate them ($problem)"
    exit 1
fi
if ! qemu=$(tn_find_qemu); then
    echo "none: this machine cannot run 32-bit programs, and qemu-user 8 or later is not there to emulate them"
    exit 1
fi
if ! out=$(timeout 120 bash "$(dirname "${BASH_SOURCE[0]}")/emulate-i386.sh" "$wine32" --version 2>&1); then
    echo "none: this machine cannot run 32-bit programs, and 32-bit Wine fails under $qemu (${out:0:200})"
    exit 1
fi
echo "emulated $qemu"
