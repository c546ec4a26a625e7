#include "support/CatalogServer.h"

#include "support/WaitUntil.h"

#include <QRegularExpression>

#include <sys/prctl.h>

#include <csignal>
#include <stdexcept>

ServerProcess::ServerProcess(const QString& db, const QString& thumbs, const QStringList& extra,
                             const QProcessEnvironment& env)
{
    QStringList arguments{QStringLiteral("--db"),   db,
                          QStringLiteral("--port"), QStringLiteral("0"),
                          QStringLiteral("--bind"), QStringLiteral("127.0.0.1")};
    if (!thumbs.isEmpty())
        arguments << QStringLiteral("--thumbs") << thumbs;
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // Ends with the test or benchmark, also when that aborts without running this object's destructor.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(QStringLiteral(VELKORN_TEST_SERVER), arguments + extra);
    const QRegularExpression listening(QStringLiteral("listening on port (\\d+)"));
    waitUntil(
        [&] {
            m_port = listening.match(output()).captured(1).toInt();
            return m_port > 0 || m_process.state() == QProcess::NotRunning;
        },
        20000);
    if (m_port == 0)
        throw std::runtime_error("velkorn-server did not start: " + m_output.toStdString());
}

ServerProcess::~ServerProcess()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

int ServerProcess::stop(int milliseconds)
{
    m_process.terminate();
    const bool ended = m_process.waitForFinished(milliseconds);
    output();
    return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString ServerProcess::output()
{
    m_process.waitForReadyRead(20);
    m_output += QString::fromUtf8(m_process.readAll());
    return m_output;
}

QStringList ServerProcess::lines()
{
    QStringList all = output().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : all)
        line = line.trimmed();
    return all;
}
