#pragma once

#include <QString>

#include <memory>

class IniFile;

// The local copy of the update control file, read with the profile-file rules and the control file's
// value types: text, integer (decimal, "0x" or "$" hex), flag (exactly 1) and presence (non-empty).
class ControlFile
{
public:
    ControlFile();
    ~ControlFile();

    // Reads the file; false when it cannot be read (every key then yields its default).
    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_ini != nullptr; }
    QString path() const;

    QString text(const QString& section, const QString& key) const;
    qint32 integer(const QString& section, const QString& key, qint32 defaultValue) const;
    bool flag(const QString& section, const QString& key) const;
    bool present(const QString& section, const QString& key) const;
    int sectionCount() const;

private:
    std::unique_ptr<IniFile> m_ini;
};
