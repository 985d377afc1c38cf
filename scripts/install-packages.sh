#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks need, and any more
# given as arguments (with sudo when not run as root). Packages already present are kept.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-svg-dev qt6-translations-l10n libgl-dev
  libsqlite3-dev libshp-dev pxlib-dev libgsf-1-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-dbf python3-xlrd python3-xlwt
  xvfb xauth fonts-dejavu-core fonts-liberation poppler-utils
  desktop-file-utils dpkg-dev file man-db
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
