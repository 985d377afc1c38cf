#!/usr/bin/python3
"""Seeds the fuzz targets' corpora from the test fixtures and the demo catalogue.

usage: make_corpus.py SOURCE_DIR CORPUS_DIR KWERIX_BATCH
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

source, corpus, batch = sys.argv[1:4]


def seed(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def with_memo(table, memo):
    return read(table) + (b'\nMEMO\n' + read(memo) if memo and os.path.exists(memo) else b'')


# Workbooks: the reader's fixtures.
for path in glob.glob(os.path.join(source, 'tests/xls/fixtures/*.xls')):
    seed('xls', os.path.basename(path), read(path))

# dBASE tables written by python3-dbf and byte by byte; Paradox tables of the demo, written byte by
# byte, and one with a memo written by the program.
with tempfile.TemporaryDirectory() as work:
    subprocess.run([sys.executable, os.path.join(source, 'tests/db/make_dbf_fixtures.py'), work], check=True)
    subprocess.run([sys.executable, os.path.join(source, 'tests/db/make_raw_dbase_fixtures.py'), work], check=True,
                   stdout=subprocess.DEVNULL)
    for path in glob.glob(os.path.join(work, '*.dbf')):
        base = path[:-4]
        memo = base + ('.fpt' if os.path.exists(base + '.fpt') else '.dbt')
        seed('dbase', os.path.basename(path), with_memo(path, memo))
    for name in ('faktury.db', 'KURSY.DB'):
        seed('paradox', name, read(os.path.join(source, 'examples/demo', name)))
    subprocess.run([sys.executable, os.path.join(source, 'tests/db/make_raw_paradox_fixtures.py'), work], check=True,
                   stdout=subprocess.DEVNULL)
    for path in glob.glob(os.path.join(work, '*.db')):
        seed('paradox', os.path.basename(path), with_memo(path, path[:-3] + '.mb'))
    with open(os.path.join(work, 'sqls.ini'), 'wb') as f:
        f.write(b'[NAZWA_SQL]\r\n')
    with open(os.path.join(work, 'memo.sql'), 'wb') as f:
        f.write(b"CREATE TABLE \"pm.db\" AS SELECT 1 AS NR, 'tekst ' || hex(zeroblob(200)) AS UWAGI\r\n")
    shutil.copy(batch, os.path.join(work, 'kwerix-batch'))
    subprocess.run([os.path.join(work, 'kwerix-batch'), 'sql', 'memo.sql'], cwd=work, check=True,
                   env=dict(os.environ, ASAN_OPTIONS='detect_leaks=0'))
    seed('paradox', 'pm.db', with_memo(os.path.join(work, 'pm.db'), os.path.join(work, 'pm.mb')))
    # A workbook of the program's own writer: every cell kind it writes.
    with open(os.path.join(work, 'xls.sql'), 'wb') as f:
        f.write("SELECT 'Zażółć' AS TEKST, 12 AS ILE, 2.5 AS CENA, DATE('2024-03-05') AS DZIEN, NULL AS PUSTE "
                "UNION ALL SELECT 'ś;\"', -1, 1e300, NULL, 'x'\r\n".encode('cp1250'))
    subprocess.run([os.path.join(work, 'kwerix-batch'), 'sql', 'xls.sql', '--export', 'own.xls'], cwd=work,
                   check=True, env=dict(os.environ, ASAN_OPTIONS='detect_leaks=0'))
    seed('xls', 'own.xls', read(os.path.join(work, 'own.xls')))

# The demo catalogue and small INI files.
seed('ini', 'demo.ini', read(os.path.join(source, 'examples/demo/sqls.ini')))
seed('ini', 'small.ini', b'[A]\r\nk=v\r\n[b]\r\nK=w\r\n; note\r\n[A]\r\nk=x\r\n')

for i, expression in enumerate([
        "MIASTO= 'Łódź'", "ILE > 10 AND CENA <= 2,5", "NOT (MIASTO blank) OR ILE IS NULL",
        "[DZIEN] >= '01.03.2024'", "MIASTO <> 'x*'", "(ILE = 12 OR ILE = -1) AND MIASTO not blank"]):
    seed('filter', 'e%d' % i, expression.encode('utf-8'))

for path in glob.glob(os.path.join(source, 'examples/demo/*.sql')):
    seed('sqlparams', os.path.basename(path), read(path))
seed('sqlparams', 'quotes', b"SELECT ':a', \"b:c\", x FROM t -- :d\r\nWHERE y = :e /* :f */ AND z = :G::int")

for i, text in enumerate(['12,5', '-1 234,56', '1e308', '0,000001', '2147483648', '05.03.2024', '5.3.24', '29.02.2023']):
    seed('text', 't%d' % i, text.encode('utf-8'))
