#!/usr/bin/env bash
# Builds the compiler fuzz target (clang, libFuzzer, ASan, UBSan) and runs it.
#   tests/fuzz/run.sh [SECONDS] [extra libFuzzer options...]     default: 600 s
# The corpus grows in build/fuzz/corpus (seeded with examples/); a crashing
# input is written to build/fuzz/ as crash-*, and the exit status is non-zero.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$root/scripts/deps.sh"
veltra_install_deps clang libclang-rt-14-dev

build="$root/build/fuzz"
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

seconds="${1:-600}"
shift || true
mkdir -p "$build/corpus"
cp -n "$root"/examples/*.txt "$build/corpus/" 2>/dev/null || true
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec "$build/compiler_fuzz" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
    -dict="$here/veltra.dict" -artifact_prefix="$build/" "$@" "$build/corpus"
