#!/usr/bin/env bash
# Succeeds when this machine can run 32-bit Windows programs under Wine
# (some virtual machines cannot execute 32-bit code at all).
timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1
