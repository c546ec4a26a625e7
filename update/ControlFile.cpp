#include "update/ControlFile.h"

#include "i18n/IniFile.h"
#include "update/UpdateFormats.h"

ControlFile::ControlFile() = default;
ControlFile::~ControlFile() = default;

bool ControlFile::open(const QString& path)
{
    m_ini = std::make_unique<IniFile>(path);
    return m_ini->load();
}

void ControlFile::close()
{
    m_ini.reset();
}

QString ControlFile::path() const
{
    return m_ini ? m_ini->path() : QString();
}

QString ControlFile::text(const QString& section, const QString& key) const
{
    return m_ini ? m_ini->value(section, key) : QString();
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

int ControlFile::sectionCount() const
{
    return m_ini ? m_ini->sections().size() : 0;
}
