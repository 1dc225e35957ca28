# Sourced by the scripts: whether this machine runs 32-bit x86 programs, and
# the emulator that runs them where it does not.
#
# Some machines execute i386 programs natively; others refuse them ("Exec
# format error"). There qemu-user runs them, registered for i386 programs in a
# binfmt_misc of a private user namespace (scripts/emulate-i386.sh), which
# Linux allows since 6.7; the host's own registrations are left alone.

# Where scripts/bootstrap.sh keeps its copy of the emulator.
tn_qemu_cache_dir=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/tninstall

# The version of a qemu-user binary ("10.0.2"), or nothing.
tn_qemu_version() {
    "$1" --version 2>/dev/null | sed -n '1s/^qemu-[a-z0-9_]* version \([0-9][0-9.]*\).*/\1/p'
}

# Prints the path of a usable qemu-i386: $TN_QEMU_I386, the bootstrap's copy,
# or one on PATH. Debian 12's own 7.2 is not usable: it ignores
# MAP_FIXED_NOREPLACE, so every 32-bit Wine process spends about a minute
# reserving its address space and a win32 prefix does not boot.
tn_find_qemu() {
    local candidate version
    for candidate in "${TN_QEMU_I386:-}" "$tn_qemu_cache_dir/qemu-i386" "$(command -v qemu-i386 2>/dev/null)"; do
        [ -n "$candidate" ] && [ -x "$candidate" ] || continue
        version=$(tn_qemu_version "$candidate")
        if [ -n "$version" ] && [ "${version%%.*}" -ge 8 ]; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

# Writes the smallest i386 Linux program there is, which exits with 0: an ELF
# header, one loadable segment, and xor ebx,ebx; xor eax,eax; inc eax;
# int 0x80 (exit(0)). It tells whether 32-bit code runs without needing
# 32-bit Wine or a 32-bit compiler.
tn_write_i386_probe() {
    local elf
    elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'   # 32-bit, little-endian
    elf+='\x02\x00\x03\x00\x01\x00\x00\x00'                          # executable, i386
    elf+='\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00'          # entry, header table
    elf+='\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
    elf+='\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'  # load the file
    elf+='\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'  # 91 bytes, r-x
    elf+='\x31\xdb\x31\xc0\x40\xcd\x80'                                  # exit(0)
    printf "$elf" >"$1"
    chmod +x "$1"
}

# Runs the probe program as this process would run any i386 program.
tn_runs_i386() {
    local probe status
    probe=$(mktemp "${TMPDIR:-/tmp}/tn-i386-XXXXXX") || return 1
    tn_write_i386_probe "$probe"
    timeout 60 "$probe" >/dev/null 2>&1
    status=$?
    rm -f "$probe"
    return $status
}

# Prints why a private binfmt_misc cannot be made here, or nothing when it can.
tn_namespace_problem() {
    local release major minor out
    release=$(uname -r)
    major=${release%%.*}
    minor=${release#*.}
    minor=${minor%%[!0-9]*}
    if [ "$major" -lt 6 ] || { [ "$major" -eq 6 ] && [ "${minor:-0}" -lt 7 ]; }; then
        echo "kernel $release is older than 6.7, the first to let a user namespace mount its own binfmt_misc"
        return 0
    fi
    if ! out=$(unshare --user --map-root-user --mount true 2>&1); then
        echo "user namespaces are refused here (${out:-unshare failed})"
        return 0
    fi
    if ! out=$(unshare --user --map-root-user --mount \
                   mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>&1); then
        echo "binfmt_misc cannot be mounted in a user namespace (${out:-mount failed})"
    fi
}
