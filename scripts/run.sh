#!/usr/bin/env bash
# Sets up, builds and starts Kwerix. The demo catalogue is put beside the executable only when
# no catalogue (sqls.ini) is there yet; a user's catalogue is never overwritten.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BIN="${BUILD_DIR:-build}/bin"
if [ ! -e "$BIN/sqls.ini" ] && [ -d examples/demo ] && [ -e examples/demo/sqls.ini ]; then
  cp -rn examples/demo/. "$BIN/"
fi
# Table names without a folder resolve against the working folder: the catalogue's own.
cd "$BIN"
exec ./kwerix
