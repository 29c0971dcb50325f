#!/bin/sh
# A build is reproducible: the same sources built again in another folder,
# at another time, give a byte-identical setup executable. Copies the source
# tree (without build/ and .git/) to a scratch folder, builds the preset's
# setup there, and compares it with the one built here.
# A signed build (QLX_SIGN_PFX in the environment) is built again with the
# same key at SIGN_TIME, its signing time: the copy has no history to take
# it from.
#   check_reproducible.sh SOURCE_DIR PRESET BUILT_SETUP [SIGN_TIME]
set -u
src="$1"; preset="$2"; built="$3"
[ -n "${4:-}" ] && export SOURCE_DATE_EPOCH="$4"
work=$(mktemp -d /tmp/qlx-reproduce.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/elsewhere"
(cd "$src" && tar --exclude=./build --exclude=./.git -cf - .) | (cd "$work/elsewhere" && tar -xf -) ||
    { echo "cannot copy the sources"; exit 1; }
cd "$work/elsewhere" || exit 1
if ! { cmake --preset "$preset" && cmake --build --preset "$preset" --target QuillarixSetup -j2; } \
        > "$work/build.log" 2>&1; then
    tail -30 "$work/build.log"
    echo "the second build failed"
    exit 1
fi
again="$work/elsewhere/build/$preset/QuillarixSetup.exe"
if ! cmp "$built" "$again"; then
    echo "the setup built in $work/elsewhere differs from $built:"
    cmp -l "$built" "$again" | head -20
    exit 1
fi
echo "$(basename "$built") ($preset) built again elsewhere: byte-identical, sha256 $(sha256sum < "$built" | cut -c1-64)"
