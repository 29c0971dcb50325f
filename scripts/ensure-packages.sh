#!/bin/sh
# Installs the Debian packages that the build and the tests need, only those
# missing. Never wine32: this kernel cannot run 32-bit code at all.
set -e
pkgs="cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev mingw-w64 wine wine64
      xvfb xauth imagemagick liblnk-utils mscompress icoutils"
missing=""
for p in $pkgs; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
        missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q $missing
