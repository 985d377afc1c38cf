#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite, then builds it again with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ and runs it there too (SANITIZERS=0 skips that pass).
set -euo pipefail
cd "$(dirname "$0")/.."

run_suite() {
  (cd "$1" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 600)
}

scripts/setup.sh
run_suite "${BUILD_DIR:-build}"
if [ "${SANITIZERS:-1}" != 0 ]; then
  BUILD_DIR=build-asan CMAKE_ARGS="-DKWERIX_SANITIZE=ON -DKWERIX_BENCH=OFF ${CMAKE_ARGS:-}" scripts/setup.sh
  run_suite build-asan
fi
