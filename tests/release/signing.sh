#!/usr/bin/env bash
# Signs a copy of the built program the way tools/release.sh does, with a
# throwaway certificate, and checks that the signature verifies against it,
# that the signed program passes the release check and that it still runs:
#   tests/release/signing.sh <build folder> <program.exe>
# The key and certificate live in a temporary folder, the signed copy in
# bin/signed/ of the build; both are removed at the end.
. "$(dirname "$0")/../../tools/strict.sh"
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work" "$build/bin/signed"' EXIT
mkdir -p "$build/bin/signed"
signed=$build/bin/signed/pexloplay-ai-uninstaller.exe

openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/key.pem"
openssl req -x509 -key "$work/key.pem" -days 1 -subj "/CN=Pexlo Play test signing" \
  -addext extendedKeyUsage=codeSigning -out "$work/cert.pem"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:throwaway -out "$work/key.pfx"
cp "$2" "$signed"
SIGN_PFX=$work/key.pfx SIGN_PASSWORD=throwaway "$tools/sign.sh" "$signed"
osslsigncode verify -CAfile "$work/cert.pem" -in "$signed" >"$work/verify.txt" || { cat "$work/verify.txt"; exit 1; }
echo "signature verified against the throwaway certificate"
"$tools/check-program.sh" "$signed"

# Unattended on an absent folder; wait=1 so that the exit code is the removal's
# outcome and the program's copy has reported before this script ends.
status=0
"$tools/wine/run.sh" "$build" 'signed\pexloplay-ai-uninstaller.exe' 'extdir=T:\absent-folder' silent=1 wait=1 || status=$?
echo "signed program under Wine: exit code $status"
exit "$status"
