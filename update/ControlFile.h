#pragma once

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

namespace base {
class IniFile;
} // namespace base

namespace update {

// The local copy of the update control file, read with the profile-file rules and the control file's
// value types: text, integer (decimal, "0x" or "$" hex), flag (exactly 1) and presence (non-empty).
// Each section is held as a profile file of its own, so that a file with thousands of file sections
// is read in time proportional to its size.
class ControlFile
{
public:
    static constexpr qint64 MaxSize = 16 * 1024 * 1024;

    ControlFile();
    ~ControlFile();

    // Reads the file; false when it cannot be read or is larger than MaxSize (every key then yields its default).
    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_open; }
    QString path() const { return m_path; }

    QString text(const QString& section, const QString& key) const;
    qint32 integer(const QString& section, const QString& key, qint32 defaultValue) const;
    bool flag(const QString& section, const QString& key) const;
    bool present(const QString& section, const QString& key) const;
    int sectionCount() const { return m_sections.size(); }
    // The section and key of the first value longer than the profile reader's limit, which text() would answer cut
    // short; empty when there is none.
    std::optional<std::pair<QString, QString>> cutValue() const { return m_cutValue; }

private:
    QString m_path;
    bool m_open = false;
    QHash<QString, std::shared_ptr<base::IniFile>> m_sections; // by case-folded section name
    std::optional<std::pair<QString, QString>> m_cutValue;
};

} // namespace update
