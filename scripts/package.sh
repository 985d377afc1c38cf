#!/usr/bin/env bash
# Builds the Debian package of Kwerix (programs, desktop entry, icon, manual page, demo
# catalogue) into build-package/kwerix_VERSION_ARCH.deb. Install it with
#   sudo apt-get install ./build-package/kwerix_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=build-package CMAKE_ARGS="-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DKWERIX_TESTS=OFF -DKWERIX_BENCH=OFF" \
  scripts/setup.sh
cd build-package
cpack -G DEB
ls -1 "$PWD"/kwerix_*.deb
