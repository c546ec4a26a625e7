#include "support/FirebirdServer.h"

#include "DemoCatalog.h"

#include "support/LoopbackPort.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/prctl.h>

#include <stdexcept>

namespace {

const QString Engine = QStringLiteral(VELKORN_TEST_ENGINE_ROOT);

// A folder that the engine takes for its installation (FIREBIRD): links to the installed engine's parts beside a
// firebird.conf of our own.
void makeEngineRoot(const QString& root, const QByteArray& configuration)
{
    QDir().mkpath(root);
    for (const char* part : {"plugins", "intl", "firebird.msg"})
        if (!QFile::link(Engine + QLatin1Char('/') + QLatin1String(part),
                         root + QLatin1Char('/') + QLatin1String(part)))
            throw std::runtime_error("cannot link the engine's " + std::string(part) + " into " + root.toStdString());
    QFile conf(root + QStringLiteral("/firebird.conf"));
    if (!conf.open(QIODevice::WriteOnly) || conf.write(configuration) != configuration.size())
        throw std::runtime_error("cannot write " + conf.fileName().toStdString());
}

QProcessEnvironment engineEnvironment(const QString& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FIREBIRD"), dir + QStringLiteral("/root"));
    // Lock tables of its own: nothing shared with other engines on this machine.
    env.insert(QStringLiteral("FIREBIRD_LOCK"), dir + QStringLiteral("/lock"));
    env.insert(QStringLiteral("FIREBIRD_TMP"), dir + QStringLiteral("/tmp"));
    env.remove(QStringLiteral("ISC_USER"));
    env.remove(QStringLiteral("ISC_PASSWORD"));
    QDir().mkpath(dir + QStringLiteral("/lock"));
    QDir().mkpath(dir + QStringLiteral("/tmp"));
    return env;
}

// The security database, SYSDBA with the test password, made once per test process from the engine's own script
// (readable by everyone, unlike the installed security3.fdb) and copied for every server.
QString securityDatabase()
{
    static QTemporaryDir dir;
    static QString made;
    if (!made.isEmpty())
        return made;
    const QString file = dir.path() + QStringLiteral("/security3.fdb");
    makeEngineRoot(dir.path() + QStringLiteral("/root"), QStringLiteral("SecurityDatabase = %1\n").arg(file).toUtf8());
    QProcess isql;
    isql.setProcessEnvironment(engineEnvironment(dir.path()));
    isql.setProcessChannelMode(QProcess::MergedChannels);
    isql.start(QStringLiteral(VELKORN_TEST_ISQL),
               {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA")});
    isql.write(QStringLiteral("create database '%1';\ninput '%2';\ncreate user SYSDBA password '%3' using plugin Srp;\n"
                              "commit;\n")
                   .arg(file, QStringLiteral(VELKORN_TEST_SECURITY_SQL), FirebirdServer::password())
                   .toUtf8());
    isql.closeWriteChannel();
    const bool finished = isql.waitForFinished(60000);
    const QByteArray output = isql.readAll();
    if (!finished || isql.exitCode() != 0 || !QFile::exists(file))
        throw std::runtime_error("cannot make a security database: " + output.toStdString());
    made = file;
    return made;
}

} // namespace

FirebirdServer::FirebirdServer()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder for the Firebird server");
    QDir().mkpath(dataDir());
    if (!QFile::copy(securityDatabase(), m_dir.path() + QStringLiteral("/security3.fdb")))
        throw std::runtime_error("cannot copy the security database");
    QFile::setPermissions(m_dir.path() + QStringLiteral("/security3.fdb"), QFile::ReadOwner | QFile::WriteOwner);
    // Another process may take the free port between our look and the server's bind: then try another.
    for (int attempt = 0; attempt < 3 && m_port == 0; ++attempt)
        start(freeLoopbackPort());
    if (m_port == 0)
        throw std::runtime_error("the Firebird server did not start: " + m_process.readAll().toStdString());
}

void FirebirdServer::restart()
{
    const int port = m_port;
    m_port = 0;
    start(port);
    if (m_port == 0)
        throw std::runtime_error("the Firebird server did not start again: " + m_process.readAll().toStdString());
}

void FirebirdServer::start(int port)
{
    const QString root = m_dir.path() + QStringLiteral("/root");
    QDir(root).removeRecursively();
    makeEngineRoot(root,
                   QStringLiteral("RemoteServicePort = %1\nRemoteBindAddress = 127.0.0.1\nSecurityDatabase = %2\n")
                       .arg(port)
                       .arg(m_dir.path() + QStringLiteral("/security3.fdb"))
                       .toUtf8());
    m_process.setProcessEnvironment(engineEnvironment(m_dir.path()));
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // Should the test process die, the server goes with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start(QStringLiteral(VELKORN_TEST_FIREBIRD_SERVER), {});
    if (waitUntil([&] { return acceptsOnLoopback(port) || m_process.state() == QProcess::NotRunning; }, 20000) &&
        m_process.state() != QProcess::NotRunning)
        m_port = port;
    else
        kill();
}

FirebirdServer::~FirebirdServer()
{
    kill();
}

void FirebirdServer::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(m_process.processId()), SIGKILL);
    m_process.waitForFinished(10000);
}

QString FirebirdServer::dataDir() const
{
    return m_dir.path() + QStringLiteral("/data");
}

QString FirebirdServer::createCatalog(const QString& name, int items, quint32 seed)
{
    catalog::DemoCatalogOptions options;
    options.filePath = dataDir() + QLatin1Char('/') + name;
    options.items = items;
    options.seed = seed;
    options.forcedWrites = false;
    catalog::generateDemoCatalog(options);
    return options.filePath;
}

QString FirebirdServer::addCatalog(const QString& name, const QString& sourceFile)
{
    const QString path = dataDir() + QLatin1Char('/') + name;
    if (!QFile::copy(sourceFile, path))
        throw std::runtime_error("cannot copy " + sourceFile.toStdString());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QString FirebirdServer::connectionString(const QString& path) const
{
    return QStringLiteral("127.0.0.1/%1:%2").arg(m_port).arg(path);
}

catalog::CatalogLocation FirebirdServer::location(const QString& path) const
{
    catalog::CatalogLocation location = catalog::CatalogLocation::parse(connectionString(path), QString());
    location.setPassword(password());
    return location;
}
