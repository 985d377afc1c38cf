#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A profile (INI) file with the semantics of the desktop's profile API that catalogues rely on:
// section and key names match without regard to case; keys list in file order; a write replaces a
// value in place, appends a new key at the end of its section and a new section at the end of the
// file; every write reaches the file at once, atomically. The text is Windows-1250 byte for byte.
//
// Damaged files read without complaint: lines that are neither a section header nor hold "=" are
// no keys, keys before the first section belong to no section, and of duplicate sections or keys
// the first wins. Lines the program does not change are written back as they were read.
//
// The file is read again whenever it changed on disk since this object last read or wrote it.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString &fileName() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    double readFloat(const QString &section, const QString &key, double defaultValue) const;
    // The key names of a section in file order; empty for a missing section.
    QStringList readSection(const QString &section) const;
    QStringList sectionNames() const;
    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;

    // Writers raise EIniFileException ("Unable to write to <path>") when the file can't be written.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeFloat(const QString &section, const QString &key, double value);
    // EIniFileException when read-only permissions keep the file from being written.
    void checkWritable() const;
    // Removes every section of that name with all its keys.
    void eraseSection(const QString &section);
    // Removes the key's lines from the section.
    void deleteKey(const QString &section, const QString &key);

    // Whether a name can be written as a key and read back unchanged.
    static bool isFaithfulKey(const QString &key);
    // Whether a name can be written as a section header and read back unchanged.
    static bool isFaithfulSection(const QString &section);

    // Groups writes into one write of the file, made when the outermost batch ends (at commit()
    // or destruction). A batch left by an exception still writes what was done before it, so that
    // the writes before a failure stay done; an error of that write then gives way to the first.
    class Batch {
    public:
        explicit Batch(IniFile &file);
        ~Batch() noexcept(false);
        void commit();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        IniFile &m_file;
        int m_uncaught;
        bool m_open = true;
    };

private:
    // A stretch of m_text: a line of the file without its line break.
    struct Line {
        quint32 begin = 0;
        quint32 length = 0;
    };
    // A section: its header line (none for the lines before the first header) and its lines,
    // m_lines[first, first + count).
    struct Section {
        Line header;
        bool hasHeader = false;
        quint32 first = 0;
        quint32 count = 0;
        // The first line (within the section) of each key, folded; made for long sections only,
        // so that a file of many small sections stays small in memory.
        mutable std::unique_ptr<QHash<QString, quint32>> keyIndex;
    };
    struct FileStamp {
        qint64 size = -1;
        qint64 mtimeNs = 0;
        quint64 inode = 0;
        bool operator==(const FileStamp &o) const
        {
            return size == o.size && mtimeNs == o.mtimeNs && inode == o.inode;
        }
    };

    void refresh() const;
    void parse(QString text) const;
    void splitLines(QString text) const;
    void sortSections() const;
    FileStamp currentStamp() const;
    QStringView textOf(const Line &line) const;
    QStringView nameOf(const Section &section) const;
    Line appendText(const QString &text);
    // The number of the first section of that name, the file read again when it changed; -1
    // when there is none.
    int findSection(const QString &section) const;
    // The same in the file as last read.
    int sectionNumber(QStringView section) const;
    // The number (in m_lines) of the first line of the key in the section; -1 when there is none.
    qint64 findKey(const Section &section, QStringView key) const;
    const Line *findLine(const QString &section, const QString &key) const;
    // Takes lines [from, from + n) of section s out.
    void removeLines(size_t s, quint32 from, quint32 n);
    void changed();
    void save();

    QString m_path;
    // The file's text, and after it the text of the lines that writes made.
    mutable QString m_text;
    mutable std::vector<Line> m_lines;
    mutable std::vector<Section> m_sections; // [0] holds the lines before the first header
    // Section numbers (from 1) in order of their names without case, in file order among equals.
    mutable std::vector<quint32> m_sectionOrder;
    mutable FileStamp m_stamp;
    mutable bool m_loaded = false;
    int m_batchDepth = 0;
    bool m_dirty = false;
};
