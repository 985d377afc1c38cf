#include "IniFile.h"

#include "CodePage.h"
#include "Errors.h"
#include "FileAccess.h"
#include "Numbers.h"
#include "TextFile.h"

#include <QFile>

#include <exception>
#include <sys/stat.h>

namespace {

QString fold(const QString &name)
{
    return name.trimmed().toCaseFolded();
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
    parse(text);
    m_stamp = stamp;
    m_loaded = true;
}

void IniFile::Section::indexKeys()
{
    keyIndex.clear();
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        if (!lines[i].key.isEmpty() && !keyIndex.contains(lines[i].foldedKey))
            keyIndex.insert(lines[i].foldedKey, i);
    }
}

void IniFile::parse(const QString &text) const
{
    m_sections.clear();
    m_sections.emplace_back();
    for (const QString &line : textfile::splitLines(text)) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            Section section;
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            section.name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
            section.folded = fold(section.name);
            section.hasHeader = true;
            section.header = line;
            m_sections.push_back(std::move(section));
            continue;
        }
        Line entry;
        entry.text = line;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            entry.key = line.left(eq).trimmed();
            entry.foldedKey = entry.key.toCaseFolded();
        }
        m_sections.back().lines.push_back(std::move(entry));
    }
    for (Section &section : m_sections)
        section.indexKeys();
    indexSections();
}

void IniFile::indexSections() const
{
    m_sectionIndex.clear();
    for (int i = 1; i < static_cast<int>(m_sections.size()); ++i) {
        if (!m_sectionIndex.contains(m_sections[i].folded))
            m_sectionIndex.insert(m_sections[i].folded, i);
    }
}

const IniFile::Section *IniFile::findSection(const QString &section) const
{
    refresh();
    const auto it = m_sectionIndex.constFind(fold(section));
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[*it];
}

IniFile::Section *IniFile::findSection(const QString &section)
{
    return const_cast<Section *>(static_cast<const IniFile *>(this)->findSection(section));
}

const IniFile::Line *IniFile::findLine(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    if (!s)
        return nullptr;
    const auto it = s->keyIndex.constFind(fold(key));
    return it == s->keyIndex.constEnd() ? nullptr : &s->lines[*it];
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Line *line = findLine(section, key);
    if (!line)
        return defaultValue;
    return line->text.mid(line->text.indexOf(QLatin1Char('=')) + 1).trimmed();
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
    const Section *s = findSection(section);
    if (!s)
        return keys;
    for (int i = 0; i < static_cast<int>(s->lines.size()); ++i) {
        const Line &line = s->lines[i];
        // A repeated key is listed once, where it first stands.
        if (!line.key.isEmpty() && s->keyIndex.value(line.foldedKey) == i)
            keys.append(line.key);
    }
    return keys;
}

QStringList IniFile::sectionNames() const
{
    refresh();
    QStringList names;
    for (int i = 1; i < static_cast<int>(m_sections.size()); ++i) {
        if (m_sectionIndex.value(m_sections[i].folded) == i)
            names.append(m_sections[i].name);
    }
    return names;
}

bool IniFile::sectionExists(const QString &section) const
{
    return findSection(section) != nullptr;
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

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    if (!isFaithfulSection(section) || !isFaithfulKey(key) || hasLineBreak(value))
        throw Exception(QStringLiteral("Nie można zapisać klucza \"%1\" w sekcji \"%2\" pliku %3")
                            .arg(key, section, m_path));
    refresh();
    Section *s = findSection(section);
    if (!s) {
        Section added;
        added.name = section;
        added.folded = fold(section);
        added.hasHeader = true;
        added.header = QLatin1Char('[') + section + QLatin1Char(']');
        m_sections.push_back(std::move(added));
        m_sectionIndex.insert(m_sections.back().folded, static_cast<int>(m_sections.size()) - 1);
        s = &m_sections.back();
    }
    const auto it = s->keyIndex.constFind(fold(key));
    if (it != s->keyIndex.constEnd()) {
        Line &line = s->lines[*it];
        line.text = line.key + QLatin1Char('=') + value;
    } else {
        // After the section's last non-blank line, so that blank lines keep separating sections.
        int at = static_cast<int>(s->lines.size());
        while (at > 0 && s->lines[at - 1].text.trimmed().isEmpty())
            --at;
        s->lines.insert(s->lines.begin() + at, Line{key + QLatin1Char('=') + value, key, key.toCaseFolded()});
        s->indexKeys();
    }
    changed();
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

void IniFile::eraseSection(const QString &section)
{
    refresh();
    const QString folded = fold(section);
    const auto before = m_sections.size();
    for (auto it = m_sections.begin() + 1; it != m_sections.end();) {
        if (it->folded == folded)
            it = m_sections.erase(it);
        else
            ++it;
    }
    if (m_sections.size() == before)
        return;
    indexSections();
    changed();
}

void IniFile::deleteKey(const QString &section, const QString &key)
{
    Section *s = findSection(section);
    if (!s)
        return;
    const QString folded = fold(key);
    const auto before = s->lines.size();
    for (auto it = s->lines.begin(); it != s->lines.end();) {
        if (!it->key.isEmpty() && it->foldedKey == folded)
            it = s->lines.erase(it);
        else
            ++it;
    }
    if (s->lines.size() == before)
        return;
    s->indexKeys();
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
    QStringList lines;
    for (const Section &section : m_sections) {
        if (section.hasHeader)
            lines.append(section.header);
        for (const Line &line : section.lines)
            lines.append(line.text);
    }
    const QString error = fileaccess::replaceContent(m_path, textfile::encodeLines(lines));
    if (!error.isEmpty()) {
        // The file on disk is unchanged; read it again so that memory agrees with it.
        m_loaded = false;
        m_dirty = false;
        throw EIniFileException(m_path);
    }
    m_dirty = false;
    m_stamp = currentStamp();
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
