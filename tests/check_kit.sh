#!/usr/bin/env bash
# Makes the release archive (`--target package`), unpacks it as a caller
# receives it and checks it: the layout, stripped modules with their debug
# files, unsigned without a certificate, their code that of the build tree
# (which dll_file_facts proves free of SEH handlers) and their hardening
# flags, imports from the committed list only (i686), the C example built
# through find_package and the lld-link caller built from the archive alone,
# both binding TNInstall.dll by ordinal. Then lays out build/kit-run, where
# the e2e tests run against the archive's modules (the kit_e2e tests; the
# kit_signed test puts signed modules there first).
#   check_kit.sh <build dir>; the rest comes from the environment (tests/CMakeLists.txt).
set -u
build=$1
source_dir=$(cd "$(dirname "$0")/.." && pwd)
name=TNInstall-$TN_VERSION-$TN_KIT_ARCH
zip=$build/$name.zip
unpacked=$build/kit
kit=$unpacked/$name
run=$build/kit-run
source "$(dirname "$0")/check_lib.sh"

# DLL!function, one a line, for every function a module imports.
imports_of() {
    "$TN_OBJDUMP" -p "$1" | awk '
        /^\tDLL Name: / { dll = $3; next }
        /^The Export Tables|^PE File Base Relocations/ { dll = "" }
        dll != "" && /^\t[0-9a-f]+\t/ { print dll "!" $3 }' | sort -u
}
# Ordinals a module imports from TNInstall.dll, "<none>" for each; empty when
# it imports nothing from it or imports a name.
ordinal_imports() {
    "$TN_OBJDUMP" -p "$1" | awk '/DLL Name: TNInstall.dll/{t=1;next} /DLL Name:/{t=0} t&&/^\t[0-9a-f]+\t/{print $3}'
}
by_ordinal_only() {
    local names
    names=$(ordinal_imports "$1")
    [ -n "$names" ] && ! grep -qv "<none>" <<<"$names"
}

rm -rf "$unpacked" "$run" "$zip"
unset TN_SIGN_PFX TN_SIGN_PASSWORD TN_SIGN_TIMESTAMP_URL
check "the package target makes $name.zip" \
    'cmake --build "$build" --target package >"$build/package.log" 2>&1 && [ -f "$zip" ]'
check "without a certificate the package step says in one line that it signs nothing" \
    '[ "$(grep -c "sign: " "$build/package.log")" = 1 ] && grep -q "sign: no certificate" "$build/package.log"'
mkdir -p "$unpacked"
check "the archive unpacks" '(cd "$unpacked" && cmake -E tar xf "$zip")'

modules="bin/TNInstall.dll bin/Vaultcore.dll bin/tninstall.exe"
for f in $modules $(for m in $modules; do echo "$m.debug"; done) \
         lib/libTNInstall.a lib/TNInstall.lib lib/TNInstall.def \
         lib/cmake/TNInstall/TNInstallConfig.cmake lib/cmake/TNInstall/TNInstallConfigVersion.cmake \
         include/TNInstall.h examples/where_is.c examples/CMakeLists.txt README.txt; do
    check "the archive holds $f" '[ -f "$kit/$f" ]'
done
check "README.txt names the version" 'grep -q "TNInstall $TN_VERSION " "$kit/README.txt"'

# The SHA-256 of a module's code.
code_of() {
    "$TN_OBJCOPY" -O binary --only-section=.text "$1" "$build/kit-code.bin" && sha256sum <"$build/kit-code.bin"
    rm -f "$build/kit-code.bin"
}
for m in $modules; do
    sections=$("$TN_OBJDUMP" -h "$kit/$m")
    check "$m is stripped" '! grep -q "\.debug_" <<<"$sections"'
    check "$m links its debug file" 'grep -q "\.gnu_debuglink" <<<"$sections"'
    check "$m.debug holds the debug information" \
        '"$TN_OBJDUMP" -h "$kit/$m.debug" | grep -q "\.debug_info"'
    headers=$("$TN_OBJDUMP" -p "$kit/$m")
    check "$m carries no signature" 'grep -Eq "^Entry 4 0+ 0+ Security Directory" <<<"$headers"'
    check "$m holds the code of the build tree's $(basename "$m")" \
        '[ "$(code_of "$kit/$m")" = "$(code_of "$build/bin/$(basename "$m")")" ]'
    flags=$(pe_flags <<<"$headers")
    expected="DYNAMIC_BASE NX_COMPAT"
    [ "$TN_KIT_ARCH" = win32 ] && [ "${TN_HARDENING:-ON}" = ON ] && expected+=" NO_SEH"
    for flag in $expected; do
        check "$m is marked $flag" 'grep -qw "$flag" <<<"$flags"'
    done
done

# Every function a shipped module imports is on the committed list, each
# entry checked against what Windows XP SP3 and Server 2003 SP2 export.
if [ "$TN_KIT_ARCH" = win32 ]; then
    allowed=$(grep -v '^#' "$source_dir/tests/kit_imports.txt" | sed '/^$/d' | sort -u)
    for m in $modules; do
        new=$(comm -23 <(imports_of "$kit/$m") <(echo "$allowed"))
        check "$m imports only functions on tests/kit_imports.txt${new:+ (new: $(echo $new))}" \
            '[ -z "$new" ]'
    done
fi

# The C example, through find_package(TNInstall).
example=$build/kit-example
rm -rf "$example"
check "the C example configures through find_package(TNInstall)" \
    'cmake -S "$kit/examples" -B "$example" -DCMAKE_TOOLCHAIN_FILE="$TN_TOOLCHAIN" \
        -DCMAKE_PREFIX_PATH="$kit" -DCMAKE_BUILD_TYPE=Release >"$build/kit-example.log" 2>&1'
check "the C example builds" 'cmake --build "$example" >>"$build/kit-example.log" 2>&1'
check "the C example imports from TNInstall.dll by ordinal only" 'by_ordinal_only "$example/where_is.exe"'

# The caller of Microsoft's toolchain, against the archive's TNInstall.lib.
mkdir -p "$run"
check "the lld-link caller builds against the archive's TNInstall.lib" \
    'TN_CLANG="$TN_CLANG" TN_LLD_LINK="$TN_LLD_LINK" "$source_dir/tests/e2e/msvc/build.sh" "$TN_MSVC_ARCH" \
        "$kit/lib/TNInstall.lib" "$kit/include" "$TN_MINGW_KERNEL32" "$run/tn_msvc_caller.exe"'
check "the lld-link caller imports from TNInstall.dll by ordinal only" \
    'by_ordinal_only "$run/tn_msvc_caller.exe"'

# The e2e tests' folder: the archive's modules, the callers built from it,
# and the test programs of the build tree.
cp "$kit"/bin/*.dll "$kit"/bin/*.exe "$example/where_is.exe" "$run"/
for f in tn_e2e_tests.exe tn_probe.exe tn_log_writer.exe; do
    cp "$build/bin/$f" "$run"/
done
cp -r "$build/bin/demo" "$run"/
check "the e2e folder holds the archive's modules" 'cmp -s "$kit/bin/TNInstall.dll" "$run/TNInstall.dll"'

finish_checks
