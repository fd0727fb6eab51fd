#!/usr/bin/env bash
# Builds the Debian package hoistwise-kit_<version>_<arch>.deb in a build tree of its own,
# configured as the package installs: prefix /usr (the kit's private library folder is compiled
# into iobench), no tests. Prints the path of the package.
#   scripts/build-package.sh [BUILD_DIR] [OUT_DIR]    (defaults: build/package and the source tree)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$src/build/package}")
out=$(realpath -m "${2:-$src}")
cd "$src"  # dpkg-buildflags maps this folder out of the debug paths
# RelWithDebInfo: the optimisation the test suite runs on; CPack strips the debug information.
# Debian's hardening flags, as dpkg-buildflags gives them to every package. The test tools must
# not be needed: GoogleTest and Google Benchmark are refused outright.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cmake -S "$src" -B "$build" -G Ninja --no-warn-unused-cli -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
  "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" \
  "-DCMAKE_SHARED_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build"
rm -f "$build"/hoistwise-kit_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/hoistwise-kit_*.deb)
if [ "$out" != "$build" ]; then
  mkdir -p "$out"
  cp "$deb" "$out/"
  deb="$out/$(basename "$deb")"
fi
echo "$deb"
