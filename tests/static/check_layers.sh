#!/bin/sh
# The product's folders form floors, and a folder includes only from the
# floors below it (and from resources/): base at the bottom, then install,
# registration, location, payload and ui; setup and the uninstaller on top,
# side by side. The uninstaller, which links base alone, includes only base/.
# So base includes no other folder, nothing includes setup/, and the include
# graph has no cycle. What each program links is checked by check_links.sh.
#   check_layers.sh SOURCE_DIR
set -u
cd "$1" || exit 1
floors="base install registration location payload ui"
fail=0
check() {  # folder, the folders it may include
    folder=$1; allowed=$2
    for used in $(grep -rhoE '#include "[a-z]+/' "$folder" | sed 's/#include "//; s#/##' | sort -u); do
        [ "$used" = "$folder" ] || [ "$used" = resources ] && continue
        case " $allowed " in
            *" $used "*) ;;
            *) echo "$folder/ includes $used/:"
               grep -rn "#include \"$used/" "$folder" | sed 's/^/    /'
               fail=1 ;;
        esac
    done
}
below=""
for floor in $floors; do
    check "$floor" "$below"
    below="$below $floor"
done
check setup "$below"
check uninstaller "base"
[ $fail = 0 ] && echo "every folder includes only from the floors below it"
exit $fail
