#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the benchmarks need, then builds
# Kwerix into build/. Safe to run again: packages already present are kept, the build is
# incremental.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" -j 2
