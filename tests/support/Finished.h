#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <ostream>

// A command run to its end as a user runs it from a shell, its input closed.
struct Finished
{
    int exitCode = -1; // -1: it did not end by itself
    QString out;
    QString err;
};

inline Finished runToEnd(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(), int msecs = 120000)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.closeWriteChannel();
    Finished result;
    if (process.waitForFinished(msecs) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

inline void PrintTo(const Finished& f, std::ostream* os)
{
    *os << "exit " << f.exitCode << "\n" << f.out.toStdString() << f.err.toStdString();
}
