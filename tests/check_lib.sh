# What the shell checks share; sourced, after `set -u`.
#   check DESCRIPTION 'COMMAND'  runs the command (evaluated, so it sees the
#                                caller's variables) and says "ok" or "FAIL"
#   finish_checks [NOTE]         the summary line ctest shows; exits 0 when
#                                every check passed, 1 otherwise
#   pe_flags                     of `objdump -p` output on standard input, the
#                                DllCharacteristics lines (the module's flags)
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi; }
finish_checks() {
    if [ $fail = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed${1:+ ($1)}"; fi
    exit $fail
}
pe_flags() { sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p'; }
