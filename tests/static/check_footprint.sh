#!/bin/sh
# The setup executable's own size, everything but the stored payload, stays
# within its budget. A size is stable from build to build (a time is not).
#   check_footprint.sh SETUP.EXE BUDGET_BYTES
set -u
exe="$1"; budget="$2"
total=$(stat -c %s "$exe")
stored=0
for id in $(wrestool -l --type=FILE "$exe" | sed -n 's/.*--name=\([0-9]*\).*/\1/p'); do
    stored=$((stored + $(wrestool -x --raw --type=FILE --name="$id" "$exe" | wc -c)))
done
overhead=$((total - stored))
echo "$(basename "$exe"): $total bytes, payload $stored bytes, overhead $overhead bytes (budget $budget)"
[ "$stored" -gt 0 ] && [ "$overhead" -le "$budget" ]
