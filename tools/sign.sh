#!/usr/bin/env bash
# Signs one Windows executable in place with osslsigncode (tools/release.sh and the installer script
# call it). LUMENFOLD_SIGN_PKCS12: the certificate and key; LUMENFOLD_SIGN_PASSWORD: its password;
# LUMENFOLD_SIGN_TIMESTAMP: a timestamp server (optional: without one the signature ends with the
# certificate's validity).
set -euo pipefail
file=${1:?usage: sign.sh FILE}
timestamp=()
[ -z "${LUMENFOLD_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$LUMENFOLD_SIGN_TIMESTAMP")
rm -f "$file.signed"
# The password goes through a pipe, never the command line that other users can read.
osslsigncode sign -pkcs12 "$LUMENFOLD_SIGN_PKCS12" -readpass <(printf %s "${LUMENFOLD_SIGN_PASSWORD:-}") \
  -h sha256 -n Lumenfold "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
