#!/usr/bin/env bash
# Makes the Debian package of a Release build tree (cpack -G DEB) and checks
# it with lintian: no error, no warning, and none of the notes that mean a
# binary went out unhardened or unstripped. Also checks what lintian cannot
# know: the Russian standard dialogs need Qt's translations.
# Usage: check-package.sh BUILD_DIR [OUT_DIR]   (the .deb goes to OUT_DIR,
# by default a temporary folder that is removed). Exit 77 when lintian is
# missing (the test is then skipped).
set -euo pipefail
build=$(cd "$1" && pwd)
out=${2:-}

if ! command -v lintian >/dev/null; then
  echo "lintian is not installed (scripts/deps.sh installs it): the package is not checked"
  exit 77
fi
if ! grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt"; then
  echo "FAILED: $build is not a Release build tree"
  exit 1
fi
if [ -z "$out" ]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
fi
mkdir -p "$out"
rm -f "$out"/veltra_*.deb
log=$out/cpack.log
if ! cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$log" 2>&1; then
  cat "$log"
  echo "FAILED: cpack"
  exit 1
fi
debs=("$out"/veltra_*.deb)
deb=${debs[0]}
echo "package: ${deb##*/}"

failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ ", $recommends, " == *", qt6-translations-l10n, "* ]] ||
  fail "the package does not recommend qt6-translations-l10n (Recommends: $recommends)"

# Errors, warnings and notes, each on its own line; lintian's own chatter
# (running as root) goes to standard error.
report=$(lintian --display-info "$deb" 2>/dev/null) || true
[ -n "$report" ] && printf '%s\n' "$report"
errors=$(grep -c '^E: ' <<<"$report" || true)
warnings=$(grep -c '^W: ' <<<"$report" || true)
notes=$(grep -c '^I: ' <<<"$report" || true)
echo "lintian: $errors errors, $warnings warnings, $notes notes"
[ "$errors" = 0 ] && [ "$warnings" = 0 ] || fail "lintian reports errors or warnings"
grep -qE '^I: .*(hardening-no-|binary-has-unneeded-section)' <<<"$report" &&
  fail "a binary is not hardened or not stripped"
exit "$failed"
