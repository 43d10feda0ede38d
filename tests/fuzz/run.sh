#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan, UBSan) and runs each in turn.
#   tests/fuzz/run.sh [SECONDS [TARGET...]]    default: 600 s each, all targets
#   tests/fuzz/run.sh --build-only              build into build/fuzz and stop
# Targets: compiler_fuzz frame_reader_fuzz scenario_fuzz settings_lines_fuzz
# settings_fuzz handoff_fuzz console_history_fuzz board_memory_fuzz
# link_lines_fuzz options_fuzz lsp_fuzz (docs/architecture/build.md says what each reads).
# Each corpus grows in build/fuzz/corpus/TARGET, started from the seeds in
# tests/fuzz/seeds/TARGET (and examples/ for the compiler and the scenarios);
# an input that fails is written to build/fuzz/ as TARGET-crash-* and the
# exit status is non-zero. Every run ends with libFuzzer's statistics.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$root/scripts/deps.sh"
veltra_install_deps

build="$root/build/fuzz"
all_targets=(compiler_fuzz frame_reader_fuzz scenario_fuzz settings_lines_fuzz settings_fuzz handoff_fuzz
  console_history_fuzz board_memory_fuzz link_lines_fuzz options_fuzz lsp_fuzz)
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
[ "${1:-}" = "--build-only" ] && exit 0

seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$here/seeds/$target" ] && seeds+=("$here/seeds/$target")
  case "$target" in
    compiler_fuzz | scenario_fuzz) seeds+=("$root/examples") ;;
  esac
  max_len=8192
  [ "$target" = lsp_fuzz ] && max_len=16384 # past the 8 KiB that bound a header line of the framing
  options=(-max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$build/$target-")
  [ "$target" = compiler_fuzz ] && options+=(-dict="$here/veltra.dict")
  [ "$target" = lsp_fuzz ] && options+=(-dict="$here/lsp.dict")
  echo "== $target: $seconds s"
  "$build/$target" "${options[@]}" "$corpus" "${seeds[@]}" || status=1
done
exit $status
