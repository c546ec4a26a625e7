#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// velkorn-server, the maker's catalog and update server, on a free loopback port; its output is collected. Serves the
// master catalog `db`, thumbnails from `thumbs` when given, and whatever `extra` arguments ask for (--update-dir …),
// in the environment given. Throws std::runtime_error when it does not come up; killed when destroyed.
class ServerProcess
{
public:
    explicit ServerProcess(const QString& db, const QString& thumbs = {}, const QStringList& extra = {},
                           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    // Asks it to stop (SIGTERM) and waits up to `milliseconds`; its exit code, -1 when it did not end so.
    int stop(int milliseconds);
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // Everything it has written so far, and the same as lines.
    QString output();
    QStringList lines();

private:
    QProcess m_process;
    int m_port = 0;
    QString m_output;
};
