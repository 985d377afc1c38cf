#!/usr/bin/python3
"""Writes Paradox tables byte by byte from the published file layout, for what no library writes:
every field type at the smallest and largest size its type can have and just beyond them, tables
in the code pages Paradox names in its header, and table names whose area holds leftover bytes
after the name's zero in the format versions that place the field names differently.

usage: make_raw_paradox_fixtures.py DIRECTORY
Prints a line per table (UTF-8, fields separated by tabs):
  size     FILE  ok|bad
  codepage FILE  TEXT  HEX   (HEX: the code page's bytes of "Zmiana " + TEXT)
  refused  FILE  MESSAGE
  names    FILE  NAME;NAME;...  VALUE;VALUE;...
"""
import os
import struct
import sys

out = sys.argv[1]

ALPHA, SHORT, LONG, MEMO = 0x01, 0x03, 0x04, 0x0C
BLOCK_KB = 2
HEADER_SIZE = 0x800


def table_name_area(version):
    """Paradox 7 (version 12) gives the table name 261 bytes, earlier versions 79."""
    return 261 if version >= 12 else 79


def header(fields, records, version, codepage, table_name):
    """The header of a non-indexed table (file type 2) whose records fill one data block.

    fields: (name bytes, type, size as the header declares it, bytes the record gives it).
    table_name: the bytes of the table name area's start (the name, its zero, any leftover)."""
    record_size = sum(stored for _, _, _, stored in fields)
    blocks = 1 if records else 0
    h = bytearray(0x58)
    struct.pack_into('<HHBBI', h, 0, record_size, HEADER_SIZE, 2, BLOCK_KB, len(records))
    struct.pack_into('<HHHH', h, 0x0A, blocks, blocks, blocks, blocks)  # next, file, first, last block
    struct.pack_into('<H', h, 0x21, len(fields))
    h[0x39] = version
    struct.pack_into('<H', h, 0x3A, blocks)  # max blocks
    if version >= 5:
        # The data header of Paradox 4 and later: the code page at 0x6A.
        data = bytearray(0x20)
        struct.pack_into('<H', data, 0x6A - 0x58, codepage)
        h += data
    for _, kind, declared, _ in fields:
        h += bytes([kind, declared])
    h += bytes(4 + 4 * len(fields))  # table name pointer, field name pointers (in memory only)
    h += table_name.ljust(table_name_area(version), b'\0')
    for name, _, _, _ in fields:
        h += name + b'\0'
    h += b''.join(struct.pack('<H', i + 1) for i in range(len(fields)))
    assert len(h) <= HEADER_SIZE
    return bytes(h.ljust(HEADER_SIZE, b'\0'))


def data_block(records, record_size):
    """One data block: next and previous block 0, the offset of its last record, the records."""
    block = struct.pack('<HHh', 0, 0, (len(records) - 1) * record_size) + b''.join(records)
    return block.ljust(BLOCK_KB * 1024, b'\0')


def write(name, fields, records, version=12, codepage=1250, table_name=None, memo=False):
    """records: each a list of the bytes of its fields, as stored."""
    record_size = sum(stored for _, _, _, stored in fields)
    if table_name is None:
        table_name = os.path.splitext(name)[0].encode('ascii') + b'\0'
    body = data_block([b''.join(r) for r in records], record_size) if records else b''
    with open(os.path.join(out, name), 'wb') as f:
        f.write(header(fields, records, version, codepage, table_name) + body)
    if memo:
        # A memo file holding only its header block (type 0): the memos lie in their records.
        with open(os.path.join(out, os.path.splitext(name)[0] + '.mb'), 'wb') as f:
            f.write(bytes(4096))


def alpha(text_bytes, size):
    return text_bytes.ljust(size, b'\0')


def integer(value, size):
    """Big-endian with the sign bit flipped."""
    raw = bytearray(value.to_bytes(size, 'big', signed=True))
    raw[0] ^= 0x80
    return bytes(raw)


def memo_in_record(data, size):
    """A memo kept whole in its record: the text, then offset 0, length and modification 0."""
    lead = size - 10
    assert len(data) <= lead
    return data.ljust(lead, b'\0') + struct.pack('<IIH', 0, len(data), 0)


# --- Sizes: each type at its smallest and largest size, and the sizes just beyond them. BCD
# declares its decimals and stores 17 bytes.
SIZES = [  # type, smallest, largest
    (0x01, 1, 255), (0x02, 4, 4), (0x03, 2, 2), (0x04, 4, 4), (0x05, 8, 8), (0x06, 8, 8), (0x09, 1, 1),
    (0x0C, 10, 250), (0x0D, 10, 250), (0x0E, 10, 250), (0x0F, 10, 250), (0x10, 10, 250),
    (0x14, 4, 4), (0x15, 8, 8), (0x16, 4, 4), (0x17, 0, 32), (0x18, 1, 255),
]
MEMO_TYPES = (0x0C, 0x0D, 0x0E, 0x0F, 0x10)
for kind, smallest, largest in SIZES:
    for declared in sorted({smallest - 1, smallest, largest, largest + 1}):
        if not 0 <= declared <= 255:
            continue
        stored = 17 if kind == 0x17 else declared
        fields = [(b'NAZWA', ALPHA, 10, 10), (b'POLE', kind, declared, stored), (b'KOD', LONG, 4, 4)]
        name = 'rozmiar_%02x_%d.db' % (kind, declared)
        write(name, fields, [[alpha(b'abc', 10), bytes(stored), integer(7, 4)]], memo=kind in MEMO_TYPES)
        print('size\t%s\t%s' % (name, 'ok' if smallest <= declared <= largest else 'bad'))

# --- Code pages: an alpha field and a memo kept in its record, in the code page the header names.
SAMPLES = [(437, 'Müller Straße ½'), (850, 'Ñandú Øre'), (852, 'Źdźbło żółwia Łódź'),
           (865, 'Østerrike både'), (866, 'Привет мир'), (1250, 'Zażółć gęślą jaźń'),
           (1251, 'Привет мир'), (1252, 'Café Señor Œuvre')]
for codepage, text in SAMPLES:
    name = 'strona%d.db' % codepage
    encoded = text.encode('cp%d' % codepage)
    fields = [(b'NAZWA', ALPHA, 40, 40), (b'UWAGI', MEMO, 60, 60)]
    write(name, fields, [[alpha(encoded, 40), memo_in_record(encoded, 60)]], codepage=codepage, memo=True)
    print('codepage\t%s\t%s\t%s' % (name, text, ('Zmiana ' + text).encode('cp%d' % codepage).hex()))
# A header naming no code page is read as Windows-1250.
write('strona0.db', [(b'NAZWA', ALPHA, 40, 40)], [[alpha('Łódź'.encode('cp1250'), 40)]], codepage=0)
print('codepage\tstrona0.db\tŁódź\t%s' % 'Zmiana Łódź'.encode('cp1250').hex())
# Code pages no single-byte table is written in.
for codepage in (932, 12345):
    name = 'strona%d.db' % codepage
    write(name, [(b'NAZWA', ALPHA, 10, 10)], [[alpha(b'abc', 10)]], codepage=codepage)
    print('refused\t%s\tThe table\'s header names code page %d, which this program cannot read.' % (name, codepage))

# --- Field names after a table name area holding leftover bytes, in Paradox 3 (version 3, no data
# header), Paradox 5 (version 11) and Paradox 7 (version 12).
NAMES = [b'Command Type', b'Command Sub-type', b'Function']
for version in (3, 11, 12):
    name = 'nazwy%d.db' % version
    fields = [(NAMES[0], ALPHA, 12, 12), (NAMES[1], ALPHA, 12, 12), (NAMES[2], SHORT, 2, 2)]
    write(name, fields, [[alpha(b'Query', 12), alpha(b'Select', 12), integer(4, 2)]], version=version,
          table_name=b'KOMENDY.DB\0P.DB\0\0_1\0_2\0_3\0')
    print('names\t%s\t%s\t%s' % (name, ';'.join(n.decode('ascii') for n in NAMES), 'Query;Select;4'))
