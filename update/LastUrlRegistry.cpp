#include "update/LastUrlRegistry.h"

#include <QSettings>

namespace update {

namespace {
QString groupOf(const TLastURLEntry& entry)
{
    QString group = entry.Key + '/' + entry.Section;
    group.replace('\\', '/');
    return group;
}

QSettings::Scope scopeOf(const TLastURLEntry& entry)
{
    return entry.RegRoot == lurLOCALMACHINE ? QSettings::SystemScope : QSettings::UserScope;
}
} // namespace

QString readLastUrlValue(const TLastURLEntry& entry, const QString& name)
{
    QSettings settings(QSettings::IniFormat, scopeOf(entry), "velkorn", "registry");
    return settings.value(groupOf(entry) + '/' + name).toString();
}

void writeLastUrlValue(const TLastURLEntry& entry, const QString& name, const QString& value)
{
    QSettings settings(QSettings::IniFormat, scopeOf(entry), "velkorn", "registry");
    settings.setValue(groupOf(entry) + '/' + name, value);
}

} // namespace update
