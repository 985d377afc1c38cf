#pragma once

#include <QByteArray>

class Field;

// Appends the text of a field at a stored row (its AsString: decimals with the regional separator
// and no grouping, dates in the regional short date form, null as empty text) in Windows-1250.
// Integers, texts and dates take a path without intermediate strings. False, with nothing
// appended, when the text holds a character Windows-1250 lacks.
bool appendFieldText(QByteArray &out, const Field &field, qsizetype row);
