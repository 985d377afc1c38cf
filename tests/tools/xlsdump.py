#!/usr/bin/env python3
"""Prints what python3-xlrd, an independent reader, sees in an XLS file.

usage: xlsdump.py FILE            every sheet: its name, rows and columns, then each row as a list
                                  of (cell type, value) pairs
       xlsdump.py FILE --column N the values of column N of the first sheet, one a line
"""
import sys

import xlrd


def main():
    book = xlrd.open_workbook(sys.argv[1])
    if len(sys.argv) > 3 and sys.argv[2] == '--column':
        sheet = book.sheet_by_index(0)
        column = int(sys.argv[3])
        sys.stdout.buffer.write('\n'.join(str(sheet.cell_value(r, column)) for r in range(sheet.nrows)).encode())
        return
    for sheet in book.sheets():
        print(repr(sheet.name), sheet.nrows, sheet.ncols)
        for r in range(sheet.nrows):
            print([(c.ctype, c.value) for c in sheet.row(r)])


if __name__ == '__main__':
    main()
