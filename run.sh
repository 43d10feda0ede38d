#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
veltra_install_deps

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

for f in examples/*.txt; do
  echo "== $f"
  "$build/bin/veltra-check" "$f" | head -1
done
