#!/bin/sh
# The rig's choice of Wine loader: a 32-bit loader that cannot run (here a
# file that is not a program, as on a kernel without 32-bit support) sends
# every Wine command to the 64-bit loader; one that runs, or none at all,
# leaves Wine as installed.
set -u
. "$1/scripts/wine-rig.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail=0
printf '\177ELF\001\001\001not a program' > "$scratch/loader32"
chmod 755 "$scratch/loader32"

rig_choose_loader "$scratch/loader32" "$scratch/bin" > /dev/null
if [ "$QLX_WINE_BIN" != "$scratch/bin" ]; then
    echo "a 32-bit loader that cannot run was not replaced"; fail=1
else
    for name in wine wine-stable; do
        found=$(PATH="$QLX_WINE_BIN:$PATH" command -v $name)
        [ "$found" = "$scratch/bin/$name" ] || { echo "$name is not sent to the 64-bit loader"; fail=1; }
    done
    # Where the 64-bit loader is installed, the replacement really starts it.
    if [ -x "$QLX_WINE64_LOADER" ]; then
        PATH="$QLX_WINE_BIN:$PATH" wine-stable --version > "$scratch/version" 2>&1 &&
            grep -q '^wine-' "$scratch/version" || { echo "wine-stable through the 64-bit loader:"; cat "$scratch/version"; fail=1; }
    fi
fi
for runs in /bin/true "$scratch/missing"; do
    rig_choose_loader "$runs" "$scratch/bin-$$" > /dev/null
    [ -z "$QLX_WINE_BIN" ] || { echo "loader $runs: Wine should run as installed"; fail=1; }
done
exit $fail
