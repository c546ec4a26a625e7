#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace platform {

namespace {
DesktopOpener& installedOpener()
{
    static DesktopOpener opener;
    return opener;
}

QString withSlash(QString dir)
{
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
}
} // namespace

QString executableDir()
{
    if (QCoreApplication::instance())
        return withSlash(QCoreApplication::applicationDirPath());
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return withSlash(QDir::currentPath());
    buf[n] = 0;
    return withSlash(QFileInfo(QString::fromLocal8Bit(buf)).absolutePath());
}

qint64 currentProcessId()
{
    return static_cast<qint64>(::getpid());
}

bool processExists(qint64 pid)
{
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool startDetached(const QString& program, const QStringList& arguments, const QString& workingDir)
{
    // QProcess::startDetached double-forks and calls setsid on Unix.
    return QProcess::startDetached(program, arguments, workingDir);
}

bool openWithDesktop(const QString& urlOrPath)
{
    const QUrl url = urlOrPath.contains("://") ? QUrl(urlOrPath) : QUrl::fromLocalFile(urlOrPath);
    if (installedOpener())
        return installedOpener()(url);
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString()});
}

void setDesktopOpener(DesktopOpener opener)
{
    installedOpener() = std::move(opener);
}

QString tempDir()
{
    return withSlash(QDir::tempPath());
}

QString windowsDir()
{
    return QStringLiteral("/etc/");
}

QString systemDir()
{
    return QStringLiteral("/usr/lib/");
}

QString programFilesDir()
{
    return QStringLiteral("/opt/");
}

} // namespace platform
