#!/bin/sh
# What a program links, read from the linker's map and from the symbols of
# the objects it took: each object of the product's libraries comes from a
# folder the program may use (library libqlx_FOLDER.a), and no object uses a
# symbol that only an object on a higher floor defines. The program's own
# objects are on its floor, the last one given.
#   check_links.sh NM MAP "FLOORS, LOWEST FIRST" OWN_OBJECT...
# MAP lies in the folder the program was linked in: its archive names are
# relative to it.
set -u
nm=$1 map=$2 floors=$3
shift 3
cd "$(dirname "$map")" || exit 1
# The own objects, one argument each or as one CMake list; resources aside.
own=""
for object in $(printf '%s\n' "$@" | tr ';' '\n'); do
    case $object in *.obj | *.o) own="$own $object" ;; esac
done
# The members that the map says were taken: "ARCHIVE(MEMBER)" at a line's
# start; the program's own objects are listed as members of its objects.a.
taken=$(sed -n 's/^\([^ ]*libqlx_[a-z]*\.a\)(\([^)]*\)).*/\1 \2/p' "$map" | sort -u)
[ -n "$taken" ] || { echo "no object of the product's libraries in $map"; exit 1; }
archives=$(printf '%s\n' "$taken" | cut -d' ' -f1 | sort -u)
# nm -A: "ARCHIVE:MEMBER:ADDRESS TYPE SYMBOL" or "OBJECT:ADDRESS TYPE SYMBOL".
# shellcheck disable=SC2086
{ printf '%s\n' "$taken" | sed 's/^/taken /'
  for archive in $archives; do "$nm" -A "$archive" 2>/dev/null; done
  "$nm" -A $own 2>/dev/null | sed 's/^\([^:]*\):/OWN(\1):/'
} | awk -v floors="$floors" '
    BEGIN {
        n = split(floors, order, " ")
        for (i = 1; i <= n; ++i) rank[order[i]] = i
        top = order[n]
    }
    $1 == "taken" { linked[$2 ":" $3] = 1; next }
    {
        # The object and the symbol line: ARCHIVE:MEMBER:REST or OWN(OBJECT):REST.
        split($1, part, ":")
        if (part[1] ~ /^OWN\(/) { object = part[1]; folder = top }
        else {
            object = part[1] ":" part[2]
            if (!(object in linked)) next
            folder = part[1]; sub(/.*libqlx_/, "", folder); sub(/\.a$/, "", folder)
        }
        type = $(NF - 1); symbol = $NF
        floorOf[object] = folder
        if (type == "U") users[++nUses] = object SUBSEP symbol
        else if (type ~ /^[TDBRVWC]$/) {
            r = folder in rank ? rank[folder] : 0
            if (!(symbol in lowest) || r < lowest[symbol]) { lowest[symbol] = r; definer[symbol] = object }
        }
    }
    END {
        for (object in floorOf)
            if (!(floorOf[object] in rank))
                print object " is linked from " floorOf[object] "/, which this program may not use"
        for (i = 1; i <= nUses; ++i) {
            split(users[i], pair, SUBSEP)
            object = pair[1]; symbol = pair[2]
            if (!(symbol in lowest) || !(floorOf[object] in rank)) continue
            if (lowest[symbol] > rank[floorOf[object]])
                print object " (" floorOf[object] "/) uses " symbol ", defined only higher up, in " definer[symbol] " (" order[lowest[symbol]] "/)"
        }
    }' > "${TMPDIR:-/tmp}/check_links.$$"
status=0
if [ -s "${TMPDIR:-/tmp}/check_links.$$" ]; then
    sort -u "${TMPDIR:-/tmp}/check_links.$$"
    status=1
else
    echo "$(printf '%s\n' "$taken" | wc -l) objects of the product's libraries linked from $floors, each using only its own floor and those below it"
fi
rm -f "${TMPDIR:-/tmp}/check_links.$$"
exit $status
