#include "platform/DurableFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

bool syncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

} // namespace

bool appendDurably(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        data += n;
        left -= n;
    }
    ok = ok && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

bool syncFile(const QString& path)
{
    return syncPath(path, O_RDONLY);
}

bool syncDirectory(const QString& dir)
{
    return syncPath(dir, O_RDONLY | O_DIRECTORY);
}

bool makeDurablePath(const QString& dir)
{
    QStringList missing;
    QString path = QDir::cleanPath(QDir(dir).absolutePath());
    while (!QFileInfo(path).isDir()) {
        missing.prepend(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return false;
        path = parent;
    }
    for (const QString& each : missing) {
        if (!QDir().mkdir(each) && !QFileInfo(each).isDir())
            return false;
        if (!syncDirectory(QFileInfo(each).path()))
            return false;
    }
    return true;
}

} // namespace platform
