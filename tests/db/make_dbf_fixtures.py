#!/usr/bin/python3
"""Writes dBASE fixtures with python3-dbf, an implementation independent of the program.

usage: make_dbf_fixtures.py DIRECTORY
"""
import datetime
import os
import sys

import dbf

out = sys.argv[1]


def table(name, structure, rows, dbf_type='db3', deleted=()):
    t = dbf.Table(os.path.join(out, name), structure, dbf_type=dbf_type, codepage='cp1250')
    t.open(dbf.READ_WRITE)
    for row in rows:
        t.append(row)
    for i in deleted:
        dbf.delete(t[i])
    t.close()


# Customers: text, numbers with and without decimals, dates, logicals, memos and a deleted record.
table('klienci.dbf',
      'NAZWA C(30); MIASTO C(20); SALDO N(12,2); ILOSC N(5,0); OD D; AKTYWNY L; UWAGI M',
      [('Zakład Łódź', 'Łódź', 1234.5, 7, dbf.Date(2024, 3, 5), True, 'Stały klient, płaci w terminie. ' * 40),
       ('Usunięty', 'Gdańsk', 1, 1, None, False, None),
       ('Kowalski Jan', 'Kraków', -2.25, None, None, False, None),
       ('Nowak', 'Warszawa', 0, 3, dbf.Date(1999, 12, 31), None, 'krótka'),
       ('Wcięty', '', None, 0, dbf.Date(2000, 2, 29), True, '')],
      deleted=[1])

# A FoxPro table with its .fpt memo file.
table('notatki.dbf', 'KOD N(4,0); TRESC M', [(1, 'Pierwsza notatka ąęś'), (2, None), (3, 'x' * 3000)],
      dbf_type='fp')

# A Visual FoxPro table: binary integers, currency, date-times, doubles and memos.
table('vfp.dbf', 'ID I; KWOTA Y; CZAS T; WAGA B; OPIS M; DATA D',
      [(1, 12.5, datetime.datetime(2024, 3, 5, 14, 30, 15), 2.5, 'opis wizualny', dbf.Date(2024, 1, 2)),
       (2, -7, None, None, None, None)],
      dbf_type='vfp')

# A DOS table in code page 852.
t = dbf.Table(os.path.join(out, 'dos852.dbf'), 'NAZWA C(20)', dbf_type='db3', codepage='cp852')
t.open(dbf.READ_WRITE)
t.append(('Źdźbło żółwia',))
t.close()
