#include "catalog/CatalogLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace catalog {

namespace {

// A settings value as written: QSettings turns an unquoted value with commas into a list.
QString settingText(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

CatalogLocation CatalogLocation::localFile(const QString& path)
{
    CatalogLocation location;
    location.m_path = QFileInfo(path).absoluteFilePath();
    location.m_written = path;
    return location;
}

CatalogLocation CatalogLocation::parse(const QString& text, const QString& baseDir)
{
    const QString written = text.trimmed();
    // host: a name or address (starting with a letter or digit, without '/', ':' or blanks) or an IPv6 address in
    // brackets; then "/port" if any. "./dir:x.gdb" stays a file.
    static const QRegularExpression server(
        QStringLiteral("^(\\[[^\\]/\\s]+\\]|[A-Za-z0-9][^/\\\\:\\[\\]\\s]*)(?:/([^:]*))?:(.*)$"));
    const QRegularExpressionMatch match = server.match(written);
    if (!match.hasMatch()) {
        CatalogLocation location = localFile(QDir(baseDir).filePath(written));
        location.m_written = written;
        if (written.isEmpty())
            location.m_problem = QStringLiteral("no catalog location given");
        return location;
    }
    CatalogLocation location;
    location.m_written = written;
    location.m_host = match.captured(1);
    location.m_path = match.captured(3).trimmed();
    if (match.hasCaptured(2)) {
        bool ok = false;
        const int port = match.captured(2).toInt(&ok);
        if (ok && port > 0 && port <= 65535 && !match.captured(2).startsWith(QLatin1Char('+')))
            location.m_port = port;
        else
            location.m_problem = QStringLiteral("\"%1\" is not a port number").arg(match.captured(2));
    }
    if (location.m_problem.isEmpty() && location.m_path.isEmpty())
        location.m_problem = QStringLiteral("no database path after the host");
    return location;
}

QString CatalogLocation::settingsFile(const QProcessEnvironment& env)
{
    QString config = env.value(QStringLiteral("XDG_CONFIG_HOME"));
    // The XDG rule: a relative value is no value.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = env.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.config");
    return config + QStringLiteral("/velkorn/velkorn.ini");
}

CatalogLocation CatalogLocation::fromSettings(const QString& applicationDir, const QProcessEnvironment& env)
{
    const QSettings settings(settingsFile(env), QSettings::IniFormat);
    const QString configured = settingText(settings, QStringLiteral("catalog/database"));
    const QString overridden = env.value(QStringLiteral("VELKORN_DATABASE")).trimmed();
    CatalogLocation location;
    if (!overridden.isEmpty())
        location = parse(overridden, QDir::currentPath());
    else if (!configured.isEmpty())
        location = parse(configured, applicationDir);
    else
        location = localFile(QDir(applicationDir).filePath(QString::fromLatin1(FileName)));

    const QString user = settingText(settings, QStringLiteral("catalog/user"));
    if (!user.isEmpty())
        location.m_user = user;
    if (settings.contains(QStringLiteral("catalog/password")))
        location.m_password = settingText(settings, QStringLiteral("catalog/password"));
    if (env.contains(QStringLiteral("VELKORN_DATABASE_PASSWORD")))
        location.m_password = env.value(QStringLiteral("VELKORN_DATABASE_PASSWORD"));
    return location;
}

QString CatalogLocation::displayName() const
{
    if (!m_problem.isEmpty())
        return m_written;
    if (!isServer())
        return QDir::toNativeSeparators(m_path);
    return m_host + (m_port > 0 ? QStringLiteral("/%1").arg(m_port) : QString()) + QLatin1Char(':') + m_path;
}

QString CatalogLocation::localFolder() const
{
    return isServer() ? QString() : QFileInfo(m_path).absolutePath();
}

} // namespace catalog
