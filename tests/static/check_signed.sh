#!/bin/sh
# A signed build: the setup built in TREE with a code-signing certificate of
# a throwaway root made here. The setup and the two programs it carries
# verify against that root (the tree's payload check shows that what the
# setup carries expands to those very files); with one byte changed the
# setup does not; its footprint is that of the setup unsigned; its winget
# manifest names the signed bytes.
#   check_signed.sh SOURCE_DIR TREE OBJDUMP
set -u
src=$1 tree=$2 objdump=$3
work=$(mktemp -d /tmp/qlx-signed.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export QLX_SIGN_PFX="$work/signer.pfx" QLX_SIGN_PASSWORD=throwaway
unset QLX_SIGN_TIMESTAMP_URL
certificate="req -x509 -newkey rsa:2048 -nodes -days 2"
{ openssl $certificate -subj /CN=Throwaway-Root -keyout root.key -out root.pem &&
  openssl $certificate -subj /CN=Throwaway-Signer -CA root.pem -CAkey root.key -keyout signer.key \
      -out signer.pem -addext basicConstraints=CA:FALSE -addext extendedKeyUsage=codeSigning &&
  openssl pkcs12 -export -inkey signer.key -in signer.pem -passout env:QLX_SIGN_PASSWORD \
      -out signer.pfx &&
  cmake -S "$src" --preset win32 -B "$tree" -DQLX_WINE_TESTS=OFF &&
  cmake --build "$tree" --target QuillarixSetup winget_manifest -j2 &&
  ctest --test-dir "$tree" -R '^(setup_exe_payload|setup_winget_manifest)$' --output-on-failure
} > build.log 2>&1 || { tail -30 build.log; echo "the signed build or its checks failed"; exit 1; }
fail=0
verifies() { osslsigncode verify -CAfile root.pem -in "$1" > verify.log 2>&1; }
setup=$tree/QuillarixSetup.exe
for program in "$setup" "$tree"/payload/*.exe; do
    verifies "$program" || { cat verify.log; echo "$program does not verify"; fail=1; }
done
at=$(($(stat -c %s "$setup") / 2))
cp "$setup" changed.exe
printf "\\$(printf %o $(($(od -An -tu1 -j $at -N1 "$setup") ^ 1)))" |
    dd of=changed.exe bs=1 seek=$at conv=notrunc 2>/dev/null
verifies changed.exe && { echo "the setup verifies with its byte $at changed"; fail=1; }
overhead() {
    sh "$src/tests/static/check_footprint.sh" "$objdump" "$1" 0 | sed -n 's/.*overhead //p'
}
osslsigncode remove-signature -in "$setup" -out unsigned.exe > /dev/null
[ -n "$(overhead "$setup")" ] && [ "$(overhead "$setup")" = "$(overhead unsigned.exe)" ] ||
    { echo "the footprint counts the signature"; fail=1; }
[ $fail = 0 ] && echo "signed setup ($(stat -c %s "$setup") bytes) and its programs verified"
exit $fail
