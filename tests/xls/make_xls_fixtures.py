#!/usr/bin/python3
"""Writes the XLS fixtures of the reader tests with programs independent of Kwerix: python3-xlwt
and LibreOffice (soffice). The generated files are committed; run this again only to change them.

usage: make_xls_fixtures.py [DIRECTORY]   (default: fixtures/ beside this script)
"""
import os
import subprocess
import sys
import tempfile

import xlwt

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), 'fixtures')
os.makedirs(out, exist_ok=True)

# --- xlwt: Polish text, numbers, booleans, several sheets, a shared string table over several
# CONTINUE records with strings of both kinds split inside them.
book = xlwt.Workbook(encoding='utf-8')
first = book.add_sheet('Faktury')
first.write(0, 0, 'Nazwa')
first.write(0, 2, 5)
first.write(1, 0, 'Zażółć gęślą jaźń')
first.write(1, 1, 12.5)
first.write(1, 2, -1234567.25)
first.write(2, 0, True)
first.write(2, 1, 123456789)
first.write(3, 3, 'ósma; "cytat"')
second = book.add_sheet('Długie teksty')
for row in range(60):
    # 8-bit (Latin-1) and 16-bit texts long enough to cross the 8224-byte record limit.
    second.write(row, 0, ('latin-%02d ' % row) + 'x' * (400 + row * 7))
    second.write(row, 1, ('unicode-%02d ' % row) + 'ł' * (300 + row * 5))
third = book.add_sheet('Pusty')
book.save(os.path.join(out, 'xlwt_mixed.xls'))

# --- LibreOffice: formulas with text, number, boolean and error results, from a flat ODS file.
FODS = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
<table:table table:name="Wzory">
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>Łódź</text:p></table:table-cell>
  <table:table-cell office:value-type="float" office:value="2"/>
  <table:table-cell table:formula="of:=CONCATENATE([.A1];&quot; i okolice&quot;)"/>
  <table:table-cell table:formula="of:=[.B1]*21"/>
  <table:table-cell table:formula="of:=[.B1]&gt;1"/>
  <table:table-cell table:formula="of:=1/0"/>
  <table:table-cell table:formula="of:=LEFT([.A1];0)"/>
 </table:table-row>
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>Drugi wiersz</text:p></table:table-cell>
 </table:table-row>
</table:table>
<table:table table:name="Drugi arkusz">
 <table:table-row><table:table-cell office:value-type="float" office:value="7"/></table:table-row>
</table:table>
</office:spreadsheet></office:body></office:document>
'''
with tempfile.TemporaryDirectory() as work:
    source = os.path.join(work, 'libreoffice_formulas.fods')
    with open(source, 'w', encoding='utf-8') as f:
        f.write(FODS)
    subprocess.run(['soffice', '--headless', '-env:UserInstallation=file://' + work + '/profile',
                    '--convert-to', 'xls:MS Excel 97', '--outdir', out, source],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print('fixtures written to', out)
