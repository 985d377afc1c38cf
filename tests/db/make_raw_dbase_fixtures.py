#!/usr/bin/python3
"""Writes dBASE tables byte by byte from the published file layout, for what no library writes:
one table per code page mark (a text of that code page in field NAZWA), marks that are not known
or name code pages of more than one byte, fields whose width does not suit their type, a table
without fields, and a dBASE II table.

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


def dbase3(name, fields, records, mark=0xC8):
    """fields: (name, type, width); records: tuples of bytes, one per field."""
    record_length = 1 + sum(width for _, _, width in fields)
    header_length = 32 + 32 * len(fields) + 1
    head = struct.pack('<BBBBIHH', 0x03, 124, 3, 5, len(records), header_length, record_length)
    head += bytes(17) + bytes([mark]) + bytes(2)
    for field_name, kind, width in fields:
        head += field_name.encode('ascii').ljust(11, b'\0') + kind.encode('ascii') + bytes(4)
        head += bytes([width, 0]) + bytes(14)
    body = b''.join(b' ' + b''.join(value.ljust(width, b' ') for value, (_, _, width) in zip(row, fields))
                    for row in records)
    with open(os.path.join(out, name), 'wb') as f:
        f.write(head + b'\r' + body + b'\x1a')


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
