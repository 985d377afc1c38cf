#include "QueryCatalogue.h"

#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

namespace {

const QString kTitles = QStringLiteral("NAZWA_SQL");
const QString kFiles = QStringLiteral("FILES");
const QString kLayout = QStringLiteral("UKLAD");
const QString kOstatniSql = QStringLiteral("ostatniSql");
const QString kCzyTworzyc = QStringLiteral("czyTworzyc");
const QString kSplit1 = QStringLiteral("Split1");
const QString kWs = QStringLiteral("ws");

// Sections of an entry's field rows, and keys of its layout in UKLAD, are its title and a suffix.
const QString kWidths = QStringLiteral("_SZER");
const QString kSums = QStringLiteral("_SUMA");
const QString kRowNumbers = QStringLiteral("_LP");
const QString kRowLine = QStringLiteral("_LINIA");
const QString kFontSize = QStringLiteral("_FONT");
const QString kRowHeight = QStringLiteral("_WYS");
const QStringList kFieldSectionSuffixes = {kWidths, kSums};
const QStringList kLayoutKeySuffixes = {kRowNumbers, kRowLine, kFontSize, kRowHeight};

QString widthSection(const QString &title) { return title + kWidths; }
QString sumSection(const QString &title) { return title + kSums; }

bool sameName(const QString &a, const QString &b)
{
    return a.toCaseFolded() == b.toCaseFolded();
}

bool isOneOf(const QString &name, const QStringList &names)
{
    for (const QString &n : names) {
        if (sameName(name, n))
            return true;
    }
    return false;
}

const QStringList &reservedSections()
{
    static const QStringList names = {kTitles, kFiles, kLayout};
    return names;
}

const QStringList &settingKeys()
{
    static const QStringList names = {kOstatniSql, kCzyTworzyc, kSplit1, kWs};
    return names;
}

QStringList withSuffixes(const QString &title, const QStringList &suffixes)
{
    QStringList names;
    for (const QString &suffix : suffixes)
        names.append(title + suffix);
    return names;
}

} // namespace

const QString QueryCatalogue::fileNameInDirectory = QStringLiteral("sqls.ini");

QString cataloguePrefix(const QString &catalogueFile)
{
    QString name = QFileInfo(catalogueFile).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name.left(3).leftJustified(3, QLatin1Char('_'));
}

QueryCatalogue::QueryCatalogue(const QString &catalogueFile)
    : m_ini(catalogueFile),
      m_directory(paths::ensureTrailingSeparator(QFileInfo(catalogueFile).path())),
      m_prefix(cataloguePrefix(catalogueFile))
{
    QDir().mkpath(m_directory);
}

QStringList QueryCatalogue::loadTitles() const
{
    return m_ini.readSection(kTitles);
}

bool QueryCatalogue::contains(const QString &title) const
{
    return m_ini.valueExists(kTitles, title);
}

StoredField QueryCatalogue::storedField(const QString &title, const QString &field) const
{
    const auto stored = [&](const QString &section) {
        return m_ini.valueExists(section, field) ? std::optional<QString>(m_ini.readString(section, field, QString()))
                                                 : std::nullopt;
    };
    return {stored(widthSection(title)), stored(sumSection(title))};
}

ShellSettings QueryCatalogue::readSettings() const
{
    ShellSettings settings;
    settings.ostatniSql = m_ini.readInteger(kLayout, kOstatniSql, 0);
    settings.czyTworzyc = m_ini.readBool(kLayout, kCzyTworzyc, true);
    settings.split1 = m_ini.readInteger(kLayout, kSplit1, 220);
    settings.ws = m_ini.readBool(kLayout, kWs, false);
    return settings;
}

void QueryCatalogue::saveSettings(const ShellSettings &settings)
{
    IniFile::Batch batch(m_ini);
    m_ini.writeInteger(kLayout, kOstatniSql, settings.ostatniSql);
    m_ini.writeInteger(kLayout, kSplit1, settings.split1);
    m_ini.writeBool(kLayout, kWs, settings.ws);
    m_ini.writeBool(kLayout, kCzyTworzyc, settings.czyTworzyc);
}

QString QueryCatalogue::resolveTextFile(const QString &title) const
{
    const QString stored = m_ini.readString(kFiles, title, QString());
    // A NUL can name no file (and the file system functions would complain of it on their own).
    if (stored.isEmpty() || stored.contains(QChar(0)))
        return {};
    const QString path = paths::isAbsolute(stored) ? stored : paths::join(m_directory, stored);
    if (const auto found = paths::findExisting(path))
        return *found;
    // A file still to be made: the name as this system writes paths.
    return paths::isAbsolute(stored) && !stored.startsWith(QLatin1Char('/'))
        ? path
        : QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString QueryCatalogue::makeTextFileName() const
{
    QSet<QString> taken;
    for (const QString &entry : QDir(m_directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
        taken.insert(entry.toCaseFolded());
    for (const QString &title : m_ini.readSection(kFiles))
        taken.insert(m_ini.readString(kFiles, title, QString()).toCaseFolded());

    const auto nameFor = [this](int n) { return m_prefix + QString::number(n) + QStringLiteral(".sql"); };
    constexpr int kNames = 99999;
    QRandomGenerator *random = QRandomGenerator::system();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString name = nameFor(static_cast<int>(random->bounded(kNames)));
        if (!taken.contains(name.toCaseFolded()))
            return name;
    }
    // An almost full directory: walk every number once from a random start.
    const int start = static_cast<int>(random->bounded(kNames));
    for (int i = 0; i < kNames; ++i) {
        const QString name = nameFor((start + i) % kNames);
        if (!taken.contains(name.toCaseFolded()))
            return name;
    }
    throw Exception(QStringLiteral("\r\nBrak wolnej nazwy pliku dla treści zapytania w katalogu %1").arg(m_directory));
}

QueryEntry QueryCatalogue::readEntry(const QString &title, bool *textFound) const
{
    QueryEntry entry;
    entry.title = title;
    const QString path = resolveTextFile(title);
    const bool found = !path.isEmpty() && QFileInfo(path).isFile();
    if (found)
        entry.sql = textfile::readLines(path);
    if (textFound)
        *textFound = found;

    PrintLayout &layout = entry.layout;
    layout.orientation = m_ini.readInteger(kLayout, title, 0);
    layout.rowNumbers = m_ini.readInteger(kLayout, title + kRowNumbers, 0) == 1;
    layout.rowLine = m_ini.readBool(kLayout, title + kRowLine, false);
    layout.fontSize = m_ini.readInteger(kLayout, title + kFontSize, 8);
    layout.rowHeight = m_ini.readFloat(kLayout, title + kRowHeight, 4.5);
    for (const QString &field : m_ini.readSection(widthSection(title))) {
        layout.fields.push_back({field, m_ini.readString(widthSection(title), field, QString()),
                                 m_ini.readString(sumSection(title), field, QString())});
    }
    return entry;
}

bool QueryCatalogue::isOtherEntryKey(const QString &title, const QStringList &suffixes) const
{
    for (const QString &other : loadTitles()) {
        if (!sameName(other, title) && isOneOf(title, withSuffixes(other, suffixes)))
            return true;
    }
    return false;
}

QString QueryCatalogue::titleProblem(const QString &title) const
{
    if (title.isEmpty())
        return QStringLiteral("\r\nTytuł wydruku nie może być pusty");
    if (title != title.trimmed())
        return QStringLiteral("\r\nTytuł wydruku nie może zaczynać się ani kończyć odstępem");
    if (title.contains(QLatin1Char('\r')) || title.contains(QLatin1Char('\n')))
        return QStringLiteral("\r\nTytuł wydruku nie może zawierać końca wiersza");
    if (title.contains(QLatin1Char('=')) || title.contains(QLatin1Char(']')))
        return QStringLiteral("\r\nTytuł wydruku nie może zawierać znaku \"=\" ani \"]\"");
    if (title.startsWith(QLatin1Char('[')))
        return QStringLiteral("\r\nTytuł wydruku nie może zaczynać się znakiem \"[\"");
    const QString bad = cp1250::firstUnencodable(title);
    if (!bad.isEmpty())
        return QStringLiteral("\r\nTytuł wydruku zawiera znak \"%1\", którego nie można zapisać w katalogu").arg(bad);
    if (isOneOf(title, reservedSections()) || isOneOf(title, settingKeys()))
        return QStringLiteral("\r\nTytuł wydruku \"%1\" jest zastrzeżony dla ustawień katalogu").arg(title);
    const QStringList allSuffixes = kFieldSectionSuffixes + kLayoutKeySuffixes;
    for (const QString &other : loadTitles()) {
        if (sameName(other, title))
            continue;
        if (isOneOf(title, withSuffixes(other, allSuffixes)) || isOneOf(other, withSuffixes(title, allSuffixes)))
            return QStringLiteral("\r\nTytuł wydruku \"%1\" koliduje z ustawieniami zapytania \"%2\"").arg(title, other);
    }
    return {};
}

QString QueryCatalogue::fieldProblem(const FieldLayout &field)
{
    if (field.name.isEmpty())
        return {};
    if (!IniFile::isFaithfulKey(field.name))
        return QStringLiteral("\r\nNazwy pola \"%1\" nie można zapisać w układzie wydruku: "
                              "nadaj tej kolumnie w zapytaniu prostą nazwę (AS NAZWA)")
            .arg(field.name);
    for (const QString &value : {field.width, field.sum}) {
        if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')) || !cp1250::canEncode(value))
            return QStringLiteral("\r\nWartości \"%1\" pola %2 nie można zapisać w układzie wydruku")
                .arg(value, field.name);
    }
    return {};
}

QString QueryCatalogue::rowProblem(const QString &title, int fontSize, double rowHeight)
{
    const QString where = QStringLiteral("w układzie wydruku \"%1\" (klucz %2 w sekcji [%3])");
    if (!(rowHeight >= LayoutLimits::kMinRowHeight && rowHeight <= LayoutLimits::kMaxRowHeight))
        return QStringLiteral("\r\nWysokość wiersza %1 wynosi %2 mm, a musi wynosić od %3 do %4 mm")
            .arg(where.arg(title, title + kRowHeight, kLayout), numbers::formatFloat(rowHeight),
                 numbers::formatFloat(LayoutLimits::kMinRowHeight), numbers::formatFloat(LayoutLimits::kMaxRowHeight));
    if (fontSize < LayoutLimits::kMinFontSize || fontSize > LayoutLimits::kMaxFontSize)
        return QStringLiteral("\r\nCzcionka %1 ma %2 pkt, a musi mieć od %3 do %4 pkt")
            .arg(where.arg(title, title + kFontSize, kLayout))
            .arg(fontSize)
            .arg(LayoutLimits::kMinFontSize)
            .arg(LayoutLimits::kMaxFontSize);
    // The letters' full height must fit in a row, or the rows print slivers of them.
    constexpr double kMmPerPoint = 25.4 / 72;
    if (fontSize * kMmPerPoint > rowHeight)
        return QStringLiteral("\r\nCzcionka %1 pkt %2 nie mieści się w wierszu wysokości %3 mm (klucz %4): "
                              "zmniejsz czcionkę albo zwiększ wysokość wiersza")
            .arg(fontSize)
            .arg(where.arg(title, title + kFontSize, kLayout), numbers::formatFloat(rowHeight), title + kRowHeight);
    return {};
}

QString QueryCatalogue::columnWidthProblem(const QString &title, const QString &field, int width)
{
    if (width >= 0 && width <= LayoutLimits::kMaxColumnWidth)
        return {};
    return QStringLiteral("\r\nSzerokość kolumny %1 w układzie wydruku \"%2\" (klucz %1 w sekcji [%3]) wynosi %4 mm, "
                          "a musi wynosić od 0 do %5 mm")
        .arg(field, title, widthSection(title))
        .arg(width)
        .arg(LayoutLimits::kMaxColumnWidth);
}

void QueryCatalogue::saveEntry(const EntryForm &entry)
{
    const QString &title = entry.title;
    QString problem = titleProblem(title);
    // Every field row is checked before anything is written, so that a refused row never leaves
    // the stored layout cut short; so are the font size and row height that convert.
    for (auto field = entry.fields.cbegin(); problem.isEmpty() && field != entry.fields.cend(); ++field) {
        problem = fieldProblem(*field);
        const std::optional<int> width = numbers::tryParseInt(field->width);
        if (problem.isEmpty() && !field->name.isEmpty() && width)
            problem = columnWidthProblem(title, field->name, *width);
    }
    const std::optional<int> fontSize = numbers::tryParseInt(entry.fontSizeText);
    const std::optional<double> rowHeight = numbers::tryParseFloat(entry.rowHeightText);
    if (problem.isEmpty() && fontSize && rowHeight)
        problem = rowProblem(title, *fontSize, *rowHeight);
    if (!problem.isEmpty())
        throw Exception(problem);

    // One write of the catalogue, after the text file: a save cut short leaves the catalogue as it
    // was. A text file that cannot be written still leaves the title listed.
    m_ini.checkWritable();
    IniFile::Batch batch(m_ini);
    m_ini.writeString(kTitles, title, QString());
    m_ini.eraseSection(title);
    QString fileName = m_ini.readString(kFiles, title, QString());
    if (fileName.isEmpty())
        fileName = makeTextFileName();
    m_ini.writeString(kFiles, title, fileName);
    textfile::writeLines(resolveTextFile(title), entry.sql);

    m_ini.writeInteger(kLayout, title, entry.orientation);
    m_ini.writeInteger(kLayout, title + kRowNumbers, entry.rowNumbers ? 1 : 0);
    m_ini.writeBool(kLayout, title + kRowLine, entry.rowLine);
    m_ini.writeInteger(kLayout, title + kFontSize, numbers::parseInt(entry.fontSizeText));
    m_ini.writeFloat(kLayout, title + kRowHeight, numbers::parseFloat(entry.rowHeightText));
    m_ini.eraseSection(widthSection(title));
    m_ini.eraseSection(sumSection(title));
    for (const FieldLayout &field : entry.fields) {
        if (field.name.isEmpty())
            continue;
        m_ini.writeString(widthSection(title), field.name, field.width);
        m_ini.writeString(sumSection(title), field.name, field.sum);
    }
}

void QueryCatalogue::deleteEntry(const QString &title)
{
    // A hand-edited catalogue may hold a title that names a setting or another entry's keys:
    // those are left alone.
    const bool ownSection = !isOneOf(title, reservedSections()) && !isOtherEntryKey(title, kFieldSectionSuffixes);
    const bool ownOrientation = !isOneOf(title, settingKeys()) && !isOtherEntryKey(title, kLayoutKeySuffixes);
    const QString path = resolveTextFile(title);
    bool fileShared = false;
    for (const QString &other : loadTitles()) {
        if (!sameName(other, title) && !path.isEmpty() && resolveTextFile(other) == path)
            fileShared = true;
    }

    {
        IniFile::Batch batch(m_ini);
        if (ownSection)
            m_ini.eraseSection(title);
        m_ini.eraseSection(widthSection(title));
        m_ini.eraseSection(sumSection(title));
        if (ownOrientation)
            m_ini.deleteKey(kLayout, title);
        m_ini.deleteKey(kTitles, title);
    }
    if (!path.isEmpty() && !fileShared && QFileInfo(path).isFile())
        QFile::remove(path);
}

void QueryCatalogue::saveOrder(const QStringList &titles)
{
    IniFile::Batch batch(m_ini);
    m_ini.eraseSection(kTitles);
    for (const QString &title : titles)
        m_ini.writeString(kTitles, title, QString());
}
