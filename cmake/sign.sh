#!/bin/sh
# Signs one built program in place (Authenticode, SHA-256), run by the build
# right after the program is linked (cmake/signing.cmake). The password of
# the PKCS#12 file comes from QLX_SIGN_PASSWORD and reaches osslsigncode on
# its standard input, never on a command line that others can read. The
# signature carries the program's name and web page, and TIME as its signing
# time; with TIMESTAMP_URL, also that server's RFC 3161 timestamp. The signed
# file replaces the program only when complete; where signing fails, the
# unsigned program is deleted, so that the next build links and signs it
# again instead of taking it for done.
#   sign.sh OSSLSIGNCODE FILE PFX TIME NAME URL [TIMESTAMP_URL]
set -u
tool=$1 file=$2 pfx=$3 time=$4 name=$5 url=$6 timestamp=${7:-}
signed="$file.signed" log="$file.sign.log"
rm -f "$signed"
if [ -z "${QLX_SIGN_PASSWORD+set}" ]; then
    echo "QLX_SIGN_PASSWORD is not set" > "$log"
elif printf '%s' "$QLX_SIGN_PASSWORD" | "$tool" sign -pkcs12 "$pfx" -readpass - -h sha256 \
        -n "$name" -i "$url" -time "$time" ${timestamp:+-ts "$timestamp"} \
        -in "$file" -out "$signed" > "$log" 2>&1 &&
    chmod --reference="$file" "$signed" && mv -f "$signed" "$file"; then
    rm -f "$log"
    echo "Signed $(basename "$file")"
    exit 0
fi
cat "$log"
echo "cannot sign $file; the unsigned program is deleted"
rm -f "$file" "$signed" "$log"
exit 1
