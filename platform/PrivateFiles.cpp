#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

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

QString privateFolder(const QString& name)
{
    QString base = runtimeDir();
    if (base.isEmpty()) {
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (base.isEmpty() || !QDir().mkpath(base))
            return {};
    }
    const QByteArray path = QFile::encodeName(withSlash(base) + name);
    if (::mkdir(path.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return {};
    // Whatever lay there before counts only as the folder made here would be.
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0)
        return {};
    return withSlash(QFile::decodeName(path));
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

FileRead readRegularFile(const QString& path, qint64 maxSize, QByteArray& bytes)
{
    bytes.clear();
    // O_NONBLOCK: opening a pipe must not wait for a writer before fstat can tell that it is one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP ? FileRead::Link
                              : (errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed);
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } const closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return FileRead::Failed;
    if (!S_ISREG(st.st_mode))
        return FileRead::NotAFile;
    if (st.st_size > maxSize)
        return FileRead::TooLarge;
    bytes.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FileRead::Failed;
        if (n == 0)
            break; // the file shrank meanwhile: what was there is what counts
        done += n;
    }
    bytes.truncate(done);
    return FileRead::Read;
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
