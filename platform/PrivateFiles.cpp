#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// $XDG_RUNTIME_DIR counts only when it is a real folder (not a link) owned by us with no access for others;
// a variable pointing into a shared folder would bring the problem back.
QString runtimeDir()
{
    const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !dir.startsWith('/'))
        return {};
    struct stat st;
    if (::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0)
        return {};
    return QString::fromLocal8Bit(dir);
}

QString withSlash(QString dir)
{
    if (!dir.endsWith('/'))
        dir += '/';
    return dir;
}

} // namespace

QString makePrivateDir(const QString& fallbackBase, const QString& prefix)
{
    QString base = runtimeDir();
    if (base.isEmpty())
        base = fallbackBase;
    // mkdtemp makes the folder with mode 0700 under a name nobody could have taken before.
    QByteArray pattern = QFile::encodeName(withSlash(base) + prefix + "XXXXXX");
    if (!::mkdtemp(pattern.data()))
        return {};
    return withSlash(QFile::decodeName(pattern));
}

bool writeNewFile(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(QFile::encodeName(path).constData());
            return false;
        }
        p += n;
        left -= n;
    }
    return ::close(fd) == 0;
}

void removePrivateDir(const QString& dir)
{
    // QDir lists links as entries and removes the link, not what it points to.
    QDir folder(dir);
    for (const QString& name : folder.entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
        folder.remove(name);
    QDir().rmdir(dir);
}

} // namespace platform
