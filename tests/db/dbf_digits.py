#!/usr/bin/env python3
"""Checks the digits of a dBASE table's number field against an oracle: python3-dbf reads each
record's field as the decimal its stored digits spell, which must equal the value it was written
from (an integer as itself, a double's exact value correctly rounded to 15 significant digits by
Python's decimal module).

usage: dbf_digits.py TABLE FIELD VALUE...
VALUE: one per record, an integer, a double written with 17 significant digits, or NULL.
Prints the field's definition (N(width,decimals)), then a line for each record that differs.
"""
import decimal
import sys

import dbf


def stored(raw=b''):
    text = raw.decode('ascii').strip()
    return decimal.Decimal(text) if text else None


def oracle(value):
    if value == 'NULL':
        return None
    if all(c.isdigit() or c == '-' for c in value):
        return decimal.Decimal(int(value))
    exact = decimal.Decimal(float(value))
    context = decimal.Context(prec=15, rounding=decimal.ROUND_HALF_EVEN)
    return context.plus(exact)


table_path, field, values = sys.argv[1], sys.argv[2].lower(), sys.argv[3:]
table = dbf.Table(table_path, default_data_types={'N': stored})
table.open()
info = table.field_info(field)
print('%s(%d,%d)' % (info.field_type.decode() if isinstance(info.field_type, bytes) else chr(info.field_type),
                     info.length, info.decimal))
records = [record[field] for record in table]
if len(records) != len(values):
    print('records: %d, values: %d' % (len(records), len(values)))
for number, (read, value) in enumerate(zip(records, values), 1):
    expected = oracle(value)
    if read != expected or (read is None) != (expected is None):
        print('record %d: %r read, %r expected (from %s)' % (number, read, expected, value))
