#!/usr/bin/env bash
# A release signed with a throw-away certificate (tools/release): its sums hold, osslsigncode
# verifies both programs' signatures against that certificate, and the signed x64 program
# opens its first page under Wine (in the x64 build's prefix, driven by its WizardDriver).
set -euo pipefail
trap 'echo "signed.sh: failed: $BASH_COMMAND" >&2' ERR
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$root/build/signed-release"
rm -rf "$work" && mkdir -p "$work" && cd "$work"

echo "throw-away password" >password
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Veltra release test" \
    -addext extendedKeyUsage=codeSigning -keyout key.pem -out certificate.pem 2>openssl.log
openssl pkcs12 -export -inkey key.pem -in certificate.pem -passout file:password -out signer.pfx
VELTRA_SIGN_PFX=signer.pfx VELTRA_SIGN_PASSWORD_FILE=password "$root/tools/release" dist
(cd dist && sha256sum -c SHA256SUMS)
for zip in dist/*.zip; do
    python3 -m zipfile -e "$zip" "${zip%.zip}"
    osslsigncode verify -CAfile certificate.pem -in "${zip%.zip}/VeltraSetup.exe"
done

# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh" "$root/build/x64"
veltra_wine_warm
status=0
wine "$root/build/x64/tests/e2e/WizardDriver.exe" "$work"/dist/VeltraSetup-*-x64/VeltraSetup.exe \
    "$root/tests/e2e/cancel.steps" "$work/screenshots" 2>wine-stderr.log || status=$?
veltra_wine_stop
exit "$status"
