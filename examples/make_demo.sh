#!/usr/bin/env bash
# Rebuilds the demo catalogue in examples/demo: the catalogue, query texts and dBASE tables from
# make_demo.py, the Paradox tables through kwerix-batch (so the demo is made the way users make
# tables). usage: examples/make_demo.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")"
BATCH="$(cd "${1:-../build}" && pwd)/bin/kwerix-batch"
rm -rf demo && mkdir demo
/usr/bin/python3 make_demo.py demo
cd demo
for part in faktury-tabela faktury-dane kursy-tabela kursy-dane; do
  "$BATCH" sql "$part.sql" >/dev/null
  rm "$part.sql"
done
rm -f sqlhist.txt "$(dirname "$BATCH")/sqlhist.txt"
