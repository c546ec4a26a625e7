#include "update/helper/ProcessWaiter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace helper {
namespace {

using std::chrono::milliseconds;

// Field 22 of /proc/<pid>/stat (start time in clock ticks), or -1 when the process is gone or a zombie.
qint64 startTime(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold blanks and parentheses; the fields start after the last ')'.
    const int close = line.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // fields[0] is field 3 (state), so field 22 is fields[19].
    if (fields.size() < 20 || fields[0] == "Z" || fields[0] == "X")
        return -1;
    bool ok = false;
    const qint64 ticks = fields[19].toLongLong(&ok);
    return ok ? ticks : -1;
}

} // namespace

WaitResult waitByStartTime(qint64 pid, milliseconds limit)
{
    const qint64 started = startTime(pid);
    if (started < 0)
        return WaitResult::NotFound;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < limit.count()) {
        if (startTime(pid) != started)
            return WaitResult::Ended;
        QThread::msleep(50);
    }
    return WaitResult::TimedOut;
}

WaitResult waitForProcessEnd(qint64 pid, milliseconds limit)
{
    if (pid <= 0 || pid > 0x3FFFFFFF)
        return WaitResult::NotFound;
#ifdef SYS_pidfd_open
    const int fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd >= 0) {
        QElapsedTimer timer;
        timer.start();
        WaitResult result = WaitResult::TimedOut;
        for (;;) {
            const qint64 left = limit.count() - timer.elapsed();
            if (left <= 0)
                break;
            pollfd p{fd, POLLIN, 0};
            const int rc = ::poll(&p, 1, int(qMin<qint64>(left, 60000)));
            if (rc > 0) {
                result = WaitResult::Ended;
                break;
            }
            if (rc < 0 && errno != EINTR)
                break;
        }
        ::close(fd);
        return result;
    }
    if (errno == ESRCH)
        return WaitResult::NotFound;
#endif
    return waitByStartTime(pid, limit);
}

} // namespace helper
