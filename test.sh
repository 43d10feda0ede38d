#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer (the fuzz targets with clang, the Debian
# package's Release tree without them), and runs the whole test suite. Exit
# status is ctest's.
#   ./test.sh           everything, as CI runs it
#   ./test.sh --quick   the inner loop: builds only what the unit and scripted
#                       tests need, in the same tree, and runs only them
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

build=build/test
configure() {
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVELTRA_SANITIZE=ON -DVELTRA_BUILD_TESTS=ON -DVELTRA_BUILD_BENCH=ON \
    "$@" >/dev/null
}
run_tests() {
  export QT_QPA_PLATFORM=offscreen
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
  export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}"
  # Neovim is among the packages installed above: its test fails, not skips, without it.
  export VELTRA_REQUIRE_NEOVIM=1
  cd "$build"
  ctest --output-on-failure -j2 "$@"
}

if [ "${1:-}" = "--quick" ]; then
  # Packages are installed by the full run; a tree configured by it keeps its options.
  [ -f "$build/CMakeCache.txt" ] || { veltra_install_deps && configure; }
  cmake --build "$build" -j"$(nproc)" --target quick_tests
  run_tests -L 'unit|scripted'
  exit
fi

veltra_install_deps
# The fuzz targets need clang with libFuzzer; built, each runs a few seconds as a test.
fuzz_build=
if command -v clang++ >/dev/null &&
  echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
  clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
  tests/fuzz/run.sh --build-only
  fuzz_build="$PWD/build/fuzz"
else
  echo "clang with libFuzzer is missing: the fuzz targets are neither built nor run"
fi
# The Debian package comes from a Release tree of its own, with the tests
# built there too, where a compiler warning fails the build; the test
# install.package packages it and runs lintian.
scripts/package.sh --build-only
# The benchmarks are built too (never run), so that they keep up with the code.
configure -DVELTRA_FUZZ_BUILD="$fuzz_build" -DVELTRA_PACKAGE_BUILD="$PWD/build/package"
cmake --build "$build" -j"$(nproc)"
run_tests
