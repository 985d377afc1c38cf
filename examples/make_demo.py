#!/usr/bin/python3
"""Writes the demo catalogue: sqls.ini, the query texts, vSql.hlp, the dBASE tables (with
python3-dbf) and the statements that build the Paradox tables (run by make_demo.sh through
kwerix-batch).

usage: make_demo.py DIRECTORY
"""
import datetime
import os
import random
import sys

import dbf

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def write_text(name, lines):
    with open(os.path.join(out, name), 'wb') as f:
        f.write(''.join(line + '\r\n' for line in lines).encode('cp1250'))


def dbf_table(name, structure, rows):
    path = os.path.join(out, name)
    if os.path.exists(path):
        os.remove(path)
    t = dbf.Table(path, structure, dbf_type='db3', codepage='cp1250')
    t.open(dbf.READ_WRITE)
    for row in rows:
        t.append(row)
    t.close()


CUSTOMERS = [
    (1, 'Hurtownia Żuraw Sp. z o.o.', 'Gdańsk', '584-025-11-07', datetime.date(2015, 3, 2), True),
    (2, 'Piekarnia Łączka', 'Łódź', '725-100-32-14', datetime.date(2018, 6, 11), True),
    (3, 'Zakład Ślusarski Kowalczyk', 'Kraków', '676-210-44-90', datetime.date(2012, 1, 20), True),
    (4, 'Księgarnia Pod Świerkiem', 'Poznań', '778-130-25-61', datetime.date(2020, 9, 1), True),
    (5, 'Apteka Źródło', 'Wrocław', '894-301-77-02', datetime.date(2016, 11, 15), True),
    (6, 'Mleczarnia Gąsiorowska', 'Białystok', '542-020-88-35', datetime.date(2011, 4, 4), True),
    (7, 'Biuro Rachunkowe Bąk i Wspólnicy', 'Warszawa', '521-340-12-09', datetime.date(2019, 2, 28), True),
    (8, 'Transport Ćwikła', 'Lublin', '712-290-61-43', datetime.date(2017, 7, 7), True),
    (9, 'Sklep Ogrodniczy Różany', 'Kraków', '679-300-52-18', datetime.date(2021, 5, 17), True),
    (10, 'Drukarnia Wiślana', 'Gdańsk', '583-311-09-26', datetime.date(2014, 10, 10), False),
    (11, 'Stolarnia Dębowa', 'Zakopane', '736-170-23-55', datetime.date(2022, 3, 14), True),
    (12, 'Hotel Nad Jeziorem Łebsko', 'Łeba', '841-160-47-38', datetime.date(2013, 8, 19), True),
]
CURRENCIES = ['PLN', 'PLN', 'PLN', 'EUR', 'USD']
BASE_RATES = {'PLN': 1.0, 'EUR': 4.30, 'USD': 3.95}


def rates():
    rows = []
    rng = random.Random(7)
    day = datetime.date(2025, 1, 2)
    level = dict(BASE_RATES)
    while day <= datetime.date(2026, 12, 31):
        if day.weekday() < 5:
            for code in ('EUR', 'USD'):
                level[code] = round(level[code] * (1 + rng.uniform(-0.004, 0.004)), 4)
                rows.append((day, code, level[code]))
            rows.append((day, 'PLN', 1.0))
        day += datetime.timedelta(days=1)
    return rows


def invoices():
    rng = random.Random(11)
    rows = []
    for month in range(24):
        year, m = 2025 + month // 12, month % 12 + 1
        for n in range(1, rng.randint(4, 8)):
            day = datetime.date(year, m, rng.randint(1, 28))
            customer = rng.choice([c[0] for c in CUSTOMERS if c[5]])
            currency = rng.choice(CURRENCIES)
            net = round(rng.uniform(150, 48000), 2)
            paid = day < datetime.date(2026, 10, 1) and rng.random() < 0.9
            rows.append(('FV/%d/%02d/%03d' % (year, m, n), customer, day, day + datetime.timedelta(days=21),
                         currency, net, round(net * 0.23, 2), paid))
    return rows


def sql_value(v):
    if isinstance(v, bool):
        return '1' if v else '0'
    if isinstance(v, (int, float)):
        return repr(v)
    if isinstance(v, datetime.date):
        return "'%s'" % v.isoformat()
    return "'%s'" % v.replace("'", "''")


def insert(table, rows):
    return ['INSERT INTO "%s" VALUES' % table] + [
        '  (%s)%s' % (', '.join(sql_value(v) for v in row), ',' if i < len(rows) - 1 else '')
        for i, row in enumerate(rows)]


# Tables.
dbf_table('klienci.dbf', 'NR N(6,0); NAZWA C(40); MIASTO C(25); NIP C(13); OD D; AKTYWNY L', CUSTOMERS)
dbf_table('kursy.dbf', 'DATA D; WALUTA C(3); KURS N(10,4)', rates())
write_text('faktury-tabela.sql', [
    'CREATE TABLE "faktury.db" (NUMER VARCHAR(20), KLIENT INTEGER, DATA DATE, TERMIN DATE,',
    '  WALUTA VARCHAR(3), NETTO NUMERIC(12,2), VAT NUMERIC(12,2), ZAPLACONA BOOLEAN)'])
write_text('faktury-dane.sql', insert('faktury.db', invoices()))
write_text('kursy-tabela.sql', ['CREATE TABLE "KURSY.DB" (WALUTA VARCHAR(3), KURS NUMERIC(10,4))'])
write_text('kursy-dane.sql', insert('KURSY.DB', [(c, r) for c, r in BASE_RATES.items()]))

# The queries: title, text, layout (orientation 1 = portrait, row numbers, lines, font, row height),
# widths and sums of the fields.
JOIN = '  FROM "..faktury.db" F JOIN "..klienci.dbf" K ON K.NR = F.KLIENT'
QUERIES = [
    ('Klienci według miast', [
        'SELECT NR, NAZWA, MIASTO, NIP, OD AS KLIENT_OD',
        '  FROM "..klienci.dbf"',
        ' WHERE AKTYWNY',
        ' ORDER BY MIASTO, NAZWA'],
     (1, 1, 1, 8, '4,5'), [('NR', '10', ''), ('NAZWA', '70', ''), ('MIASTO', '30', ''), ('NIP', '28', ''),
                           ('KLIENT_OD', '22', '')]),
    ('Faktury klienta', [
        'SELECT F.NUMER, F.DATA, K.NAZWA, F.WALUTA, F.NETTO, F.VAT, F.NETTO + F.VAT AS BRUTTO',
        JOIN,
        ' WHERE UPPER(K.NAZWA) LIKE UPPER(:STRNAZWA) || \'%\'',
        ' ORDER BY F.DATA'],
     (0, 1, 1, 8, '4,5'), [('NUMER', '30', ''), ('DATA', '22', ''), ('NAZWA', '70', ''), ('WALUTA', '14', ''),
                           ('NETTO', '28', 'T'), ('VAT', '25', 'T'), ('BRUTTO', '28', 'T')]),
    ('Faktury z okresu', [
        'SELECT F.NUMER, F.DATA, K.NAZWA, F.NETTO, F.VAT, F.NETTO + F.VAT AS BRUTTO',
        JOIN,
        ' WHERE F.DATA BETWEEN :dataOd AND :dataDo',
        ' ORDER BY F.DATA, F.NUMER'],
     (0, 1, 0, 8, '4,5'), [('NUMER', '28', ''), ('DATA', '20', ''), ('NAZWA', '62', ''), ('NETTO', '24', 'T'),
                           ('VAT', '20', 'T'), ('BRUTTO', '24', 'T')]),
    ('Faktury powyżej kwoty', [
        'SELECT F.NUMER, F.DATA, K.NAZWA, F.WALUTA, F.NETTO',
        JOIN,
        ' WHERE F.NETTO >= :KWOTA',
        ' ORDER BY F.NETTO DESC'],
     (1, 0, 0, 9, '5'), [('NUMER', '30', ''), ('DATA', '22', ''), ('NAZWA', '60', ''), ('WALUTA', '15', ''),
                         ('NETTO', '30', 'T')]),
    ('Zaległe płatności na dziś', [
        'SELECT F.NUMER, K.NAZWA, F.TERMIN, F.WALUTA, F.NETTO + F.VAT AS DO_ZAPLATY,',
        '       CAST(JULIANDAY(:DATE) - JULIANDAY(F.TERMIN) AS INTEGER) AS DNI_PO_TERMINIE',
        JOIN,
        ' WHERE NOT F.ZAPLACONA AND F.TERMIN < :DATE',
        ' ORDER BY F.TERMIN'],
     (0, 1, 1, 8, '4,5'), [('NUMER', '28', ''), ('NAZWA', '62', ''), ('TERMIN', '20', ''), ('WALUTA', '14', ''),
                           ('DO_ZAPLATY', '26', 'T'), ('DNI_PO_TERMINIE', '32', '')]),
    ('Sprzedaż w miesiącu mm.rrrr', [
        'SELECT K.NAZWA, COUNT(*) AS FAKTURY, SUM(F.NETTO) AS NETTO, SUM(F.VAT) AS VAT',
        JOIN,
        " WHERE F.DATA LIKE 'rrrr-mm-%'",
        ' GROUP BY K.NAZWA',
        ' ORDER BY 3 DESC'],
     (1, 1, 0, 8, '4,5'), [('NAZWA', '80', ''), ('FAKTURY', '18', 'T'), ('NETTO', '30', 'T'), ('VAT', '28', 'T')]),
    ('_DAJKURSY', [
        'SELECT WALUTA, KURS',
        '  FROM "..kursy.dbf"',
        " WHERE DATA = (SELECT MAX(DATA) FROM \"..kursy.dbf\" WHERE DATA <= 'rrrr-mm-dd')"],
     (1, 0, 0, 8, '4,5'), [('WALUTA', '20', ''), ('KURS', '25', '')]),
    ('Faktury w złotych', [
        '+_DAJKURSY;',
        'SELECT F.NUMER, F.DATA, K.NAZWA, F.WALUTA, F.NETTO, R.KURS, ROUND(F.NETTO * R.KURS, 2) AS NETTO_PLN',
        JOIN,
        '  JOIN KURSY R ON R.WALUTA = F.WALUTA',
        " WHERE F.DATA LIKE 'rrrr-%'",
        ' ORDER BY F.DATA, F.NUMER'],
     (0, 1, 1, 8, '4,5'), [('NUMER', '30', ''), ('DATA', '22', ''), ('NAZWA', '70', ''), ('WALUTA', '14', ''),
                           ('NETTO', '28', 'T'), ('KURS', '20', 'N'), ('NETTO_PLN', '30', 'T')]),
    ('Obroty klientów', [
        'SELECT K.NR AS KOD, K.NAZWA, K.MIASTO, COUNT(F.NUMER) AS FAKTURY,',
        '       SUM(F.NETTO) AS NETTO, SUM(F.VAT) AS VAT, SUM(F.NETTO + F.VAT) AS BRUTTO',
        '  FROM "..klienci.dbf" K LEFT JOIN "..faktury.db" F ON F.KLIENT = K.NR',
        ' GROUP BY K.NR, K.NAZWA, K.MIASTO',
        ' ORDER BY K.NAZWA'],
     (0, 1, 1, 8, '4,5'), [('KOD', '12', ''), ('NAZWA', '75', ''), ('MIASTO', '32', ''), ('FAKTURY', '20', 'T'),
                           ('NETTO', '30', 'T'), ('VAT', '28', 'T'), ('BRUTTO', '30', 'T')]),
]

ini = ['[NAZWA_SQL]'] + ['%s=' % q[0] for q in QUERIES] + ['', '[FILES]']
for i, (title, text, _, _) in enumerate(QUERIES, 1):
    name = 'sql%03d.sql' % i
    ini.append('%s=%s' % (title, name))
    write_text(name, text)
ini += ['', '[UKLAD]', 'ostatniSql=0', 'Split1=240', 'ws=0', 'czyTworzyc=1']
for title, _, (orientation, lp, line, font, height), _ in QUERIES:
    ini += ['%s=%d' % (title, orientation), '%s_LP=%d' % (title, lp), '%s_LINIA=%d' % (title, line),
            '%s_FONT=%d' % (title, font), '%s_WYS=%s' % (title, height)]
for title, _, _, fields in QUERIES:
    ini += ['', '[%s_SZER]' % title] + ['%s=%s' % (f, w) for f, w, _ in fields]
    ini += ['', '[%s_SUMA]' % title] + ['%s=%s' % (f, s) for f, _, s in fields]
write_text('sqls.ini', ini)

write_text('vSql.hlp', [
    'Kwerix - zapytania SQL do tabel dBASE (.dbf) i Paradox (.db)',
    '',
    'Tabele',
    '  Nazwę pliku tabeli podaje się w cudzysłowie, np. SELECT * FROM "klienci.dbf".',
    '  Dwie kropki przed nazwą oznaczają katalog programu: "..faktury.db".',
    '  Sama nazwa bez rozszerzenia oznacza tabelę Paradox (.db) w katalogu bieżącym.',
    '',
    'Parametry (dwukropek przed nazwą)',
    '  :DATE         dzisiejsza data, bez pytania',
    '  :dataOd       data wybierana w kalendarzu (nazwa zaczyna się od DATA)',
    '  :STRNAZWA     tekst wpisywany przez użytkownika (nazwa zaczyna się od STR)',
    '  :KWOTA        liczba wpisywana przez użytkownika (każda inna nazwa)',
    '',
    'Znaczniki daty (małe litery, w tekście zapytania, tytule i nazwie pliku)',
    '  dd  dzień, mm  miesiąc, rrrr  rok, rr  dwie ostatnie cyfry roku.',
    '  O datę program pyta raz przy każdym wykonaniu zapytania.',
    '',
    'Zapytania wstępne',
    '  Wiersz +_DAJNAZWA; wykonuje najpierw zapytanie o tytule _DAJNAZWA',
    '  i zapisuje jego wynik do tabeli NAZWA, z której korzysta dalsza część.',
    '  Wiersz +_LICNAZWA; wykonuje zapytanie _LICNAZWA (np. przeliczenie).',
    '',
    'Wydruk',
    '  Na stronie "Przygotowanie" przycisk "Pobierz pola" proponuje szerokości',
    '  kolumn w milimetrach i sumy (T) pól liczbowych.',
])
