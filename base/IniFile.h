#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace base {

// A profile (INI) file read and written by the rules of the Windows profile
// functions: case-insensitive section and key names, blanks trimmed, one pair of
// enclosing quotes removed, values cut at 2,047 characters, sections and keys
// listed in file order, new entries appended at the end of their section.
// Text is Windows-1254 on disk and QString in memory.
class IniFile
{
public:
    static constexpr int MaxValueLength = 2047;
    // Section and key lists are read into a buffer of this many characters,
    // each name followed by a terminator, as the profile functions do.
    static constexpr int ListBufferSize = 16 * 1024;

    explicit IniFile(const QString& path);

    const QString& path() const { return m_path; }

    // Reads the file from disk; false (and an empty file) when it cannot be read.
    bool load();
    // Parses bytes as if they had been read from the file.
    void loadFromBytes(const QByteArray& bytes);
    // The file's content as it would be written to disk.
    QByteArray toBytes() const;

    QStringList sections() const;
    QStringList keys(const QString& section) const;
    bool contains(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // The section and key of the first entry whose value value() cuts; empty when none is cut. A reader that must
    // not act on half a value refuses the file instead.
    std::optional<std::pair<QString, QString>> firstCutEntry() const;

    // Writes key=value to disk at once: an existing key (any case) is changed in place,
    // a new one is appended at the end of its section; the section and the file are
    // created when missing. False when the file cannot be written.
    bool write(const QString& section, const QString& key, const QString& value);

    // Windows-1254 conversion used for the file's bytes.
    static QString fromCp1254(const QByteArray& bytes);
    static QByteArray toCp1254(const QString& text);

private:
    struct Line
    {
        enum Kind
        {
            Other,
            Section,
            Entry
        };
        QByteArray raw;
        Kind kind = Other;
        QString name;  // section name or key, trimmed
        QString value; // entry value, trimmed, quotes still on
    };

    static Line parseLine(const QByteArray& raw);
    // An entry's value as value() answers it before the cut: one pair of enclosing quotes removed.
    static QString unquoted(const QString& value);
    // Index of the entry for (section, key), or -1.
    int findEntry(const QString& section, const QString& key) const;
    bool save() const;

    QString m_path;
    bool m_byteOrderMark = false; // the file started with the UTF-8 mark
    QList<Line> m_lines;
};

} // namespace base
