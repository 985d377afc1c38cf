#include "Filter.h"

#include "DataSet.h"
#include "Field.h"
#include "PolishCollation.h"
#include "platform/Decimal.h"
#include "platform/Errors.h"
#include "platform/Numbers.h"
#include "platform/RegionalSettings.h"

#include <cmath>
#include <cstring>
#include <vector>

// ---- values compared with stored rows ----------------------------------------------------------

namespace {

bool isAscii(const char *p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    }
    return true;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

int compareBytes(const char *a, qsizetype an, const char *b, qsizetype bn)
{
    const int c = std::memcmp(a, b, static_cast<size_t>(std::min(an, bn)));
    return c != 0 ? c : (an < bn ? -1 : an > bn ? 1 : 0);
}

int compareAsciiFolded(const char *a, qsizetype an, const char *b, qsizetype bn)
{
    const qsizetype n = std::min(an, bn);
    for (qsizetype i = 0; i < n; ++i) {
        const char x = lowerAscii(a[i]);
        const char y = lowerAscii(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    return an < bn ? -1 : an > bn ? 1 : 0;
}

bool holds(ValueMatcher::Op op, int comparison)
{
    switch (op) {
    case ValueMatcher::Op::Equal: return comparison == 0;
    case ValueMatcher::Op::NotEqual: return comparison != 0;
    case ValueMatcher::Op::Less: return comparison < 0;
    case ValueMatcher::Op::LessEqual: return comparison <= 0;
    case ValueMatcher::Op::Greater: return comparison > 0;
    case ValueMatcher::Op::GreaterEqual: return comparison >= 0;
    }
    return false;
}

// A number as typed or shown, its digit groups set apart by blanks or not ("45 284,76").
QString withoutBlanks(const QString &text)
{
    QString digits = text;
    digits.remove(QLatin1Char(' ')).remove(QChar(0xA0)).remove(QChar(0x202F));
    return digits;
}

std::optional<double> parseNumber(const QString &text)
{
    const QString digits = withoutBlanks(text);
    // Infinities as the general text writes them ("INF", "-INF"), which a float field may hold.
    for (const double infinity : {HUGE_VAL, -HUGE_VAL}) {
        if (digits.compare(numbers::formatFloat(infinity), Qt::CaseInsensitive) == 0)
            return infinity;
    }
    if (const auto v = numbers::tryParseFloat(digits))
        return v;
    return numbers::tryParseFloat(digits, QLatin1Char('.'));
}

bool isFloatType(FieldType type)
{
    return isNumericType(type) && !isIntegerType(type);
}

// How far a value may lie from a number that its display text shows: a text rounds to its last
// place, and the number has no places beyond the text's (45284.759999999995 is 45 284,76 within
// 0.005); a general text keeps 15 digits.
double shownWithin(double number)
{
    if (!std::isfinite(number))
        return 0;
    const int places = numbers::Decimal::of(number).fractionDigits();
    return std::max(0.5 * std::pow(10.0, -places), std::fabs(number) * 1e-14);
}

QDate parseDate(const QString &text)
{
    const QDate regional = RegionalSettings::current().parseShortDate(text);
    return regional.isValid() ? regional : QDate::fromString(text.trimmed().left(10), Qt::ISODate);
}

QTime parseTime(const QString &text)
{
    const QString t = text.trimmed();
    for (const QString &format : {RegionalSettings::current().longTimeFormat, QStringLiteral("HH:mm:ss"),
                                  QStringLiteral("H:mm:ss"), QStringLiteral("HH:mm"), QStringLiteral("H:mm")}) {
        const QTime time = QTime::fromString(t, format);
        if (time.isValid())
            return time;
    }
    return {};
}

std::optional<bool> parseBoolean(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("tak") || t == QLatin1String("yes")
        || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("nie") || t == QLatin1String("no")
        || t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

// The ISO text a date, time or timestamp field holds for a value typed by the user.
QByteArray isoConstant(FieldType type, const QString &text)
{
    const auto fail = [&](const char *what) {
        throw EConvertError(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)));
    };
    if (type == FieldType::ftTime) {
        const QTime t = parseTime(text);
        if (!t.isValid())
            fail("time");
        return t.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    }
    const QString trimmed = text.trimmed();
    const int blank = static_cast<int>(trimmed.indexOf(QLatin1Char(' ')));
    const QDate date = parseDate(blank < 0 ? trimmed : trimmed.left(blank));
    if (!date.isValid())
        fail(type == FieldType::ftDate ? "date" : "date and time");
    const QByteArray iso = date.toString(Qt::ISODate).toLatin1();
    if (type == FieldType::ftDate)
        return iso;
    QTime time(0, 0);
    if (blank >= 0) {
        time = parseTime(trimmed.mid(blank + 1));
        if (!time.isValid())
            fail("date and time");
    }
    return iso + ' ' + time.toString(QStringLiteral("HH:mm:ss")).toLatin1();
}

} // namespace

struct ValueMatcher::Impl {
    enum class Kind { Number, Bytes, Folded };
    const ColumnStore &column;
    Op op;
    Kind kind = Kind::Bytes;
    bool integral = false;
    qint64 integer = 0;
    double number = 0;
    const Field *shownField = nullptr; // a float, whose display text is compared too
    double shownTolerance = 0;
    QByteArray bytes;  // UTF-8; lower-case ASCII when folded and ASCII
    QString folded;
    bool asciiConstant = true;
    bool prefix = false;
    bool text = false; // ordered alphabetically; dates, times and timestamps by their ISO bytes

    Impl(const ColumnStore &c, Op o) : column(c), op(o) {}

    bool ordering() const { return text && op != Op::Equal && op != Op::NotEqual; }

    int compareText(qsizetype row) const
    {
        qsizetype length = 0;
        QByteArray converted;
        const char *data;
        if (column.storage() == ColumnStore::Storage::Text) {
            data = column.textData(row, length);
        } else {
            converted = column.textAt(row);
            data = converted.constData();
            length = converted.size();
        }
        if (prefix)
            length = std::min(length, bytes.size());
        if (kind == Kind::Bytes)
            return ordering() ? comparePolish(data, length, bytes.constData(), bytes.size())
                              : compareBytes(data, length, bytes.constData(), bytes.size());
        if (!ordering() && asciiConstant && isAscii(data, length))
            return compareAsciiFolded(data, length, bytes.constData(), bytes.size());
        QString value = QString::fromUtf8(data, length).toCaseFolded();
        if (prefix)
            value.truncate(folded.size());
        if (!ordering())
            return value.compare(folded);
        const QByteArray a = value.toUtf8(), b = folded.toUtf8();
        return comparePolish(a.constData(), a.size(), b.constData(), b.size());
    }

    // Whether the float at the row shows as the number (within the tolerance only, where its
    // text could show it).
    bool shownAsNumber(qsizetype row, double value) const
    {
        if (!shownField || !(std::fabs(value - number) <= shownTolerance))
            return false;
        const std::optional<double> shown = parseNumber(shownField->displayTextAt(row));
        return shown && *shown == number;
    }

    bool matches(qsizetype row) const
    {
        if (column.isNull(row))
            return false;
        if (kind != Kind::Number)
            return holds(op, compareText(row));
        if (integral && column.storage() == ColumnStore::Storage::Integer) {
            const qint64 v = column.integerAt(row);
            return holds(op, v < integer ? -1 : v > integer ? 1 : 0);
        }
        const double v = column.realAt(row);
        const int comparison = v < number ? -1 : v > number ? 1 : 0;
        return holds(op, comparison != 0 && shownAsNumber(row, v) ? 0 : comparison);
    }
};

bool comparesAsText(FieldType type)
{
    return !isNumericType(type) && type != FieldType::ftBoolean && type != FieldType::ftDate && type != FieldType::ftTime
        && type != FieldType::ftDateTime;
}

ValueMatcher::ValueMatcher(const Field &field, const QString &text, Op op, bool caseInsensitive, bool partial)
    : m_impl(std::make_shared<Impl>(field.column(), op))
{
    Impl &m = *m_impl;
    const FieldType type = field.dataType();
    if (isNumericType(type)) {
        const auto integer = numbers::tryParseInt64(withoutBlanks(text));
        const auto number = integer ? std::optional<double>(static_cast<double>(*integer)) : parseNumber(text);
        if (!number)
            throw EConvertError((isIntegerType(type) ? QStringLiteral("'%1' is not a valid integer value")
                                                     : QStringLiteral("'%1' is not a valid floating point value"))
                                    .arg(text));
        m.kind = Impl::Kind::Number;
        m.integral = integer.has_value();
        m.integer = integer.value_or(0);
        m.number = *number;
        if (isFloatType(type)) {
            m.shownField = &field;
            m.shownTolerance = shownWithin(m.number);
        }
        return;
    }
    if (type == FieldType::ftBoolean) {
        const auto value = parseBoolean(text);
        if (!value)
            throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
        m.kind = Impl::Kind::Number;
        m.integral = true;
        m.integer = *value ? 1 : 0;
        m.number = m.integer;
        return;
    }
    if (type == FieldType::ftDate || type == FieldType::ftTime || type == FieldType::ftDateTime) {
        m.bytes = isoConstant(type, text);
        return;
    }
    m.text = true;
    QString value = text;
    if (partial && (op == Op::Equal || op == Op::NotEqual) && value.endsWith(QLatin1Char('*'))) {
        value.chop(1);
        m.prefix = true;
    }
    m.bytes = value.toUtf8();
    if (caseInsensitive) {
        m.kind = Impl::Kind::Folded;
        m.folded = value.toCaseFolded();
        m.asciiConstant = isAscii(m.bytes.constData(), m.bytes.size());
        if (m.asciiConstant) {
            for (char &c : m.bytes)
                c = lowerAscii(c);
        }
    }
}

bool ValueMatcher::matches(qsizetype row) const
{
    return m_impl->matches(row);
}

// ---- parsing -----------------------------------------------------------------------------------

struct FilterExpression::Node {
    enum class Kind { True, And, Or, Not, Compare, Blank, IsNull };
    Kind kind = Kind::True;
    std::unique_ptr<Node> left, right;
    // Compare, Blank, IsNull: operands
    struct Operand {
        enum class Kind { Field, Text, Number, Null } kind = Kind::Null;
        QString text;
    } a, b;
    ValueMatcher::Op op = ValueMatcher::Op::Equal;
    bool negate = false;
};

namespace {

struct Token {
    enum class Kind { End, Name, Text, Number, Op, Open, Close, Word } kind = Kind::End;
    QString text;
    int position = 0;
};

[[noreturn]] void syntaxError(const QString &text, int position)
{
    throw EDatabaseError(position >= text.size()
                             ? QStringLiteral("Filter expression incorrectly terminated")
                             : QStringLiteral("Syntax error in filter expression near '%1'").arg(text.mid(position, 20)));
}

std::vector<Token> tokenize(const QString &text)
{
    std::vector<Token> tokens;
    int i = 0;
    const int n = static_cast<int>(text.size());
    const auto isWordChar = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#')
            || c == QLatin1Char('.');
    };
    while (i < n) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.position = i;
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            t.kind = c == QLatin1Char('(') ? Token::Kind::Open : Token::Kind::Close;
            ++i;
        } else if (c == QLatin1Char('\'')) {
            t.kind = Token::Kind::Text;
            ++i;
            for (;;) {
                if (i >= n)
                    syntaxError(text, n);
                if (text[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('\'')) {
                        t.text += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.text += text[i++];
            }
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            const int end = static_cast<int>(text.indexOf(close, i + 1));
            if (end < 0)
                syntaxError(text, n);
            t.kind = Token::Kind::Name;
            t.text = text.mid(i + 1, end - i - 1);
            i = end + 1;
        } else if (QStringLiteral("=<>!").contains(c)) {
            const QString two = text.mid(i, 2);
            t.kind = Token::Kind::Op;
            if (two == QLatin1String("<>") || two == QLatin1String(">=") || two == QLatin1String("<=")
                || two == QLatin1String("!="))
                t.text = two;
            else if (c != QLatin1Char('!'))
                t.text = c;
            else
                syntaxError(text, i);
            i += static_cast<int>(t.text.size());
        } else if (c.isDigit() || ((c == QLatin1Char('-') || c == QLatin1Char('+')) && i + 1 < n && text[i + 1].isDigit())) {
            t.kind = Token::Kind::Number;
            t.text += c;
            ++i;
            while (i < n && (text[i].isDigit() || text[i] == QLatin1Char('.') || text[i] == QLatin1Char(',')))
                t.text += text[i++];
        } else if (isWordChar(c)) {
            while (i < n && isWordChar(text[i]))
                t.text += text[i++];
            const QString upper = t.text.toUpper();
            const bool keyword = upper == QLatin1String("AND") || upper == QLatin1String("OR") || upper == QLatin1String("NOT")
                || upper == QLatin1String("BLANK") || upper == QLatin1String("IS") || upper == QLatin1String("NULL");
            t.kind = keyword ? Token::Kind::Word : Token::Kind::Name;
            if (keyword)
                t.text = upper;
        } else {
            syntaxError(text, i);
        }
        tokens.push_back(t);
    }
    Token end;
    end.position = n;
    tokens.push_back(end);
    return tokens;
}

class Parser {
public:
    explicit Parser(const QString &text) : m_text(text), m_tokens(tokenize(text)) {}

    std::unique_ptr<FilterExpression::Node> parse()
    {
        if (peek().kind == Token::Kind::End)
            return std::make_unique<FilterExpression::Node>();
        auto node = orExpression();
        if (peek().kind != Token::Kind::End)
            syntaxError(m_text, peek().position);
        return node;
    }

private:
    using Node = FilterExpression::Node;
    const Token &peek() const { return m_tokens[m_pos]; }
    const Token &take() { return m_tokens[m_pos++]; }
    bool isWord(const char *word) const { return peek().kind == Token::Kind::Word && peek().text == QLatin1String(word); }

    std::unique_ptr<Node> binary(Node::Kind kind, std::unique_ptr<Node> left, std::unique_ptr<Node> right)
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    std::unique_ptr<Node> orExpression()
    {
        auto node = andExpression();
        while (isWord("OR")) {
            take();
            node = binary(Node::Kind::Or, std::move(node), andExpression());
        }
        return node;
    }

    std::unique_ptr<Node> andExpression()
    {
        auto node = notExpression();
        while (isWord("AND")) {
            take();
            node = binary(Node::Kind::And, std::move(node), notExpression());
        }
        return node;
    }

    std::unique_ptr<Node> notExpression()
    {
        if (isWord("NOT")) {
            take();
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->left = notExpression();
            return node;
        }
        return predicate();
    }

    Node::Operand operand()
    {
        const Token &t = take();
        Node::Operand o;
        o.text = t.text;
        switch (t.kind) {
        case Token::Kind::Name: o.kind = Node::Operand::Kind::Field; break;
        case Token::Kind::Text: o.kind = Node::Operand::Kind::Text; break;
        case Token::Kind::Number: o.kind = Node::Operand::Kind::Number; break;
        case Token::Kind::Word:
            if (t.text == QLatin1String("NULL")) {
                o.kind = Node::Operand::Kind::Null;
                break;
            }
            [[fallthrough]];
        default: syntaxError(m_text, t.position);
        }
        return o;
    }

    std::unique_ptr<Node> predicate()
    {
        if (peek().kind == Token::Kind::Open) {
            take();
            auto node = orExpression();
            if (peek().kind != Token::Kind::Close)
                syntaxError(m_text, peek().position);
            take();
            return node;
        }
        auto node = std::make_unique<Node>();
        node->a = operand();
        if (isWord("NOT") || isWord("BLANK")) {
            node->negate = isWord("NOT");
            if (node->negate) {
                take();
                if (!isWord("BLANK"))
                    syntaxError(m_text, peek().position);
            }
            take();
            node->kind = Node::Kind::Blank;
            if (peek().kind == Token::Kind::Text) // the dialog writes a value after every operator
                take();
            return node;
        }
        if (isWord("IS")) {
            take();
            if (isWord("NOT")) {
                take();
                node->negate = true;
            }
            if (!isWord("NULL"))
                syntaxError(m_text, peek().position);
            take();
            node->kind = Node::Kind::IsNull;
            return node;
        }
        const Token &op = take();
        if (op.kind != Token::Kind::Op)
            syntaxError(m_text, op.position);
        node->kind = Node::Kind::Compare;
        if (op.text == QLatin1String("="))
            node->op = ValueMatcher::Op::Equal;
        else if (op.text == QLatin1String("<>") || op.text == QLatin1String("!="))
            node->op = ValueMatcher::Op::NotEqual;
        else if (op.text == QLatin1String("<"))
            node->op = ValueMatcher::Op::Less;
        else if (op.text == QLatin1String("<="))
            node->op = ValueMatcher::Op::LessEqual;
        else if (op.text == QLatin1String(">"))
            node->op = ValueMatcher::Op::Greater;
        else
            node->op = ValueMatcher::Op::GreaterEqual;
        node->b = operand();
        return node;
    }

    const QString &m_text;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
};

ValueMatcher::Op mirrored(ValueMatcher::Op op)
{
    switch (op) {
    case ValueMatcher::Op::Less: return ValueMatcher::Op::Greater;
    case ValueMatcher::Op::LessEqual: return ValueMatcher::Op::GreaterEqual;
    case ValueMatcher::Op::Greater: return ValueMatcher::Op::Less;
    case ValueMatcher::Op::GreaterEqual: return ValueMatcher::Op::LessEqual;
    default: return op;
    }
}

using RowTest = std::function<bool(qsizetype)>;

RowTest compileNode(const FilterExpression::Node &node, const DataSet &ds, bool caseInsensitive, bool partial)
{
    using Node = FilterExpression::Node;
    using Kind = Node::Operand::Kind;
    switch (node.kind) {
    case Node::Kind::True:
        return [](qsizetype) { return true; };
    case Node::Kind::And: {
        RowTest l = compileNode(*node.left, ds, caseInsensitive, partial);
        RowTest r = compileNode(*node.right, ds, caseInsensitive, partial);
        return [l, r](qsizetype row) { return l(row) && r(row); };
    }
    case Node::Kind::Or: {
        RowTest l = compileNode(*node.left, ds, caseInsensitive, partial);
        RowTest r = compileNode(*node.right, ds, caseInsensitive, partial);
        return [l, r](qsizetype row) { return l(row) || r(row); };
    }
    case Node::Kind::Not: {
        RowTest inner = compileNode(*node.left, ds, caseInsensitive, partial);
        return [inner](qsizetype row) { return !inner(row); };
    }
    case Node::Kind::Blank:
    case Node::Kind::IsNull: {
        if (node.a.kind != Kind::Field)
            throw EDatabaseError(QStringLiteral("Syntax error in filter expression near '%1'").arg(node.a.text));
        const ColumnStore &column = ds.fieldByName(node.a.text)->column();
        const bool negate = node.negate;
        if (node.kind == Node::Kind::IsNull)
            return [&column, negate](qsizetype row) { return column.isNull(row) != negate; };
        return [&column, negate](qsizetype row) {
            qsizetype length = 1;
            const bool blank = column.isNull(row)
                || (column.storage() == ColumnStore::Storage::Text && (column.textData(row, length), length == 0));
            return blank != negate;
        };
    }
    case Node::Kind::Compare:
        break;
    }

    Node::Operand a = node.a, b = node.b;
    ValueMatcher::Op op = node.op;
    if (a.kind != Kind::Field && b.kind == Kind::Field) {
        std::swap(a, b);
        op = mirrored(op);
    }
    if (a.kind != Kind::Field)
        throw EDatabaseError(QStringLiteral("Filter expression compares no field"));
    const Field *field = ds.fieldByName(a.text);
    if (b.kind == Kind::Null) {
        const ColumnStore &column = field->column();
        const bool wantNull = op == ValueMatcher::Op::Equal;
        return [&column, wantNull](qsizetype row) { return column.isNull(row) == wantNull; };
    }
    if (b.kind == Kind::Field) {
        const Field *other = ds.fieldByName(b.text);
        const bool numeric = isNumericType(field->dataType()) && isNumericType(other->dataType());
        return [field, other, op, numeric, caseInsensitive](qsizetype row) {
            if (field->isNullAt(row) || other->isNullAt(row))
                return false;
            if (numeric) {
                const double x = field->column().realAt(row), y = other->column().realAt(row);
                return holds(op, x < y ? -1 : x > y ? 1 : 0);
            }
            QString x = QString::fromUtf8(field->column().textAt(row));
            QString y = QString::fromUtf8(other->column().textAt(row));
            return holds(op, caseInsensitive ? x.toCaseFolded().compare(y.toCaseFolded()) : x.compare(y));
        };
    }
    const ValueMatcher matcher(*field, b.text, op, caseInsensitive, partial);
    return [matcher](qsizetype row) { return matcher.matches(row); };
}

} // namespace

FilterExpression::FilterExpression(std::unique_ptr<Node> root) : m_root(std::move(root)) {}
FilterExpression::~FilterExpression() = default;

std::unique_ptr<FilterExpression> FilterExpression::parse(const QString &text)
{
    Parser parser(text);
    return std::unique_ptr<FilterExpression>(new FilterExpression(parser.parse()));
}

std::function<bool(qsizetype)> FilterExpression::compile(const DataSet &dataSet, bool caseInsensitive, bool partialCompare) const
{
    return compileNode(*m_root, dataSet, caseInsensitive, partialCompare);
}
