#!/bin/sh
# Configures and builds the three trees: build/host (native tools and tests),
# build/win32 (the i686 product) and build/win64 (the same sources for
# x86_64), each Windows tree with its Windows and end-to-end tests. The
# Windows trees compress their payload with the host's tools/szdd.
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/host -j"$jobs"
for tree in win32 win64; do
    cmake -S . -B build/$tree -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$tree.cmake" \
        -DQLX_HOST_TOOLS="$PWD/build/host/tools" -DQLX_WINE_TESTS=ON >/dev/null
    cmake --build build/$tree -j"$jobs"
done
