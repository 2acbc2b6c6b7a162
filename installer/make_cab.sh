#!/usr/bin/env bash
# A cabinet of FILEs (MSZIP), signed with the certificate and key given:
#   make_cab.sh OUT.cab CERT KEY FILE...
set -euo pipefail
out=$1 cert=$2 key=$3
shift 3
unsigned=$(mktemp --suffix=.cab)
trap 'rm -f "$unsigned"' EXIT
rm -f "$unsigned" "$out"
gcab --create --zip --nopath "$unsigned" "$@"
osslsigncode sign -certs "$cert" -key "$key" -n "Rewyn backup player" -h sha256 -in "$unsigned" -out "$out" >/dev/null
