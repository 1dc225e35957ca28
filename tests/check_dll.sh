#!/usr/bin/env bash
# Checks the built modules' files: TNInstall.dll is PE32 i386, exports exactly
# ordinals 1..19 with no names, and both DLLs import system DLLs only. Then
# the hardening of all three modules: ASLR and DEP, the stack protector, and
# NO_SEH where their code proves it true (TN_HARDENING=OFF: no NO_SEH, no
# protector). The unstripped modules of the build tree are read, since their
# symbols tell code from the tables the linker puts among it; the kit test
# checks that the archive's modules hold the same code.
#   check_dll.sh TNInstall.dll Vaultcore.dll tninstall.exe
set -u
dll=$1 vault=$2 tool=$3
objdump=i686-w64-mingw32-objdump
source "$(dirname "$0")/check_lib.sh"

headers=$($objdump -p "$dll")
check "TNInstall.dll is pei-i386" 'grep -q "file format pei-i386" <<<"$headers"'
check "machine is i386 (014c)" '$objdump -f "$dll" | grep -q "architecture: i386"'
check "ordinal base is 1" 'grep -q "Ordinal Base[[:space:]]*1" <<<"$headers"'
check "19 entries in the export address table" \
    'grep -Eq "Export Address Table[^0-9]*0*13\b|Export Address Table[[:space:]]+0*13" <<<"$headers"'
check "the name table is empty" \
    'grep -Eq "\[Name Pointer/Ordinal\] Table[[:space:]]+0+\b" <<<"$headers"'
ordinals=$(awk '/^\[Ordinal\/Name Pointer\] Table/{n=1;next} /^\[/{n=0} /Export Address Table --/{e=1;next} e&&/^\t\[/{c++} END{print c+0}' <<<"$headers")
check "19 exported addresses listed (got $ordinals)" '[ "$ordinals" = 19 ]'

allowed='^(KERNEL32|ADVAPI32|SHLWAPI|msvcrt|USER32|api-ms-win-[a-z0-9-]+)\.dll$'
for f in "$dll" "$vault"; do
    imports=$($objdump -p "$f" | awk '/DLL Name:/{print $3}')
    for i in $imports; do
        check "$(basename "$f") imports $i, a system DLL" '[[ "$i" =~ $allowed ]]'
    done
done

# Every %fs access in a module's code, as "function: instruction". On i686
# Windows %fs addresses the thread's information block, whose first word
# (%fs:0) heads the chain of SEH handlers: a module that installs a handler
# writes it. The tables the linker puts at the end of .text (constructor and
# destructor lists, C++ exception tables) are data and left out.
fs_accesses() {
    $objdump -d --no-show-raw-insn "$1" | awk '
        /^[0-9a-f]+ <.*>:$/ { symbol = substr($2, 2, length($2) - 3); next }
        symbol ~ /^(\.gcc_except_table|\.ctors|\.dtors|__CTOR_LIST__|__DTOR_LIST__)/ { next }
        /%fs:/ { sub(/^ *[0-9a-f]+:\t/, ""); print symbol ": " $0 }'
}
# Allowed: the runtime's startup (__CRT_INIT@12 of a DLL, ___tmainCRTStartup
# of a program) reading the block's own address at %fs:0x18 to take the
# stack base at offset 4 for its startup lock. Anything else, including an
# access through a register, which could reach %fs:0, counts as SEH use.
seh_uses() {
    grep -vE '^(__CRT_INIT@12|___tmainCRTStartup): mov +%fs:0x18,%e[a-z]x$' <<<"$1"
}
hardening=${TN_HARDENING:-ON}
for f in "$dll" "$vault" "$tool"; do
    name=$(basename "$f")
    flags=$($objdump -p "$f" | pe_flags)
    check "$name has ASLR (DYNAMIC_BASE)" 'grep -q DYNAMIC_BASE <<<"$flags"'
    check "$name has DEP (NX_COMPAT)" 'grep -q NX_COMPAT <<<"$flags"'
    accesses=$(fs_accesses "$f")
    uses=$(seh_uses "$accesses")
    check "$name installs no SEH handler: no %fs:0 access, no %fs access through a register${uses:+ (found: $(echo $uses))}" \
        '[ -z "$uses" ]'
    echo "   $name %fs accesses: ${accesses:-none}"
    protected=$($objdump -d --no-show-raw-insn "$f" | grep -c 'call .*<___stack_chk_fail>')
    if [ "$hardening" = ON ]; then
        check "$name is marked NO_SEH" 'grep -q NO_SEH <<<"$flags"'
        check "$name has the stack protector ($protected checked returns)" '[ "$protected" -gt 0 ]'
    else
        check "$name is not marked NO_SEH (hardening off)" '! grep -q NO_SEH <<<"$flags"'
        check "$name has no stack protector (hardening off)" '[ "$protected" = 0 ]'
    fi
done
finish_checks
