#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

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
    const QString program = executablePath();
    if (program.isEmpty())
        return withSlash(QDir::currentPath());
    return withSlash(QFileInfo(program).absolutePath());
}

QString executablePath()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    buf[n] = 0;
    return QFile::decodeName(buf);
}

bool isRunningImage(const QString& path)
{
    struct stat running = {}, named = {};
    if (::stat("/proc/self/exe", &running) != 0 || ::stat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return running.st_dev == named.st_dev && running.st_ino == named.st_ino;
}

void replaceProcess(const QString& program, const QStringList& arguments)
{
    std::vector<QByteArray> texts;
    for (const QString& argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    ::execv(QFile::encodeName(program).constData(), argv.data());
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
