#include "QuerySort.h"

#include "db/Query.h"
#include "platform/Errors.h"

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Whether the word stands at position i as a whole word, in any letter case.
bool wordAt(const QString &sql, qsizetype i, QLatin1String word)
{
    if (i > 0 && isNameChar(sql[i - 1]))
        return false;
    if (sql.mid(i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
        return false;
    const qsizetype end = i + word.size();
    return end >= sql.size() || !isNameChar(sql[end]);
}

// The position just past a literal, a quoted name or a comment that starts at i; i itself when
// none starts there.
qsizetype skipQuoted(const QString &sql, qsizetype i)
{
    const QChar c = sql[i];
    const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
    const auto until = [&](qsizetype from, const QString &end) {
        const qsizetype at = sql.indexOf(end, from);
        return at < 0 ? sql.size() : at + end.size();
    };
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
        // A doubled quote stands for one inside the text.
        qsizetype at = i + 1;
        while (at < sql.size()) {
            if (sql[at] == c) {
                if (at + 1 < sql.size() && sql[at + 1] == c) {
                    at += 2;
                    continue;
                }
                return at + 1;
            }
            ++at;
        }
        return sql.size();
    }
    if (c == QLatin1Char('['))
        return until(i + 1, QStringLiteral("]"));
    if (c == QLatin1Char('-') && next == QLatin1Char('-'))
        return until(i + 2, QStringLiteral("\n"));
    if (c == QLatin1Char('/') && next == QLatin1Char('*'))
        return until(i + 2, QStringLiteral("*/"));
    return i;
}

qsizetype skipBlanks(const QString &sql, qsizetype i)
{
    while (i < sql.size() && sql[i].isSpace())
        ++i;
    return i;
}

// The lines of the text from position from to the end, in the lines' own breaks.
QStringList linesFrom(const QString &joined, qsizetype from)
{
    return joined.mid(from).split(QLatin1Char('\n'));
}

// The clause with every field name the query's result has written as an ORDER BY term of its
// statement (by name or by position); a part that names no field stays as it is.
QString orderingTerms(const Query &query, const QString &clause, bool byPosition)
{
    if (const Field *field = query.findField(clause))
        return query.orderingTerm(*field, byPosition);
    QStringList terms;
    for (const QString &part : clause.split(QStringLiteral(", "))) {
        const qsizetype blank = part.lastIndexOf(QLatin1Char(' '));
        const QString direction = blank < 0 ? QString() : part.mid(blank + 1).toUpper();
        const bool directed = direction == QLatin1String("ASC") || direction == QLatin1String("DESC");
        const Field *field = query.findField(directed ? part.left(blank) : part);
        terms.append(!field ? part
                            : query.orderingTerm(*field, byPosition) + (directed ? QLatin1Char(' ') + direction : QString()));
    }
    return terms.join(QStringLiteral(", "));
}

// Opens the query over its lines sorted by the terms by name, or by position when the engine
// refuses those (a name that two tables of the statement have).
void openSorted(Query &query, const QStringList &lines, const QString &byName, const QString &byPosition)
{
    query.sql().assign(withOrderBy(lines, byName));
    try {
        query.open();
    } catch (const EDBEngineError &) {
        if (byName == byPosition)
            throw;
        query.sql().assign(withOrderBy(lines, byPosition));
        query.open();
    }
}

void restore(Query &query, const QStringList &lines)
{
    query.close();
    query.sql().assign(lines);
    query.open();
}

// The current record's values of every field that is no BLOB, as a locate takes them.
std::pair<QString, QVariantList> recordKey(const Query &query)
{
    QStringList names;
    QVariantList values;
    for (int i = 0; i < query.fieldCount(); ++i) {
        const Field *field = query.field(i);
        if (field->isBlob())
            continue;
        names.append(field->fieldName());
        values.append(field->asVariant());
    }
    return {names.join(QLatin1Char(';')), values};
}

} // namespace

OrderByPlace findOrderBy(const QString &sql)
{
    OrderByPlace place;
    int depth = 0;
    for (qsizetype i = 0; i < sql.size();) {
        const qsizetype past = skipQuoted(sql, i);
        if (past != i) {
            i = past;
            continue;
        }
        const QChar c = sql[i];
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            depth = std::max(0, depth - 1);
        } else if (depth == 0 && place.orderAt < 0 && wordAt(sql, i, QLatin1String("ORDER"))
                   && wordAt(sql, skipBlanks(sql, i + 5), QLatin1String("BY"))) {
            place.orderAt = i;
        } else if (depth == 0 && place.tailAt < 0
                   && (c == QLatin1Char(';') || wordAt(sql, i, QLatin1String("LIMIT")) || wordAt(sql, i, QLatin1String("OFFSET")))) {
            place.tailAt = i;
        }
        ++i;
    }
    // A LIMIT inside the ORDER BY's own text cannot come before it.
    if (place.tailAt >= 0 && place.orderAt > place.tailAt)
        place.tailAt = -1;
    return place;
}

QStringList withOrderBy(const QStringList &lines, const QString &clause)
{
    const QString joined = lines.join(QLatin1Char('\n'));
    const OrderByPlace place = findOrderBy(joined);
    const QString orderBy = QStringLiteral(" ORDER BY ") + clause;
    const qsizetype cut = place.orderAt >= 0 ? place.orderAt : place.tailAt;
    if (cut < 0)
        return lines + QStringList{orderBy};
    QStringList sorted = joined.left(cut).split(QLatin1Char('\n'));
    sorted.append(orderBy);
    if (place.tailAt >= 0)
        sorted.append(linesFrom(joined, place.tailAt));
    return sorted;
}

bool SortQuery(Query &query, QString clause, QString *refusal)
{
    // One field: its value is found again; a name that is no field is refused before anything
    // changes. Several fields: the record itself is found again by all its values.
    const bool oneField = query.findField(clause)
        || (!clause.contains(QLatin1Char(',')) && !clause.trimmed().contains(QLatin1Char(' ')));
    const bool current = query.active() && query.recNo() >= 0;
    QVariant value;
    std::pair<QString, QVariantList> record;
    if (oneField) {
        const Field *field = query.fieldByName(clause);
        if (current)
            value = field->asVariant();
    } else if (current) {
        record = recordKey(query);
    }
    const QString byName = orderingTerms(query, clause, false), byPosition = orderingTerms(query, clause, true);
    const QStringList previous = query.sql().lines();
    try {
        query.close();
        openSorted(query, previous, byName, byPosition);
        if (oneField && current)
            query.locate(clause, value, DataSet::loPartialKey);
        else if (!record.first.isEmpty())
            query.locate(record.first, record.second);
        return true;
    } catch (const EDBEngineError &e) {
        restore(query, previous);
        if (refusal)
            *refusal = e.message();
        return false;
    } catch (const ECancelled &) {
        restore(query, previous);
        throw;
    }
}

QStringList OrderByFields(const Query &query)
{
    const QStringList &lines = query.sql().lines();
    QString text;
    bool found = false;
    for (const QString &line : lines) {
        if (found) {
            text += QLatin1Char(' ') + line;
            continue;
        }
        const qsizetype at = line.indexOf(QLatin1String("ORDER"), 0, Qt::CaseInsensitive);
        if (at >= 0) {
            text = line.mid(at);
            found = true;
        }
    }
    QStringList names;
    if (!found)
        return names;
    const auto blanks = [&text](qsizetype p) {
        while (p < text.size() && text[p] == QLatin1Char(' '))
            ++p;
        return p;
    };
    qsizetype p = blanks(5) + 2; // past "ORDER", blanks and the word BY
    while (p < text.size()) {
        p = blanks(p);
        const qsizetype start = p;
        while (p < text.size() && text[p] != QLatin1Char(' ') && text[p] != QLatin1Char(','))
            ++p;
        if (p > start)
            names.append(text.mid(start, p - start));
        const qsizetype comma = text.indexOf(QLatin1Char(','), p);
        if (comma < 0 || comma == text.size() - 1)
            break;
        p = comma + 1;
    }
    return names;
}
