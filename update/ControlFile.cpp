#include "update/ControlFile.h"

#include "base/IniFile.h"
#include "update/UpdateFormats.h"

#include <QFile>
#include <QList>

using base::IniFile;

namespace update {

ControlFile::ControlFile() = default;
ControlFile::~ControlFile() = default;

bool ControlFile::open(const QString& path)
{
    close();
    m_path = path;
    QFile file(path);
    // A real control file is a few kilobytes; one far beyond that is not read, so that a hostile server
    // cannot make the engine hold gigabytes in memory.
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxSize)
        return false;
    QByteArray content = file.readAll();
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);

    // Cut the text at every section header (the profile rules: a trimmed line starting with "["); sections
    // of the same name are joined, as the profile reader treats them as one.
    QHash<QString, QByteArray> chunks;
    QList<QString> order;
    QString current;
    bool inSection = false;
    for (const QByteArray& line : content.split('\n')) {
        const QString text = IniFile::fromCp1254(line).trimmed();
        if (text.startsWith('[')) {
            IniFile header(QString{});
            header.loadFromBytes(line);
            current = header.sections().value(0).toCaseFolded();
            inSection = true;
            if (!chunks.contains(current))
                order.append(current);
        }
        if (inSection) {
            QByteArray& chunk = chunks[current];
            chunk.append(line);
            chunk.append('\n');
        }
    }
    for (const QString& name : order) {
        auto ini = std::make_shared<IniFile>(path);
        ini->loadFromBytes(chunks.value(name));
        if (!m_cutValue)
            m_cutValue = ini->firstCutEntry();
        m_sections.insert(name, ini);
    }
    m_open = true;
    return true;
}

void ControlFile::close()
{
    m_sections.clear();
    m_cutValue.reset();
    m_open = false;
}

QString ControlFile::text(const QString& section, const QString& key) const
{
    const auto it = m_sections.constFind(section.toCaseFolded());
    return it == m_sections.constEnd() ? QString() : (*it)->value(section, key);
}

qint32 ControlFile::integer(const QString& section, const QString& key, qint32 defaultValue) const
{
    return update::parseInteger(text(section, key)).value_or(defaultValue);
}

bool ControlFile::flag(const QString& section, const QString& key) const
{
    return integer(section, key, 0) == 1;
}

bool ControlFile::present(const QString& section, const QString& key) const
{
    return !text(section, key).isEmpty();
}

} // namespace update
