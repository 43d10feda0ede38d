#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need: the
# validators of the menu entry and the metainfo run in the install test,
# pdftotext (poppler-utils) reads back a printed program in the tests, Qt's
# Russian texts (qt6-translations-l10n) serve the standard dialogs,
# dpkg-dev and file let cpack work out the Debian package's dependencies,
# clang with its runtime (libFuzzer) builds the fuzz targets, and Neovim's
# built-in client talks to the language server in its test.
# Only what is missing is installed; the package lists are refreshed only then.
set -euo pipefail

VELTRA_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev libudev-dev
  qt6-translations-l10n
  googletest libgtest-dev libbenchmark-dev
  neovim
  fonts-liberation fontconfig
  desktop-file-utils appstream
  poppler-utils
  dpkg-dev file
  clang libclang-rt-14-dev
)

veltra_install_deps() {
  local missing=()
  local pkg
  for pkg in "${VELTRA_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  veltra_install_deps "$@"
fi
