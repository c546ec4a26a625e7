#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A server, a bus or the program that an end-to-end test starts, with its merged output collected as it comes. Ended
// with the test: asked first, so that it can end what it started itself, then killed.
class Started
{
public:
    Started(const QString& program, const QStringList& arguments, const QProcessEnvironment& env)
    {
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, arguments);
    }
    ~Started()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    QString output()
    {
        m_process.waitForReadyRead(20);
        m_output += QString::fromUtf8(m_process.readAll());
        return m_output;
    }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    qint64 pid() const { return m_process.processId(); }
    // Waits up to `milliseconds` for it to end by itself; its exit code, -1 when it did not end so.
    int finished(int milliseconds)
    {
        const bool ended = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(milliseconds);
        output();
        return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    // Ends it at once (SIGKILL), as a power cut or a crash would, and waits until it is gone.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
        output();
    }
    // Asks for an orderly end (the program's close-down) and returns its exit code, -1 when it did not end so.
    int terminate()
    {
        if (m_process.state() != QProcess::NotRunning)
            m_process.terminate();
        const bool ended = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(15000);
        output();
        return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
    QString m_output;
};
