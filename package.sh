#!/usr/bin/env bash
# Sets up what is missing, builds an optimised Velmora with Debian's
# hardening flags and makes the Debian package velmora_<version>_<arch>.deb
# in this folder, then checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
velmora_ensure_packages "${VELMORA_PACKAGING_PACKAGES[@]}"

build=build/release
# The flags a package built by Debian gets (stack protector, fortified
# functions, read-only relocations bound at start); CMake has no CPPFLAGS, so
# those join the compiler flags. Configured every time, so an older
# build/release takes them.
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
eval "$(dpkg-buildflags --export=sh)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF \
    -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
    -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$build"

out=$build/package
rm -rf "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$PWD/$out"
deb=$(basename "$out"/velmora_*.deb)
mv "$out/$deb" .
rm -rf "$out"
echo "Made $deb"

# Errors fail the script; warnings are shown.
lintian --fail-on error "$deb"
