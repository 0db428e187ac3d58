#!/usr/bin/env bash
# Signs a Windows program (Authenticode, SHA-256) with osslsigncode:
#   bash scripts/sign.sh CERT.p12 IN.exe OUT.exe
# The PKCS#12 file's password comes from TOVEL_SIGN_PASSWORD (empty when
# unset), read through a pipe so that it never stands on a command line;
# TOVEL_SIGN_TIMESTAMP_URL, if set, names an RFC 3161 time-stamp server, so
# that the signature outlives the certificate. OUT is written only whole.
set -euo pipefail

if (($# != 3)); then
    echo "usage: sign.sh CERT.p12 IN.exe OUT.exe" >&2
    exit 2
fi
pkcs12=$1 input=$2 output=$3

timestamp=()
if [[ -n "${TOVEL_SIGN_TIMESTAMP_URL:-}" ]]; then
    timestamp=(-ts "$TOVEL_SIGN_TIMESTAMP_URL")
fi

mkdir -p "$(dirname "$output")"
rm -f "$output.partial"
osslsigncode sign -pkcs12 "$pkcs12" -readpass <(printf '%s' "${TOVEL_SIGN_PASSWORD:-}") \
    -h sha256 "${timestamp[@]}" -in "$input" -out "$output.partial" >/dev/null
mv -f "$output.partial" "$output"
