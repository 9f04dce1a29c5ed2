#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when one is missing.
#   scripts/deps.sh           the build, the tests and the program
#   scripts/deps.sh --checks  also the tools of CI's checks: clang-format 14 and clang-tidy 14
set -euo pipefail
# Build: g++ … libgl-dev. Run time: fonts-noto-cjk (the Japanese text), libqt6svg6 (the toolbar's
# SVG icons: without its image and icon-engine plugins the buttons are blank), xvfb and xauth (the
# program and its window tests without a display), libqt6network6 with libssl3 and ca-certificates
# (HTTPS: Qt's OpenSSL backend plugin loads libssl at run time and verifies against the system's
# authorities); the package test: dpkg-dev (dependencies of the binaries), file, man-db,
# desktop-file-utils, appstream and lintian.
packages=(g++ cmake ninja-build ccache pkg-config qt6-base-dev libsqlite3-dev libgtest-dev libgmock-dev
          libqt6svg6 qt6-translations-l10n fonts-noto-cjk xvfb xauth libgl-dev
          libqt6network6 libssl3 ca-certificates
          dpkg-dev file man-db desktop-file-utils appstream lintian)
if [ "${1:-}" = "--checks" ]; then
  packages+=(clang-format-14 clang-tidy-14)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
