#include "support/ApplicationCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

ApplicationCopy::ApplicationCopy(const QString& dir, const QStringList& extraFiles)
    : m_dir(dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/'))
{
    QDir().mkpath(m_dir + QStringLiteral("images"));
    const QStringList files =
        QStringList{QStringLiteral("velkorn"), QStringLiteral("velkorn-lookup"), QStringLiteral("tr.lng"),
                    QStringLiteral("en.lng"), QStringLiteral("de.lng")} +
        extraFiles;
    for (const QString& name : files) {
        const QString target = m_dir + name;
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(distFile(name), target))
            throw std::runtime_error("cannot copy " + name.toStdString() + " into " + m_dir.toStdString());
        // Copies of read-only build outputs stay writable, as an installed catalog is.
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    }
}

QString ApplicationCopy::distFile(const QString& name)
{
    return QStringLiteral(VELKORN_TEST_DIST_DIR "/") + name;
}

QProcessEnvironment ApplicationCopy::environment(const QString& language, QProcessEnvironment base) const
{
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    base.insert(QStringLiteral("VELKORN_LANGUAGE"), language);
    base.insert(QStringLiteral("VELKORN_UPDATE_UNATTENDED"), QStringLiteral("1"));
    base.insert(QStringLiteral("VELKORN_CATALOG_HOST"), QStringLiteral("127.0.0.1:1"));
    base.insert(QStringLiteral("VELKORN_UPDATE_HOST"), QStringLiteral("127.0.0.1:1"));
    base.insert(QStringLiteral("XDG_CONFIG_HOME"), settingsHome());
    base.remove(QStringLiteral("VELKORN_DATABASE"));
    base.remove(QStringLiteral("VELKORN_DATABASE_PASSWORD"));
    // The programs set up their database engine themselves, as when started from the desktop; not through a test
    // process that did it before them.
    base.remove(QStringLiteral("FIREBIRD"));
    base.insert(QStringLiteral("no_proxy"), QStringLiteral("*"));
    return base;
}

void ApplicationCopy::writeSettings(const QList<QPair<QString, QString>>& catalogKeys) const
{
    QDir().mkpath(settingsHome() + QStringLiteral("/velkorn"));
    QFile file(settingsHome() + QStringLiteral("/velkorn/velkorn.ini"));
    QByteArray text = "[catalog]\n";
    for (const auto& [key, value] : catalogKeys)
        text += key.toUtf8() + " = " + value.toUtf8() + "\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        throw std::runtime_error("cannot write " + file.fileName().toStdString());
}
