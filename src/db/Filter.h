#pragma once

#include "FieldType.h"

#include <QString>
#include <functional>
#include <memory>

class DataSet;

// The filter expressions of the grid tools: comparisons "field op 'value'" with =, <>, !=, >, >=,
// <, <=; "field blank" and "field not blank" (null or empty text and the opposite; a quoted value
// after them is ignored); "field IS [NOT] NULL"; AND, OR, NOT and parentheses. Field names with
// blanks go in [ ] or " "; a value is quoted text or a number and is converted to the field's type.
class FilterExpression {
public:
    struct Node;
    ~FilterExpression();

    // Parses the text; EDatabaseError when it is malformed. An empty text lets every row through.
    static std::unique_ptr<FilterExpression> parse(const QString &text);

    // A test of stored rows against the fields of an open data set. EDatabaseError names a field
    // that does not exist, EConvertError a value that does not convert to its field's type.
    // With partialCompare a text value ending in "*" matches every text it begins.
    std::function<bool(qsizetype row)> compile(const DataSet &dataSet, bool caseInsensitive, bool partialCompare) const;

private:
    explicit FilterExpression(std::unique_ptr<Node> root);
    std::unique_ptr<Node> m_root;
};

// Whether values of the type are compared as texts (partly, with a trailing "*"), not converted
// to numbers, dates, times or logical values.
bool comparesAsText(FieldType type);

// Converts the text of a value to its field's type and compares it with stored rows; shared by
// filters and Locate. Numbers may be typed with blanks between digit groups. A float equals a
// number that is its value as shown (its display text), though the value differs in places the
// grid does not show. Texts equal only texts of the same bytes (or, case-insensitive, of the same
// folded letters) and are ordered alphabetically in Polish.
class ValueMatcher {
public:
    enum class Op { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };
    // EConvertError when the text does not convert to the field's type.
    ValueMatcher(const class Field &field, const QString &text, Op op, bool caseInsensitive, bool partial);
    bool matches(qsizetype row) const;

private:
    struct Impl;
    std::shared_ptr<Impl> m_impl;
};
