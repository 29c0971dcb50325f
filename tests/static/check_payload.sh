#!/bin/sh
# Reads every payload resource back out of a built setup executable and
# checks it against the payload catalogue (as the build wrote it: id, file
# name, method, source path): present under its id, SZDD where the method
# is expand (expanding to the source), plain otherwise (byte-identical to
# the source); and no FILE resource that the catalogue does not list.
#   check_payload.sh SETUP.EXE CATALOGUE_TABLE SZDD_TOOL
set -u
exe="$1"; table="$2"; szdd="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
count=0
while read -r id name method source; do
    [ -z "$id" ] && continue
    count=$((count + 1))
    out="$work/$id"
    if ! wrestool -x --raw --type=FILE --name="$id" "$exe" > "$out" 2>/dev/null || [ ! -s "$out" ]; then
        echo "resource $id ($name) missing"; fail=1; continue
    fi
    signature=$(head -c 4 "$out")
    if [ "$method" = expand ]; then
        if [ "$signature" != SZDD ]; then echo "resource $id ($name) is not SZDD"; fail=1; continue; fi
        "$szdd" expand "$out" "$out.expanded" && cmp -s "$out.expanded" "$source" ||
            { echo "resource $id ($name) does not expand to its source"; fail=1; }
    else
        [ "$signature" = SZDD ] && { echo "resource $id ($name) should be plain"; fail=1; }
        cmp -s "$out" "$source" || { echo "resource $id ($name) differs from its source"; fail=1; }
    fi
done < "$table"
[ "$count" -gt 0 ] || { echo "the catalogue table is empty"; fail=1; }
all=$(wrestool -l --type=FILE "$exe" | wc -l)
[ "$all" = "$count" ] || { echo "the executable carries $all FILE resources, the catalogue $count"; fail=1; }
[ $fail = 0 ] && echo "all $count payload resources match"
exit $fail
