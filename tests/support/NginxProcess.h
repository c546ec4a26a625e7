#pragma once

#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// nginx on the maker's configuration (packaging/nginx/velkorn.conf.in), started as an ordinary process in a temporary
// folder: its configuration, logs, temporary files, cache and the update server's user file live there, nothing in
// /etc or /var. `values` replaces the configuration's @NAME@ values; CACHE_DIR, UPDATE_PASSWORDS (update/refreshx),
// CATALOG_NAME, UPDATE_NAME and FEED_CACHE (on) have defaults. `extraHttp` is added to the http block (a benchmark's
// static files); the access log (prefix()/access.log) may be left out for a benchmark. Waits until every port of
// `ports` accepts connections; throws std::runtime_error with the error log when it does not come up. Stopped when
// destroyed, and also when the test process dies.
class NginxProcess
{
public:
    NginxProcess(const QMap<QString, QString>& values, const QList<int>& ports, const QString& extraHttp = {},
                 int workers = 1, bool accessLog = true);
    ~NginxProcess();
    NginxProcess(const NginxProcess&) = delete;
    NginxProcess& operator=(const NginxProcess&) = delete;

    QString prefix() const { return m_dir.path(); }
    QString errorLog() const;
    qint64 pid() const { return m_process.processId(); }

    // The configuration with the values put in.
    static QString site(QMap<QString, QString> values, const QString& prefix);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};
