#!/usr/bin/env bash
# Signs PE modules in place with Authenticode (SHA-256), from a certificate
# given through the environment:
#   TN_SIGN_PFX            the certificate with its private key, a PKCS#12 (.pfx) file
#   TN_SIGN_PASSWORD       its password (empty or unset: none)
#   TN_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional; without it
#                          the signature is valid only while the certificate is)
#   TN_OSSLSIGNCODE        the osslsigncode to run (default: the one on PATH)
# Without TN_SIGN_PFX it changes nothing and says so in one line. Any failure
# once a certificate is given stops with an error, so that nothing meant to
# be signed ships unsigned.
#   sign.sh <module>...
set -euo pipefail

if [ -z "${TN_SIGN_PFX:-}" ]; then
    echo "sign: no certificate (TN_SIGN_PFX is not set), $# modules left unsigned"
    exit 0
fi
tool=${TN_OSSLSIGNCODE:-osslsigncode}
if ! command -v "$tool" >/dev/null; then
    echo "sign: $tool not found (scripts/bootstrap.sh installs osslsigncode)" >&2
    exit 1
fi
if [ ! -r "$TN_SIGN_PFX" ]; then
    echo "sign: cannot read the certificate $TN_SIGN_PFX" >&2
    exit 1
fi

# The password goes to osslsigncode in a file only this user can read, never
# on a command line that other users' ps would show.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(umask 077 && printf '%s' "${TN_SIGN_PASSWORD:-}" >"$work/password")
timestamp=()
[ -z "${TN_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$TN_SIGN_TIMESTAMP_URL")

for module in "$@"; do
    if ! "$tool" sign -pkcs12 "$TN_SIGN_PFX" -readpass "$work/password" -h sha256 \
            "${timestamp[@]}" -in "$module" -out "$work/signed" >"$work/log" 2>&1; then
        echo "sign: $module could not be signed:" >&2
        cat "$work/log" >&2
        exit 1
    fi
    # Written over the module (keeping its mode) only once signed whole.
    cat "$work/signed" >"$module"
    rm -f "$work/signed"
    echo "sign: $(basename "$module") signed with $(basename "$TN_SIGN_PFX")"
done
