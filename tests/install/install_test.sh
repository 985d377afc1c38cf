#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs on the installed
# demo catalogue; the desktop entry must pass desktop-file-validate.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/kwerix bin/kwerix-batch share/applications/kwerix.desktop share/icons/hicolor/scalable/apps/kwerix.svg \
         share/man/man1/kwerix-batch.1.gz share/kwerix/vSql.hlp share/kwerix/demo/sqls.ini share/kwerix/demo/klienci.dbf; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
desktop-file-validate "$prefix/share/applications/kwerix.desktop" || fail "the desktop entry is not valid"
grep -q '^Icon=kwerix$' "$prefix/share/applications/kwerix.desktop" || fail "the desktop entry names another icon"
man -l "$prefix/share/man/man1/kwerix-batch.1.gz" 2>&1 | grep -q 'kwerix-batch - run Kwerix' || fail "the manual page does not read"

# Neither program finds a catalogue beside itself: a user without one is told where it was looked for.
export XDG_DATA_HOME="$prefix/home-data"
help=$("$prefix/bin/kwerix-batch" --help)
grep -q "folder programu $prefix/bin: nie ma sqls.ini" <<<"$help" || fail "kwerix-batch --help: $help"
grep -q "Używany folder: $prefix/home-data/Kwerix (jeszcze go nie ma)" <<<"$help" || fail "kwerix-batch --help: $help"
"$prefix/bin/kwerix" --help | grep -q '^użycie: kwerix \[--catalogue FOLDER\]' || fail "kwerix --help"
if "$prefix/bin/kwerix-batch" list 2>/dev/null; then fail "list without a catalogue succeeded"; fi
[ ! -e "$prefix/home-data" ] || fail "a data folder was made without asking"

# The installed demo catalogue, named on the command line and by the variable.
demo="$prefix/share/kwerix/demo"
cd "$demo"
"$prefix/bin/kwerix-batch" --catalogue "$demo" list | grep -qx 'Faktury z okresu' || fail "list of the demo"
first=$(KWERIX_CATALOGUE="$demo" "$prefix/bin/kwerix-batch" run 'Klienci według miast' | head -n 1)
[ "$first" = $'NR;NAZWA;MIASTO;NIP;KLIENT_OD;\r' ] || fail "run on the demo printed: $first"
KWERIX_CATALOGUE="$demo" "$prefix/bin/kwerix-batch" chart 'Obroty klientów' --x MIASTO --y NETTO --png "$prefix/o.png" 2>/dev/null
file "$prefix/o.png" | grep -q 'PNG image data, 1280 x 800' || fail "chart of the demo"
echo "installed into $prefix and run"
