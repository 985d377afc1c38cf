#pragma once

#include <QString>
#include <QStringList>

class Query;

// Where the query's own ORDER BY clause stands in its SQL text: at the top level, outside string
// literals, quoted names, comments and parentheses (subqueries). Positions count in the lines
// joined by "\n".
struct OrderByPlace {
    qsizetype orderAt = -1; // the "ORDER" of the clause; -1 when there is none
    // What follows the clause at the top level: a LIMIT (or OFFSET), or the ";" that ends the
    // statement; -1 when nothing does.
    qsizetype tailAt = -1;
};
OrderByPlace findOrderBy(const QString &sql);

// The SQL text lines sorted by the clause: the query's own ORDER BY clause replaced, or added when
// it has none, as the line " ORDER BY " + clause; the line that held "ORDER" keeps its part
// before it, and a LIMIT, an OFFSET or the ";" that ends the statement follows on a line of its
// own.
QStringList withOrderBy(const QStringList &lines, const QString &clause);

// Sorts a query data set by the clause (one field name, or names each with ASC or DESC): closes
// it, rewrites the ORDER BY clause of its SQL text and opens it again. A field's name is written
// as the statement knows it (quoted where SQL needs it), or as the field's position where the
// statement knows no such name or refuses the one written. For one field the record whose value
// the field held is found again (a partial, case-sensitive locate of a text; other values whole);
// for several, the record that was current is found again by all its values when it is still in
// the result. EDatabaseError for a single name that names no field, before anything changes.
// When the engine rejects the new text, the old text is put back, the query opened again and
// false returned, the engine's message in refusal when given; when the sort is called off
// (ECancelled), the old text is put back too and the call passed on. The clause is taken by
// value: a field's name goes with its field when the query closes.
bool SortQuery(Query &query, QString clause, QString *refusal = nullptr);

// The field names of the first "ORDER" of the SQL text and what follows it, read by character
// position: past "ORDER", blanks and two more characters (the word BY), then the first word of
// every comma-separated part.
QStringList OrderByFields(const Query &query);
