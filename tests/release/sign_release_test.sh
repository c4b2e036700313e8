#!/usr/bin/env bash
# sign_release_test.sh BUILD WINE ARCH: makes a throwaway code-signing
# certificate, packs the build with it as scripts/package.sh does, and checks
# that the signatures verify, that a byte changed afterwards is caught, and
# that Wine still loads the signed library and runs the start-up. Runs inside
# a wine-session.
set -euo pipefail
build=$1
wine=$2
arch=$3
work=$build/signing-check
rm -rf "$work"
mkdir -p "$work/unpacked"
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
    -subj "/CN=Tarvex throwaway test signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.p12 -passout pass:throwaway
(cd "$build" && TARVEX_SIGN_PKCS12=$work/cert.p12 TARVEX_SIGN_PASSWORD=throwaway cpack -B "$work/package" >"$work/cpack.log")
(cd unpacked && cmake -E tar xf "$work"/package/*.zip)

bin=unpacked/bin/$arch
for file in TarvexLogo.dll OxaRes0.dll OxaRes1.dll OxaRes2.dll startup-probe.exe; do
    osslsigncode verify -CAfile cert.pem -in "$bin/$file" >"verify-$file.log" 2>&1 ||
        { cat "verify-$file.log"; echo "FAIL: $file does not verify"; exit 1; }
done
echo "signatures verify"

cp "$bin/TarvexLogo.dll" tampered.dll
printf '\x5a' | dd of=tampered.dll bs=1 seek=2000 conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile cert.pem -in tampered.dll >verify-tampered.log 2>&1; then
    echo "FAIL: a byte changed after signing went unnoticed"
    exit 1
fi
echo "a changed byte is caught"

report=$("$wine" "$bin/startup-probe.exe" /nologo --pump-ms 0 2>/dev/null | tr -d '\r')
case $report in
    *'"loaded":true'*'"version":402'*'"unloaded":true'*) echo "Wine loads the signed library: $report" | cut -c1-200 ;;
    *) echo "FAIL: the signed library did not start: $report"; exit 1 ;;
esac
