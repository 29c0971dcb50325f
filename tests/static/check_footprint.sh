#!/bin/sh
# The setup executable's own size, everything but the stored payload and an
# Authenticode signature, stays within its budget. A signature is appended
# to the file as the certificate table (data directory entry 4, "Security
# Directory"), outside the program's image: it is counted apart. A size is
# stable from build to build (a time is not).
#   check_footprint.sh OBJDUMP SETUP.EXE BUDGET_BYTES
set -u
objdump="$1"; exe="$2"; budget="$3"
total=$(stat -c %s "$exe")
stored=0
for id in $(wrestool -l --type=FILE "$exe" | sed -n 's/.*--name=\([0-9]*\).*/\1/p'); do
    stored=$((stored + $(wrestool -x --raw --type=FILE --name="$id" "$exe" | wc -c)))
done
table=$("$objdump" -p "$exe" | sed -n 's/^Entry 4 [0-9a-fA-F]* \([0-9a-fA-F]*\) .*/\1/p')
signature=$((0x$table))
overhead=$((total - stored - signature))
echo "$(basename "$exe"): $total bytes, payload $stored bytes, signature $signature bytes," \
    "overhead $overhead bytes (budget $budget)"
[ "$stored" -gt 0 ] && [ "$overhead" -le "$budget" ]
