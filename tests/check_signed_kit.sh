#!/usr/bin/env bash
# Signs a release archive with a throwaway self-signed code-signing
# certificate made by openssl (the package script with TN_SIGN_PFX, as a
# release is made) and checks it: osslsigncode verifies each module as signed
# with SHA-256 by that very certificate; the signed archive is the unsigned
# one of the kit test but for the modules' signatures; one changed byte of a
# signed module's code fails verification. Then puts the signed modules into
# build/kit-run, where the kit_e2e tests run them.
#   check_signed_kit.sh <build dir>; TN_OSSLSIGNCODE names the osslsigncode
#   to use (default: the one on PATH), the rest comes from tests/CMakeLists.txt.
set -u
build=$1
source_dir=$(cd "$(dirname "$0")/.." && pwd)
name=TNInstall-$TN_VERSION-$TN_KIT_ARCH
out=$build/kit-signed
kit=$out/unpacked/$name
tool=${TN_OSSLSIGNCODE:-osslsigncode}
modules="bin/TNInstall.dll bin/Vaultcore.dll bin/tninstall.exe"
source "$(dirname "$0")/check_lib.sh"

for t in openssl "$tool"; do
    if ! command -v "$t" >/dev/null; then
        echo "FAIL: $t is missing (scripts/bootstrap.sh installs openssl and osslsigncode)"
        exit 1
    fi
done
echo "osslsigncode: $("$tool" --version 2>&1 | head -n 1)"

rm -rf "$out"
mkdir -p "$out/cert" "$out/unpacked"
cert=$out/cert
password="throwaway 'test' password"
check "openssl makes a self-signed code-signing certificate and its PFX" \
    'openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=TNInstall test signer" \
         -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
         -keyout "$cert/key.pem" -out "$cert/cert.pem" >"$cert/openssl.log" 2>&1 &&
     openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/test.pfx" \
         -passout "pass:$password" >>"$cert/openssl.log" 2>&1'
leaf=sha256:$(openssl x509 -in "$cert/cert.pem" -outform DER | sha256sum | cut -d' ' -f1)

check "the package script signs the three modules" \
    'TN_SIGN_PFX="$cert/test.pfx" TN_SIGN_PASSWORD="$password" \
         cmake -DTN_KIT_OUT="$out" -P "$build/kit_package.cmake" >"$out/package.log" 2>&1 &&
     [ "$(grep -c "sign: .* signed with test.pfx" "$out/package.log")" = 3 ]'
check "the signed archive unpacks" '(cd "$out/unpacked" && cmake -E tar xf "$out/$name.zip")'

# Verified against the certificate as the only trusted root, and its leaf
# required to be that certificate.
for m in $modules; do
    check "$m verifies as signed with SHA-256 by the test certificate" \
        '"$tool" verify -in "$kit/$m" -CAfile "$cert/cert.pem" -require-leaf-hash "$leaf" \
             >"$out/verify.log" 2>&1 && grep -Eq "Message digest algorithm *: SHA256" "$out/verify.log"'
done

# Signing changes nothing but the modules' signatures.
"$TN_PYTHON" "$source_dir/scripts/compare-kit.py" "$build/$name.zip" "$out/$name.zip" >"$out/compare.log"
compared=$?
check "the signed archive is the unsigned one but for the three signatures" \
    '[ $compared = 0 ] && [ "$(grep -c "^same unsigned " "$out/compare.log")" = 3 ]'

# One byte in the middle of TNInstall.dll's code, changed.
tampered=$out/TNInstall-tampered.dll
cp "$kit/bin/TNInstall.dll" "$tampered"
read -r size offset < <("$TN_OBJDUMP" -h "$tampered" | awk '$2 == ".text" { print $3, $6 }')
at=$((0x$offset + 0x$size / 2))
byte=$(od -An -tu1 -j "$at" -N1 "$tampered" | tr -d ' ')
printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="$tampered" bs=1 seek="$at" conv=notrunc status=none
check "TNInstall.dll with one byte of its code changed differs in that byte alone" \
    '[ "$(cmp -l "$kit/bin/TNInstall.dll" "$tampered" | wc -l)" = 1 ]'
check "TNInstall.dll with one byte of its code changed fails verification on its digest" \
    '! "$tool" verify -in "$tampered" -CAfile "$cert/cert.pem" >"$out/tampered.log" 2>&1 &&
     grep -Eiq "message digest.*MISMATCH" "$out/tampered.log"'

# The kit_e2e tests run the signed modules.
for m in $modules; do
    cp "$kit/$m" "$build/kit-run/"
    check "build/kit-run holds the signed $(basename "$m")" 'cmp -s "$kit/$m" "$build/kit-run/$(basename "$m")"'
done

finish_checks
