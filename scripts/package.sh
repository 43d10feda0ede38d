#!/usr/bin/env bash
# Builds the Debian package from a Release tree of its own, build/package,
# where a compiler warning fails the build, and checks the package with
# lintian (tests/install/check-package.sh). The tests are built there too
# (never run, never packaged), so that a warning only a Release build shows,
# in a test as in the product, fails as well.
#   scripts/package.sh               build, package and check; the .deb stays in build/package
#   scripts/package.sh --build-only  build the tree and stop (./test.sh: the
#                                    test install.package packages and checks it)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/deps.sh"
veltra_install_deps

build="$root/build/package"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=ON -DVELTRA_BUILD_BENCH=OFF \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
[ "${1:-}" = "--build-only" ] && exit 0
bash "$root/tests/install/check-package.sh" "$build" "$build"
