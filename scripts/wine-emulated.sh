#!/usr/bin/env bash
# 32-bit Wine with every 32-bit program it starts going through the emulator
# (scripts/emulate-i386.sh): the Wine loader of machines that cannot execute
# 32-bit code.
exec "$(dirname "${BASH_SOURCE[0]}")/emulate-i386.sh" wine "$@"
