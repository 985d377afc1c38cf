#pragma once

#include <QByteArray>

class Field;

// Appends the text of a field at a stored row (its AsString: decimals with the regional separator
// and no grouping, dates in the regional short date form, null as empty text) in Windows-1250.
// Integers, texts and dates take a path without intermediate strings. False, with nothing
// appended, when the text holds a character Windows-1250 lacks.
bool appendFieldText(QByteArray &out, const Field &field, qsizetype row);

// Whether a stored text is well-formed UTF-8; values that are no texts always are.
bool hasValidText(const Field &field, qsizetype row);
// The refusal of a field's text at a record (number counted from 0) that an export cannot write:
// bytes that are no text, or, when the file is 8-bit, a character Windows-1250 lacks. Every
// export refuses such texts alike, naming field and record.
[[noreturn]] void refuseFieldText(const Field &field, qsizetype row, int number);
