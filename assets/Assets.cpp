#include "assets/Assets.h"

#include <QFile>

namespace assets {

QString artPath(const QString& name)
{
    return QStringLiteral(":/art/") + name;
}

QByteArray readArt(const QString& name)
{
    QFile file(artPath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace assets
