SELECT WALUTA, KURS
  FROM "..kursy.dbf"
 WHERE DATA = (SELECT MAX(DATA) FROM "..kursy.dbf" WHERE DATA <= 'rrrr-mm-dd')
