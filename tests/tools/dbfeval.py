#!/usr/bin/env python3
"""Opens a dBASE table with python3-dbf, an independent reader, and prints a Python expression
over it: the table is t, the module dbf.

usage: dbfeval.py TABLE EXPRESSION
"""
import sys

import dbf

t = dbf.Table(sys.argv[1])
t.open()
print(eval(sys.argv[2], {'t': t, 'dbf': dbf}))
