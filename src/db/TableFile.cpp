#include "TableFile.h"

#include "SqliteTable.h"
#include "dbase/DbfTable.h"
#include "paradox/ParadoxTable.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/TextHelpers.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

void throwTableError(const QString &problem, const QString &path)
{
    throw EDBEngineError(problem + QStringLiteral("\nTable: ") + path);
}

void requireMemoFile(const QString &memoPath, const QString &tablePath)
{
    if (!QFileInfo(memoPath).isFile())
        throwTableError(QStringLiteral("The memo file %1 is missing.").arg(QFileInfo(memoPath).fileName()), tablePath);
}

namespace {

QByteArray headerOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(128);
}

bool hasDbfExtension(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0;
}

} // namespace

bool TableFile::looksLikeTable(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    const QByteArray header = headerOf(path);
    return SqliteTable::looksLikeSqlite(header) || ParadoxTable::looksLikeParadox(header)
        || DbfTable::looksLikeDbf(header);
}

std::unique_ptr<TableFile> TableFile::open(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throwTableError(QStringLiteral("The table file does not exist."), path);
    if (!info.isFile())
        throwTableError(QStringLiteral("The name is not a file."), path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwTableError(QStringLiteral("The table file can't be read: %1").arg(file.errorString()), path);
    const QByteArray header = file.read(128);
    if (SqliteTable::looksLikeSqlite(header))
        return std::make_unique<SqliteTable>(path);
    // A .dbf name means dBASE; any other name is Paradox unless the content says dBASE.
    if (hasDbfExtension(path) || (!ParadoxTable::looksLikeParadox(header) && DbfTable::looksLikeDbf(header)))
        return std::make_unique<DbfTable>(path);
    return std::make_unique<ParadoxTable>(path);
}

TableFile::Format TableFile::formatForNewTable(const QString &path)
{
    return hasDbfExtension(path) ? Format::DBase : Format::Paradox;
}

void TableFile::create(const QString &path, const std::vector<FieldDef> &fields, const std::function<bool(Row &)> &rows)
{
    if (formatForNewTable(path) == Format::DBase)
        DbfTable::create(path, fields, rows);
    else
        ParadoxTable::create(path, fields, rows);
}

FieldDef TableFile::fitField(const QString &path, const FieldDef &field, const FieldValues &values)
{
    FieldDef def = field;
    if (def.type == FieldType::ftString)
        def.size = std::max(def.size, 1);
    if (def.type == FieldType::ftString || def.type == FieldType::ftMemo) {
        // New tables hold Windows-1250 text: what it cannot hold is refused as every export does.
        for (qint64 r = 0; r < values.count; ++r) {
            const Cell cell = values.at(r);
            if (cell.kind != Cell::Text)
                continue;
            if (!text::isValidUtf8(cell.bytes.constData(), cell.bytes.size()))
                refuseValue(path, def, r, QStringLiteral("tekst zawiera bajty, które nie są poprawnym tekstem (UTF-8)."));
            const QString text = QString::fromUtf8(cell.bytes);
            const QString missing = cp1250::firstUnencodable(text);
            if (!missing.isEmpty())
                refuseValue(path, def, r, QStringLiteral("znaku \"%1\" nie ma w stronie kodowej Windows-1250.").arg(missing));
            if (def.type == FieldType::ftString)
                def.size = std::max<int>(def.size, static_cast<int>(text.size()));
        }
    }
    return formatForNewTable(path) == Format::DBase ? DbfTable::fitField(path, def, values)
                                                    : ParadoxTable::fitField(path, def, values);
}

void TableFile::drop(const QString &path)
{
    const QStringList companions = formatForNewTable(path) == Format::DBase ? DbfTable::companionFiles(path)
                                                                            : ParadoxTable::companionFiles(path);
    if (!QFile::remove(path) && QFileInfo::exists(path))
        throwTableError(QStringLiteral("The table file can't be deleted."), path);
    for (const QString &file : companions)
        QFile::remove(file);
}

void refuseValue(const QString &path, const FieldDef &field, qint64 record, const QString &problem)
{
    throw EDatabaseError(QStringLiteral("Pole %1, rekord %2: %3\nTabela: %4").arg(field.name).arg(record + 1).arg(problem, path));
}

std::optional<Cell> numberToStore(const QString &path, const FieldDef &field, const FieldValues &values, qint64 record)
{
    const Cell cell = values.at(record);
    if (cell.isNull())
        return std::nullopt;
    const std::optional<Cell> number = numberOf(cell);
    if (!number)
        refuseValue(path, field, record, QStringLiteral("'%1' nie jest liczbą.").arg(cell.asText()));
    return number;
}

std::optional<Cell> numberOf(const Cell &cell)
{
    if (cell.kind == Cell::Integer || cell.kind == Cell::Real)
        return cell;
    if (cell.kind != Cell::Text)
        return std::nullopt;
    const QByteArray text = cell.bytes.trimmed();
    bool ok = false;
    const qint64 integer = text.toLongLong(&ok);
    if (ok)
        return Cell::integer(integer);
    const double real = text.toDouble(&ok);
    if (ok)
        return Cell::real(real);
    return std::nullopt;
}

StagedFile::StagedFile(const QString &path, const QByteArray &bytes, const QString &tablePath)
    : m_path(path), m_tablePath(tablePath)
{
    QString error = fileaccess::createTemporary(path, m_temporary);
    if (error.isEmpty()) {
        fileaccess::TemporaryFile file(path, m_temporary);
        file.write(bytes);
        if (!file.finish())
            error = file.failure();
    }
    if (!error.isEmpty()) {
        if (!m_temporary.isEmpty())
            QFile::remove(m_temporary);
        fail(error);
    }
}

void StagedFile::fail(const QString &reason) const
{
    throwTableError((m_path == m_tablePath ? QStringLiteral("The table can't be written: %1")
                                           : QStringLiteral("The memo file can't be written: %1"))
                        .arg(reason),
                    m_tablePath);
}

StagedFile::~StagedFile()
{
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
}

void StagedFile::commit()
{
    const QString error = fileaccess::commitTemporary(m_temporary, m_path);
    if (!error.isEmpty())
        fail(error);
    m_temporary.clear();
}

bool sameValue(const Cell &a, const Cell &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    const bool aNumber = a.kind == Cell::Integer || a.kind == Cell::Real;
    const bool bNumber = b.kind == Cell::Integer || b.kind == Cell::Real;
    if (aNumber && bNumber)
        return a.asDouble() == b.asDouble();
    return aNumber == bNumber && a.bytes == b.bytes;
}
