#include "IniFile.h"

#include "CodePage.h"
#include "Errors.h"
#include "FileAccess.h"
#include "Numbers.h"
#include "TextFile.h"

#include <QFile>

#include <algorithm>
#include <exception>
#include <sys/stat.h>

namespace {

// The key of a line: the trimmed text before its "="; empty for a line that holds no key.
QStringView keyOf(QStringView line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QStringView() : line.left(eq).trimmed();
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

// ---- reading ---------------------------------------------------------------------------------

IniFile::FileStamp IniFile::currentStamp() const
{
    struct stat st;
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return {};
    return {static_cast<qint64>(st.st_size), static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<quint64>(st.st_ino)};
}

void IniFile::refresh() const
{
    if (m_batchDepth > 0 && m_loaded)
        return;
    const FileStamp stamp = currentStamp();
    if (m_loaded && stamp == m_stamp)
        return;
    QString text;
    if (stamp.size >= 0) {
        try {
            text = cp1250::decode(fileaccess::readAll(m_path));
        } catch (const EFOpenError &) {
            // An unreadable catalogue reads as an empty one, like a missing one.
        }
    }
    parse(std::move(text));
    m_stamp = stamp;
    m_loaded = true;
}

void IniFile::parse(QString text) const
{
    splitLines(std::move(text));
    sortSections();
}

void IniFile::splitLines(QString text) const
{
    // The lines are stretches of the text itself: a catalogue of many small sections takes a few
    // times its size, not a string or two per line.
    m_text = std::move(text);
    m_lines.clear();
    m_sections.clear();
    m_sections.emplace_back();
    const QChar *p = m_text.constData();
    const qsizetype n = m_text.size();
    qsizetype start = 0;
    const auto addLine = [&](qsizetype end) {
        const Line line{static_cast<quint32>(start), static_cast<quint32>(end - start)};
        if (textOf(line).trimmed().startsWith(QLatin1Char('['))) {
            Section section;
            section.header = line;
            section.hasHeader = true;
            section.first = static_cast<quint32>(m_lines.size());
            m_sections.push_back(std::move(section));
        } else {
            m_lines.push_back(line);
            ++m_sections.back().count;
        }
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] != QLatin1Char('\r') && p[i] != QLatin1Char('\n'))
            continue;
        addLine(i);
        if (p[i] == QLatin1Char('\r') && i + 1 < n && p[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        addLine(n);
}

void IniFile::sortSections() const
{
    m_sectionOrder.resize(m_sections.size() - 1);
    for (size_t i = 0; i < m_sectionOrder.size(); ++i)
        m_sectionOrder[i] = static_cast<quint32>(i + 1);
    std::stable_sort(m_sectionOrder.begin(), m_sectionOrder.end(), [this](quint32 a, quint32 b) {
        return nameOf(m_sections[a]).compare(nameOf(m_sections[b]), Qt::CaseInsensitive) < 0;
    });
}

QStringView IniFile::textOf(const Line &line) const
{
    return QStringView(m_text).mid(line.begin, line.length);
}

QStringView IniFile::nameOf(const Section &section) const
{
    const QStringView header = textOf(section.header).trimmed();
    const qsizetype close = header.indexOf(QLatin1Char(']'));
    return header.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

int IniFile::findSection(const QString &section) const
{
    refresh();
    return sectionNumber(section);
}

int IniFile::sectionNumber(QStringView section) const
{
    const QStringView name = section.trimmed();
    const auto it = std::lower_bound(m_sectionOrder.begin(), m_sectionOrder.end(), name, [this](quint32 s, QStringView n) {
        return nameOf(m_sections[s]).compare(n, Qt::CaseInsensitive) < 0;
    });
    return it != m_sectionOrder.end() && nameOf(m_sections[*it]).compare(name, Qt::CaseInsensitive) == 0 ? static_cast<int>(*it)
                                                                                                       : -1;
}

qint64 IniFile::findKey(const Section &section, QStringView key) const
{
    key = key.trimmed();
    if (key.isEmpty())
        return -1;
    constexpr quint32 kIndexedFrom = 16;
    if (section.count < kIndexedFrom) {
        for (quint32 i = 0; i < section.count; ++i) {
            if (keyOf(textOf(m_lines[section.first + i])).compare(key, Qt::CaseInsensitive) == 0)
                return section.first + i;
        }
        return -1;
    }
    if (!section.keyIndex) {
        section.keyIndex = std::make_unique<QHash<QString, quint32>>();
        // From the last line up, so that the first line of a repeated key is the one kept.
        for (quint32 i = section.count; i-- > 0;) {
            const QStringView k = keyOf(textOf(m_lines[section.first + i]));
            if (!k.isEmpty())
                section.keyIndex->insert(k.toString().toCaseFolded(), i);
        }
    }
    const auto it = section.keyIndex->constFind(key.toString().toCaseFolded());
    return it == section.keyIndex->constEnd() ? -1 : qint64(section.first) + *it;
}

const IniFile::Line *IniFile::findLine(const QString &section, const QString &key) const
{
    const int s = findSection(section);
    if (s < 0)
        return nullptr;
    const qint64 line = findKey(m_sections[static_cast<size_t>(s)], key);
    return line < 0 ? nullptr : &m_lines[static_cast<size_t>(line)];
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Line *line = findLine(section, key);
    if (!line)
        return defaultValue;
    const QStringView text = textOf(*line);
    return text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed().toString();
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    return numbers::tryParseInt(readString(section, key, QString())).value_or(defaultValue);
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double IniFile::readFloat(const QString &section, const QString &key, double defaultValue) const
{
    return numbers::tryParseFloat(readString(section, key, QString())).value_or(defaultValue);
}

QStringList IniFile::readSection(const QString &section) const
{
    QStringList keys;
    const int s = findSection(section);
    if (s < 0)
        return keys;
    const Section &found = m_sections[static_cast<size_t>(s)];
    for (quint32 i = 0; i < found.count; ++i) {
        const QStringView key = keyOf(textOf(m_lines[found.first + i]));
        // A repeated key is listed once, where it first stands.
        if (!key.isEmpty() && findKey(found, key) == found.first + i)
            keys.append(key.toString());
    }
    return keys;
}

QStringList IniFile::sectionNames() const
{
    refresh();
    QStringList names;
    for (size_t i = 1; i < m_sections.size(); ++i) {
        const QStringView name = nameOf(m_sections[i]);
        if (sectionNumber(name) == static_cast<int>(i))
            names.append(name.toString());
    }
    return names;
}

bool IniFile::sectionExists(const QString &section) const
{
    return findSection(section) >= 0;
}

bool IniFile::valueExists(const QString &section, const QString &key) const
{
    return findLine(section, key) != nullptr;
}

// ---- writing ---------------------------------------------------------------------------------

bool IniFile::isFaithfulKey(const QString &key)
{
    return !key.isEmpty() && key == key.trimmed() && !key.contains(QLatin1Char('='))
        && !key.startsWith(QLatin1Char('[')) && !hasLineBreak(key) && cp1250::canEncode(key);
}

bool IniFile::isFaithfulSection(const QString &section)
{
    return !section.isEmpty() && section == section.trimmed() && !section.contains(QLatin1Char(']'))
        && !hasLineBreak(section) && cp1250::canEncode(section);
}

IniFile::Line IniFile::appendText(const QString &text)
{
    const Line line{static_cast<quint32>(m_text.size()), static_cast<quint32>(text.size())};
    m_text += text;
    return line;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    if (!isFaithfulSection(section) || !isFaithfulKey(key) || hasLineBreak(value))
        throw Exception(QStringLiteral("Nie można zapisać klucza \"%1\" w sekcji \"%2\" pliku %3")
                            .arg(key, section, m_path));
    refresh();
    int s = findSection(section);
    if (s < 0) {
        Section added;
        added.header = appendText(QLatin1Char('[') + section + QLatin1Char(']'));
        added.hasHeader = true;
        added.first = static_cast<quint32>(m_lines.size());
        m_sections.push_back(std::move(added));
        sortSections();
        s = static_cast<int>(m_sections.size()) - 1;
    }
    Section &target = m_sections[static_cast<size_t>(s)];
    const qint64 existing = findKey(target, key);
    if (existing >= 0) {
        Line &line = m_lines[static_cast<size_t>(existing)];
        line = appendText(keyOf(textOf(line)).toString() + QLatin1Char('=') + value);
    } else {
        // After the section's last non-blank line, so that blank lines keep separating sections.
        quint32 at = target.first + target.count;
        while (at > target.first && textOf(m_lines[at - 1]).trimmed().isEmpty())
            --at;
        m_lines.insert(m_lines.begin() + at, appendText(key + QLatin1Char('=') + value));
        ++target.count;
        // Only blank lines follow the new one, so the index of the keys before it holds.
        if (target.keyIndex)
            target.keyIndex->insert(key.toCaseFolded(), at - target.first);
        for (size_t later = static_cast<size_t>(s) + 1; later < m_sections.size(); ++later)
            ++m_sections[later].first;
    }
    changed();
}

void IniFile::checkWritable() const
{
    if (!fileaccess::readOnlyError(m_path).isEmpty())
        throw EIniFileException(m_path);
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeFloat(const QString &section, const QString &key, double value)
{
    writeString(section, key, numbers::formatFloat(value));
}

void IniFile::removeLines(size_t s, quint32 from, quint32 n)
{
    m_lines.erase(m_lines.begin() + from, m_lines.begin() + from + n);
    m_sections[s].count -= n;
    m_sections[s].keyIndex.reset();
    for (size_t later = s + 1; later < m_sections.size(); ++later)
        m_sections[later].first -= n;
}

void IniFile::eraseSection(const QString &section)
{
    refresh();
    const QStringView name = QStringView(section).trimmed();
    bool erased = false;
    for (size_t s = m_sections.size(); s-- > 1;) {
        if (nameOf(m_sections[s]).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        removeLines(s, m_sections[s].first, m_sections[s].count);
        m_sections.erase(m_sections.begin() + static_cast<qsizetype>(s));
        erased = true;
    }
    if (!erased)
        return;
    sortSections();
    changed();
}

void IniFile::deleteKey(const QString &section, const QString &key)
{
    const int s = findSection(section);
    if (s < 0)
        return;
    const QStringView wanted = QStringView(key).trimmed();
    bool deleted = false;
    for (quint32 i = m_sections[static_cast<size_t>(s)].count; i-- > 0;) {
        const quint32 line = m_sections[static_cast<size_t>(s)].first + i;
        const QStringView k = keyOf(textOf(m_lines[line]));
        if (!k.isEmpty() && k.compare(wanted, Qt::CaseInsensitive) == 0) {
            removeLines(static_cast<size_t>(s), line, 1);
            deleted = true;
        }
    }
    if (deleted)
        changed();
}

void IniFile::changed()
{
    m_dirty = true;
    if (m_batchDepth == 0)
        save();
}

void IniFile::save()
{
    QString text;
    text.reserve(m_text.size());
    const auto add = [&](const Line &line) {
        text += textOf(line);
        text += QLatin1String("\r\n");
    };
    for (const Section &section : m_sections) {
        if (section.hasHeader)
            add(section.header);
        for (quint32 i = 0; i < section.count; ++i)
            add(m_lines[section.first + i]);
    }
    const QString error = fileaccess::replaceContent(m_path, cp1250::encode(text));
    if (!error.isEmpty()) {
        // The file on disk is unchanged; read it again so that memory agrees with it.
        m_loaded = false;
        m_dirty = false;
        throw EIniFileException(m_path);
    }
    m_dirty = false;
    m_stamp = currentStamp();
    // What writes left behind in the text is dropped. The saved text holds the same sections in
    // the same order, so their sorted order stands.
    splitLines(std::move(text));
}

IniFile::Batch::Batch(IniFile &file) : m_file(file), m_uncaught(std::uncaught_exceptions())
{
    m_file.refresh();
    ++m_file.m_batchDepth;
}

void IniFile::Batch::commit()
{
    if (!m_open)
        return;
    m_open = false;
    if (--m_file.m_batchDepth == 0 && m_file.m_dirty)
        m_file.save();
}

IniFile::Batch::~Batch() noexcept(false)
{
    if (std::uncaught_exceptions() == m_uncaught) {
        commit();
        return;
    }
    try {
        commit();
    } catch (const Exception &) {
        // Another error is unwinding the stack: that one is reported.
    }
}
