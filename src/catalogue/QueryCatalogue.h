#pragma once

#include "platform/IniFile.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Settings of the main window kept in the catalogue.
struct ShellSettings {
    int ostatniSql = 0;      // remembered list position of the current entry
    bool czyTworzyc = true;  // editing mode (false: restricted mode)
    int split1 = 220;        // width of the left panel in pixels
    bool ws = false;         // window maximized
};

// One result field's column in the print layout; width and sum as the user typed them.
struct FieldLayout {
    QString name;
    QString width;
    QString sum;
    bool operator==(const FieldLayout &o) const { return name == o.name && width == o.width && sum == o.sum; }
};

// The stored width and sum texts of one field of an entry's layout; nothing where a key is missing.
struct StoredField {
    std::optional<QString> width;
    std::optional<QString> sum;
};

// The values a print layout can be printed with: rows that hold their font, a page that holds a
// row, columns of sensible widths (a width of 0 prints nothing of its column).
struct LayoutLimits {
    static constexpr double kMinRowHeight = 2, kMaxRowHeight = 50; // millimetres
    static constexpr int kMinFontSize = 4, kMaxFontSize = 72;      // points
    static constexpr int kMaxColumnWidth = 1000;                   // millimetres
};

struct PrintLayout {
    int orientation = 0;       // 0 landscape ("POZIOMY"), 1 portrait ("PIONOWY")
    bool rowNumbers = false;
    bool rowLine = false;
    int fontSize = 8;          // points
    double rowHeight = 4.5;    // millimetres
    std::vector<FieldLayout> fields;
};

struct QueryEntry {
    QString title;
    QStringList sql;
    PrintLayout layout;
};

// An entry as the editor hands it over for saving: font size and row height are still the texts
// of their boxes and are converted by the save itself.
struct EntryForm {
    QString title;
    QStringList sql;
    int orientation = 0;
    bool rowNumbers = false;
    bool rowLine = false;
    QString fontSizeText;
    QString rowHeightText;
    std::vector<FieldLayout> fields;
};

// The query catalogue: the INI file sqls.ini beside the executable and one SQL text file per entry.
class QueryCatalogue {
public:
    static const QString fileNameInDirectory; // "sqls.ini"

    // Opens the catalogue file, creating its directory when missing.
    explicit QueryCatalogue(const QString &catalogueFile);

    const QString &fileName() const { return m_ini.fileName(); }
    // The catalogue directory with its trailing separator.
    const QString &directory() const { return m_directory; }
    // "sql" for sqls.ini: begins the names of text files and of the history log.
    const QString &prefix() const { return m_prefix; }
    IniFile &ini() { return m_ini; }
    const IniFile &ini() const { return m_ini; }

    QStringList loadTitles() const;
    // Whether the list of titles holds the title (without regard to case).
    bool contains(const QString &title) const;
    ShellSettings readSettings() const;
    void saveSettings(const ShellSettings &settings);

    // The full path of the title's SQL text file; empty when the catalogue names none.
    QString resolveTextFile(const QString &title) const;
    // A new bare file name, prefix + number + ".sql", naming no file of the directory and no file
    // that the catalogue already gives to a title.
    QString makeTextFileName() const;
    // The entry with the editor's defaults; textFound tells whether its SQL text file exists.
    QueryEntry readEntry(const QString &title, bool *textFound = nullptr) const;
    // The stored layout keys of one field of the title, read with no defaults: each reader applies
    // its own.
    StoredField storedField(const QString &title, const QString &field) const;
    void saveEntry(const EntryForm &entry);
    void deleteEntry(const QString &title);
    void saveOrder(const QStringList &titles);

    // Why a title cannot be saved (a Polish message), or an empty string when it can.
    QString titleProblem(const QString &title) const;
    // Why a field row cannot be stored faithfully, or an empty string when it can (rows without a
    // name are not stored and have no problem).
    static QString fieldProblem(const FieldLayout &field);
    // Why the title's layout cannot be printed with this font size and row height, or a column
    // with this width (a Polish message naming the title, the key and the value); empty when it
    // can.
    static QString rowProblem(const QString &title, int fontSize, double rowHeight);
    static QString columnWidthProblem(const QString &title, const QString &field, int width);

private:
    bool isOtherEntryKey(const QString &title, const QStringList &suffixes) const;

    IniFile m_ini;
    QString m_directory;
    QString m_prefix;
};

// The prefix of a catalogue file's name: its name before the first ".", cut or padded with "_"
// to three characters.
QString cataloguePrefix(const QString &catalogueFile);
