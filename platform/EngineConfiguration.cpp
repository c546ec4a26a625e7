#include "platform/EngineConfiguration.h"

#include "platform/EngineLocale.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdio>

namespace platform {

namespace {

// What the engine needs of its installation besides firebird.conf.
const char* const kEngineParts[] = {"plugins", "intl", "firebird.msg"};

// Makes `link` point at `target`; another process of ours may be doing the same at this moment, so the link is made
// under a name of its own and renamed into place.
bool pointLink(const QString& link, const QString& target)
{
    if (QFileInfo(link).symLinkTarget() == target)
        return true;
    const QString temporary = link + QStringLiteral(".%1").arg(QCoreApplication::applicationPid());
    QFile::remove(temporary);
    if (!QFile::link(target, temporary))
        return false;
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(link).constData()) != 0) {
        QFile::remove(temporary);
        return QFileInfo(link).symLinkTarget() == target;
    }
    return true;
}

bool writeIfChanged(const QString& path, const QByteArray& content)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == content)
        return true;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

} // namespace

QByteArray engineConfigurationText()
{
    return QByteArrayLiteral("# Written by the Velkorn catalog for its own processes at every start; edits are lost.\n"
                             "# Several processes may have one catalog file open at once.\n"
                             "ServerMode = SuperClassic\n"
                             "# An unreachable catalog server is reported after this many seconds, not three minutes.\n"
                             "ConnectionTimeout = 10\n");
}

QString configureEngine()
{
    pinEngineLocale();
    const QString installed = QStringLiteral(VELKORN_ENGINE_ROOT);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || !QFileInfo(installed + QStringLiteral("/plugins")).isDir())
        return {};
    const QString root = cache + QStringLiteral("/velkorn/engine");
    if (!QDir().mkpath(root))
        return {};
    for (const char* part : kEngineParts)
        if (!pointLink(root + QLatin1Char('/') + QLatin1String(part),
                       installed + QLatin1Char('/') + QLatin1String(part)))
            return {};
    if (!writeIfChanged(root + QStringLiteral("/firebird.conf"), engineConfigurationText()))
        return {};
    qputenv("FIREBIRD", QFile::encodeName(root));
    return root;
}

} // namespace platform
