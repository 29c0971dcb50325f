#!/bin/sh
# CTest's emulator for the Windows tests: runs EXE ARGS under wine64 in the
# rig's prefix (see scripts/wine-rig.sh) as the rig's user. The executable
# is staged into the scratch folder first, which that user can read.
exe="$1"
shift
if [ -z "${QLX_SCRATCH:-}" ]; then
    echo "wine-run: run the Windows tests through 'make test' (no rig is set up)" >&2
    exit 1
fi
. "$(dirname "$0")/wine-rig.sh"
staged="$QLX_SCRATCH/bin/$(basename "$exe")"
if ! cmp -s "$exe" "$staged"; then
    cp "$exe" "$staged.$$" && chmod 755 "$staged.$$" && mv -f "$staged.$$" "$staged"
fi
cd "$QLX_SCRATCH/work" || exit 1
rig_wine wine "$staged" "$@"
