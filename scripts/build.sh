#!/bin/sh
# Configures and builds the three trees of CMakePresets.json: build/host
# (native tools and tests), build/win32 (the i686 product) and build/win64
# (the same sources for x86_64), each Windows tree with its Windows and
# end-to-end tests. Configuring every time picks up changed options.
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
for preset in host win32 win64; do
    cmake --preset $preset >/dev/null
    cmake --build --preset $preset -j"$jobs"
done
