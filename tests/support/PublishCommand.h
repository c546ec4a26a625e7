#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <ostream>

// velkorn-publish as the maker runs it. The test program defines VELKORN_TEST_PUBLISH, the command's path.
struct Published
{
    int exitCode = -1; // -1: it did not end by itself
    QString out;
    QString err;
};

inline Published runPublish(const QStringList& arguments,
                            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess publish;
    publish.setProcessEnvironment(env);
    publish.start(QStringLiteral(VELKORN_TEST_PUBLISH), arguments);
    publish.closeWriteChannel();
    Published result;
    if (publish.waitForFinished(120000) && publish.exitStatus() == QProcess::NormalExit)
        result.exitCode = publish.exitCode();
    result.out = QString::fromUtf8(publish.readAllStandardOutput());
    result.err = QString::fromUtf8(publish.readAllStandardError());
    return result;
}

inline void PrintTo(const Published& p, std::ostream* os)
{
    *os << "exit " << p.exitCode << "\n" << p.out.toStdString() << p.err.toStdString();
}
