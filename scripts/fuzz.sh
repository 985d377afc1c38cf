#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one for SECONDS (300 when
# not given) on a corpus seeded from the test fixtures, FUZZ_JOBS (2) at a time. Findings (inputs
# that crash, leak or hang) go to build-fuzz/findings/TARGET/; the corpus grows in
# build-fuzz/corpus/TARGET/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     TARGET: xls dbase paradox ini filter sqlparams text
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-300}
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(xls dbase paradox ini filter sqlparams text)

# The packages of the build and the fixture scripts, and clang with libFuzzer.
scripts/install-packages.sh clang libclang-rt-14-dev

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKWERIX_FUZZ=ON \
  -DKWERIX_TESTS=OFF -DKWERIX_BENCH=OFF >/dev/null
cmake --build build-fuzz -j 2
[ -d build-fuzz/corpus ] || /usr/bin/python3 fuzz/make_corpus.py "$PWD" build-fuzz/corpus build-fuzz/bin/kwerix-batch

run_target() {
  local t=$1 seconds=$2 dict=()
  mkdir -p "build-fuzz/corpus/$t" "build-fuzz/findings/$t"
  [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
  # The XLS reader's leaks are told from libgsf's own (fuzz/lsan.supp) by full stacks.
  local asan=detect_leaks=1
  [ "$t" = xls ] && asan+=:fast_unwind_on_malloc=0
  ASAN_OPTIONS=$asan LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$t/" "${dict[@]}" "build-fuzz/corpus/$t" \
    >"build-fuzz/findings/$t.log" 2>&1 || true
  local runs
  runs=$(grep -m1 'stat::number_of_executed_units' "build-fuzz/findings/$t.log" | awk '{print $2}')
  echo "$t: ${runs:-?} executions in ${seconds} s, $(ls "build-fuzz/findings/$t" | wc -l) findings"
}
export -f run_target
printf '%s\n' "${TARGETS[@]}" | xargs -P "${FUZZ_JOBS:-2}" -I{} bash -c "run_target {} $SECONDS_EACH"
