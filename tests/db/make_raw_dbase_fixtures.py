#!/usr/bin/python3
"""Writes dBASE tables byte by byte from the published file layout, for what no library writes:
one table per code page mark (a text of that code page in field NAZWA), marks that are not known
or name code pages of more than one byte, fields whose width does not suit their type, a table
without fields, a dBASE II table, headers whose length does not put the records where they are
and headers padded after their field list, fields of types no reader here knows, a header counting
fewer records than the file holds, a record without its deletion flag, and dBASE 7 tables.

usage: make_raw_dbase_fixtures.py DIRECTORY
Prints, for each code page table, its file name and the text it holds, a line each (UTF-8).
"""
import os
import struct
import sys

out = sys.argv[1]

# Mazovia (code page 620) and Kamenicky (895) are not among Python's codecs: their published code
# charts are code page 437 with these bytes changed.
MAZOVIA = dict(zip(b'\x86\x8d\x8f\x90\x91\x92\x95\x98\x9c\x9e\xa0\xa1\xa3\xa4\xa5\xa6\xa7',
                   'ąćĄĘęłĆŚŁśŹŻÓńŃźż'))
KAMENICKY = dict(zip(range(0x80, 0xB0),
                     'ČüéďäĎŤčěĚĹÍľĺÄÁÉžŽôöÓůÚýÖÜŠĽÝŘťáíóúňŇŮÔšřŕŔ¼§«»'))


def encode(text, codepage):
    if codepage in (620, 895):
        table = {ch: byte for byte, ch in (MAZOVIA if codepage == 620 else KAMENICKY).items()}
        return bytes(table.get(ch) or ch.encode('cp437')[0] for ch in text)
    return text.encode('cp%d' % codepage)


def dbase3(name, fields, records, mark=0xC8, padding=b'', length_change=0, counted=None, flags=None):
    """fields: (name, type, width[, decimals]); records: tuples of bytes, one per field. padding: bytes after
    the field list's terminator, inside the header; length_change: added to the header length the
    header gives; counted: the record count the header gives; flags: the records' first bytes."""
    record_length = 1 + sum(field[2] for field in fields)
    header_length = 32 + 32 * len(fields) + 1 + len(padding)
    count = len(records) if counted is None else counted
    head = struct.pack('<BBBBIHH', 0x03, 124, 3, 5, count, header_length + length_change, record_length)
    head += bytes(17) + bytes([mark]) + bytes(2)
    for field_name, kind, width, *decimals in fields:
        head += field_name.encode('ascii').ljust(11, b'\0') + kind.encode('ascii') + bytes(4)
        head += bytes([width, decimals[0] if decimals else 0]) + bytes(14)
    flags = flags or b' ' * len(records)
    body = b''.join(bytes([flag]) + b''.join(value.ljust(field[2], b' ') for value, field in zip(row, fields))
                    for flag, row in zip(flags, records))
    with open(os.path.join(out, name), 'wb') as f:
        f.write(head + b'\r' + padding + body + b'\x1a')


SAMPLES = [
    (0x01, 437, 'Müller Straße ½'), (0x02, 850, 'Ñandú Øre'), (0x64, 852, 'Źdźbło żółwia'),
    (0x66, 865, 'Øre Æble'), (0x65, 866, 'Привет мир'), (0x67, 861, 'Þórður'), (0x6A, 737, 'Καλημέρα'),
    (0x6B, 857, 'İstanbul ğüşı'), (0x68, 895, 'Žluťoučký kůň úpěl'), (0x69, 620, 'Źdźbło żółwia Śląsk ŁĄCZNOŚĆ'),
    (0xC8, 1250, 'Zażółć gęślą jaźń'), (0xC9, 1251, 'Привет мир'), (0x03, 1252, 'Café Señor'),
    (0xCB, 1253, 'Καλημέρα'), (0xCA, 1254, 'İstanbul ğüşı'), (0xCC, 1257, 'Ąžuolas Šiauliai'),
]
for mark, codepage, text in SAMPLES:
    name = 'cp%d.dbf' % codepage
    dbase3(name, [('NAZWA', 'C', 40)], [(encode(text, codepage),)], mark)
    print('%s\t%s' % (name, text))

# A mark no dBASE language driver has, and one naming a code page of two bytes a character.
dbase3('znak_f0.dbf', [('NAZWA', 'C', 10)], [(b'abc',)], 0xF0)
dbase3('znak_4d.dbf', [('NAZWA', 'C', 10)], [(b'abc',)], 0x4D)

# Fields whose width does not suit their type (the record length agrees with the widths).
dbase3('szerokosc_i.dbf', [('ID', 'I', 1), ('NAZWA', 'C', 5)], [(b'1', b'abc')])
dbase3('szerokosc_y.dbf', [('KWOTA', 'Y', 4), ('NAZWA', 'C', 5)], [(b'1234', b'abc')])

# A valid header with no field descriptors, and one record.
dbase3('bezpol.dbf', [], [()])

# dBASE II: version 2, a 16-bit record count at 1, the date at 3, the record length at 6, field
# descriptors of 16 bytes from 8 (name 11, type, width, data address 2, decimals), 0x0D after the
# last one, the header 521 bytes long.
fields2 = [('NAZWA', 'C', 10), ('ILE', 'N', 5)]
head = struct.pack('<BHBBBH', 0x02, 2, 3, 5, 124, 1 + 15)
for field_name, kind, width in fields2:
    head += field_name.encode('ascii').ljust(11, b'\0') + kind.encode('ascii') + bytes([width]) + bytes(3)
head += b'\r'
head = head.ljust(521, b'\0')
with open(os.path.join(out, 'dbase2.dbf'), 'wb') as f:
    f.write(head + b' ' + b'Kowalski'.ljust(10) + b'7'.rjust(5) + b' ' + b'Nowak'.ljust(10) + b'12'.rjust(5) + b'\x1a')

# Header lengths one byte off the field list (the file's size still matching), and headers padded
# after it: Visual FoxPro's 263-byte backlink, three bytes as other writers leave them.
CUSTOMERS = [('NAZWA', 'C', 10), ('KWOTA', 'N', 6, 2), ('DATA', 'D', 8)]
CUSTOMER_ROWS = [(b'Kowalski', b'1.25'.rjust(6), b'20240305'), (b'Nowak', b'-7.50'.rjust(6), b'19991231')]
dbase3('dluzszy.dbf', CUSTOMERS, CUSTOMER_ROWS, length_change=1)
dbase3('krotszy.dbf', CUSTOMERS, CUSTOMER_ROWS, length_change=-1)
dbase3('odnosnik.dbf', CUSTOMERS, CUSTOMER_ROWS, padding=bytes(263))
dbase3('dopelniony.dbf', CUSTOMERS, CUSTOMER_ROWS, padding=b'\0\0\0')

# Types no reader here knows: Visual FoxPro's varbinary and varchar, and others.
for kind in 'QVX0':
    dbase3('typ_%s.dbf' % kind, [('NAZWA', 'C', 5), ('POLE', kind, 4)], [(b'abc', b'1234')])

# A header counting two of the three records the file holds.
dbase3('niepoliczone.dbf', CUSTOMERS, CUSTOMER_ROWS + [(b'Wcisniety', b'3'.rjust(6), b'20000229')], counted=2)

# A middle record whose first byte is no deletion flag.
dbase3('bezflagi.dbf', CUSTOMERS, CUSTOMER_ROWS + [(b'Trzeci', b'0'.rjust(6), b'20010101')], flags=b' X ')


def dbase7(name, version, fields, records):
    """dBASE 7: a 68-byte header (the 32 bytes of dBASE III, a language driver name, 4 reserved
    bytes), field descriptors of 48 bytes (name 32, type, width, decimals, 2 reserved, index flag,
    2 reserved, next autoincrement value, 4 reserved), 0x0D, the records."""
    record_length = 1 + sum(field[2] for field in fields)
    header_length = 68 + 48 * len(fields) + 1
    head = struct.pack('<BBBBIHH', version, 124, 3, 5, len(records), header_length, record_length) + bytes(20)
    head += b'DBWINUS0'.ljust(32, b'\0') + bytes(4)
    for field_name, kind, width, *decimals in fields:
        head += field_name.encode('ascii').ljust(32, b'\0') + kind.encode('ascii')
        head += bytes([width, decimals[0] if decimals else 0]) + bytes(13)
    body = b''.join(b' ' + b''.join(value.ljust(field[2], b' ') for value, field in zip(row, fields))
                    for row in records)
    with open(os.path.join(out, name), 'wb') as f:
        f.write(head + b'\r' + body + b'\x1a')


dbase7('dbase7.dbf', 0x04, CUSTOMERS, CUSTOMER_ROWS)
dbase7('dbase7memo.dbf', 0x8C, CUSTOMERS, CUSTOMER_ROWS)
