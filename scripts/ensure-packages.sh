#!/bin/sh
# Installs the Debian packages that the build and the tests need, only those
# missing. wine32 (from the i386 architecture, added here) lets Wine run the
# i686 product; where it cannot be installed the rest still is, and the
# tests find out for themselves that 32-bit programs do not run.
set -e
pkgs="cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev mingw-w64 wine wine64
      xvfb xauth imagemagick liblnk-utils mscompress icoutils inotify-tools osslsigncode openssl"
missing=""
for p in $pkgs wine32:i386; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
        missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
# A mirror in the middle of a sync fails one list or another; install from
# the lists that did arrive rather than give up on all of them.
$sudo apt-get update -q ||
    echo "ensure-packages: some package lists could not be refreshed; using those that could"
export DEBIAN_FRONTEND=noninteractive
# The i386 lists of the security archive can lag behind its amd64 ones (a
# mirror in mid-sync): the multi-arch libraries then exist in two versions
# that cannot go together, and the install fails. Retry from the main
# archive alone, where both architectures carry the same versions.
main_only=$(mktemp -d)
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && awk 'BEGIN { RS = ""; ORS = "\n\n" } !/security/' "$f" > "$main_only/${f##*/}"
done
# --no-remove: apt would otherwise settle such a conflict by removing wine64
# (seen), trading the x86_64 runs for the i686 ones.
apt_install() { $sudo apt-get install -y -q --no-remove "$@"; }
if ! apt_install $missing && ! apt_install -o Dir::Etc::SourceParts="$main_only" $missing; then
    echo "ensure-packages: installing without wine32: the i686 runtime tests will be skipped"
    without=$(echo "$missing" | sed 's/wine32:i386//')
    apt_install $without || apt_install -o Dir::Etc::SourceParts="$main_only" $without
fi
rm -rf "$main_only"
