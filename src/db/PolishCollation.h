#pragma once

#include "FieldType.h"

#include <QString>

struct sqlite3;

// The Polish alphabetical order of texts, as ICU's collator for Polish has it: a ą b c ć d e ę f
// g h i j k l ł m n ń o ó p r s ś t u w y z ź ż, letters before their capitals where nothing
// else tells two texts apart, and texts that the collator holds equal (other forms of one letter,
// characters it passes over) in the order of their bytes, so that distinct texts never compare
// equal. Texts are UTF-8.
int comparePolish(const char *a, qsizetype aLength, const char *b, qsizetype bLength);

// The engine's name of that order: "ORDER BY NAZWA COLLATE PL".
extern const QString kPolishCollation;
// Makes the order known to a connection under its name.
void registerPolishCollation(sqlite3 *db);
// The collation clause of a column holding the field in the engine: the Polish order for texts and
// memos, nothing for other fields.
QString collationFor(const FieldDef &field);
