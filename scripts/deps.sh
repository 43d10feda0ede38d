#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need: the
# validators of the menu entry and the metainfo run in the install test,
# pdftotext (poppler-utils) reads back a printed program in the tests, Qt's
# Russian texts (qt6-translations-l10n) serve the standard dialogs,
# dpkg-dev and file let cpack work out the Debian package's dependencies,
# lintian checks the package (a machine without it only skips that check),
# clang with its runtime (libFuzzer) builds the fuzz targets, and Neovim's
# built-in client talks to the language server in its test. libedit gives
# veltra-link's prompt its line editing; tmux is the real terminal its test
# types into.
# Only what is missing is installed; the package lists are refreshed only then.
set -euo pipefail

VELTRA_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev libudev-dev libedit-dev
  qt6-translations-l10n
  googletest libgtest-dev libbenchmark-dev
  neovim tmux
  fonts-liberation fontconfig
  desktop-file-utils appstream
  poppler-utils
  dpkg-dev file
  clang libclang-rt-14-dev
)
VELTRA_OPTIONAL_PACKAGES=(lintian)

veltra_missing_packages() {
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$pkg"
    fi
  done
}

veltra_install_deps() {
  local missing optional
  mapfile -t missing < <(veltra_missing_packages "${VELTRA_PACKAGES[@]}" "$@")
  mapfile -t optional < <(veltra_missing_packages "${VELTRA_OPTIONAL_PACKAGES[@]}")
  [ ${#missing[@]} -eq 0 ] && [ ${#optional[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  if [ ${#optional[@]} -gt 0 ]; then
    echo "Installing: ${optional[*]}"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${optional[@]}" ||
      echo "Could not install ${optional[*]}: the checks that need them are skipped"
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  veltra_install_deps "$@"
fi
