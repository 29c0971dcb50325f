#!/bin/sh
# Installs the Debian packages that the build and the tests need, only those
# missing. wine32 (from the i386 architecture, added here) lets Wine run the
# i686 product; where it cannot be installed the rest still is, and the
# tests find out for themselves that 32-bit programs do not run.
set -e
pkgs="cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev mingw-w64 wine wine64
      xvfb xauth imagemagick liblnk-utils mscompress icoutils"
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
$sudo apt-get update -q
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get install -y -q $missing; then
    echo "ensure-packages: installing without wine32: the i686 runtime tests will be skipped"
    $sudo apt-get install -y -q $(echo "$missing" | sed 's/wine32:i386//')
fi
