#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite. Exit status is ctest's.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
veltra_install_deps

build=build/test
# The benchmarks are built too (never run), so that they keep up with the code.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVELTRA_SANITIZE=ON -DVELTRA_BUILD_TESTS=ON -DVELTRA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}"
cd "$build"
ctest --output-on-failure -j2
