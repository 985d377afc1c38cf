#!/usr/bin/env bash
# Runs two builds of kwerix-batch on copies of the demo catalogue with the same command lines and
# shows any difference in standard output, standard error or exit status. For refactorings that
# must not change behaviour:  scripts/compare-batch.sh OLD/kwerix-batch build/bin/kwerix-batch
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 OLD_KWERIX_BATCH NEW_KWERIX_BATCH" >&2; exit 2; }
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

commands=(
  'run|Klienci według miast'
  'run|Faktury z okresu|--param|dataOd=2026-01-01|--param|dataDo=31.01.2026'
  'run|Faktury klienta|--param|strnazwa=hurt'
  'run|Faktury powyżej kwoty|--param|KWOTA=47500,5'
  'run|Faktury powyżej kwoty|--param|KWOTA=dużo'
  'run|Faktury powyżej kwoty'
  'run|Sprzedaż w miesiącu mm.rrrr|--date|2026-03-05'
  'run|Sprzedaż w miesiącu mm.rrrr'
  'run|Faktury w złotych|--date|2026-03-05'
  'run|Obroty klientów'
  'run|Obroty klientów|--export|wynik.xls'
  'run|Nie ma takiego'
  'sql|zapytanie.sql'
  'sql|zla.sql'
  'run'
  'run|A|--bez-sensu|1'
  'xls2csv|brak.xls'
  'bez-sensu'
)

status=0
for side in old new; do
  mkdir -p "$work/$side"
  cp -r examples/demo/. "$work/$side/"
  printf 'SELECT NR, NAZWA FROM "klienci.dbf" WHERE NR < 4\r\n' > "$work/$side/zapytanie.sql"
  printf 'SELECT * FROM nie_ma\r\n' > "$work/$side/zla.sql"
done
cp "$1" "$work/old/kwerix-batch"
cp "$2" "$work/new/kwerix-batch"
for line in "${commands[@]}"; do
  IFS='|' read -r -a args <<< "$line"
  for side in old new; do
    (cd "$work/$side" && ./kwerix-batch "${args[@]}" > "../$side.out" 2> "../$side.err"; echo "exit $?" >> "../$side.err")
    # Messages name files in the side's own folder.
    sed -i "s|$work/$side|DIR|g" "$work/$side.err"
  done
  if ! cmp -s "$work/old.out" "$work/new.out" || ! cmp -s "$work/old.err" "$work/new.err"; then
    echo "DIFFERENT: ${args[*]}"
    diff <(cat "$work/old.out" "$work/old.err") <(cat "$work/new.out" "$work/new.err") | head -20
    status=1
  else
    echo "same:      ${args[*]}"
  fi
done
# The history logs differ only in their time stamps.
diff <(sed 's/^ *[0-9.]* [0-9:]*//' "$work/old/sqlhist.txt") <(sed 's/^ *[0-9.]* [0-9:]*//' "$work/new/sqlhist.txt") \
  > /dev/null || { echo "DIFFERENT: history logs"; status=1; }
exit $status
