#include "support/NginxProcess.h"

#include "support/LoopbackPort.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <stdexcept>

namespace {

void write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// As root the workers would run as "nobody", who may not read the test's folders: they run as we do.
QString userLine()
{
    if (::geteuid() != 0)
        return {};
    const passwd* user = ::getpwuid(::geteuid());
    const group* group = ::getgrgid(::getegid());
    return QStringLiteral("user %1 %2;\n")
        .arg(QString::fromLocal8Bit(user ? user->pw_name : "root"),
             QString::fromLocal8Bit(group ? group->gr_name : "root"));
}

} // namespace

QString NginxProcess::site(QMap<QString, QString> values, const QString& prefix)
{
    const QMap<QString, QString> defaults{{"CACHE_DIR", prefix + "/cache"},
                                          {"UPDATE_PASSWORDS", prefix + "/update.users"},
                                          {"CATALOG_NAME", "catalog.velkorn.example"},
                                          {"UPDATE_NAME", "update.velkorn.example"},
                                          {"FEED_CACHE", "velkorn_feeds"}};
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        if (!values.contains(it.key()))
            values.insert(it.key(), it.value());
    QString text = QString::fromUtf8(read(QStringLiteral(VELKORN_TEST_NGINX_SITE)));
    if (text.isEmpty())
        throw std::runtime_error("cannot read " VELKORN_TEST_NGINX_SITE);
    // The values, in the configuration proper; the comments on top name them too.
    const int body = text.indexOf(QStringLiteral("\nupstream "));
    QString head = text.left(body);
    QString rest = text.mid(body);
    for (auto it = values.begin(); it != values.end(); ++it)
        rest.replace(QLatin1Char('@') + it.key() + QLatin1Char('@'), it.value());
    const QRegularExpressionMatch left = QRegularExpression(QStringLiteral("@[A-Z_0-9]+@")).match(rest);
    if (left.hasMatch())
        throw std::runtime_error("no value for " + left.captured().toStdString());
    return head + rest;
}

NginxProcess::NginxProcess(const QMap<QString, QString>& values, const QList<int>& ports, const QString& extraHttp,
                           int workers, bool accessLog)
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder for nginx");
    const QString prefix = m_dir.path();
    for (const char* sub : {"tmp", "cache"})
        QDir().mkpath(prefix + QLatin1Char('/') + QLatin1String(sub));
    write(prefix + "/update.users", "update:{PLAIN}refreshx\n");
    write(prefix + "/velkorn.conf", site(values, prefix).toUtf8());
    const QString temp = prefix + QStringLiteral("/tmp/");
    write(prefix + "/nginx.conf",
          QStringLiteral("%1worker_processes %2;\n"
                         "error_log %3/error.log warn;\n"
                         "pid %3/nginx.pid;\n"
                         "events { worker_connections 4096; }\n"
                         "http {\n"
                         "    include /etc/nginx/mime.types;\n"
                         "    default_type application/octet-stream;\n"
                         "    access_log %6;\n"
                         "    client_body_temp_path %4body;\n"
                         "    proxy_temp_path %4proxy;\n"
                         "    fastcgi_temp_path %4fastcgi;\n"
                         "    uwsgi_temp_path %4uwsgi;\n"
                         "    scgi_temp_path %4scgi;\n"
                         "    include %3/velkorn.conf;\n"
                         "%5"
                         "}\n")
              .arg(userLine())
              .arg(workers)
              .arg(prefix, temp, extraHttp, accessLog ? prefix + QStringLiteral("/access.log") : QStringLiteral("off"))
              .toUtf8());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setChildProcessModifier([] {
        // Its own process group, so that its workers can be ended with it; and it ends with the test process.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    m_process.start(QStringLiteral("nginx"), {"-p", prefix + "/", "-c", prefix + "/nginx.conf", "-e",
                                              prefix + "/error.log", "-g", "daemon off;"});
    const bool up = waitUntil(
        [&] {
            if (m_process.state() == QProcess::NotRunning)
                return true;
            for (int port : ports)
                if (!acceptsOnLoopback(port))
                    return false;
            return true;
        },
        20000);
    if (!up || m_process.state() == QProcess::NotRunning)
        throw std::runtime_error("nginx did not start: " + m_process.readAll().toStdString() +
                                 errorLog().toStdString());
}

NginxProcess::~NginxProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    const pid_t group = pid_t(m_process.processId());
    ::kill(group, SIGTERM);
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
    // Workers that outlived their master.
    ::kill(-group, SIGKILL);
}

QString NginxProcess::errorLog() const
{
    return QString::fromUtf8(read(m_dir.path() + "/error.log"));
}
