#pragma once

#include "TestFiles.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// Drives the real minisign tool, so that the tests check our reading against signatures it made.
struct MinisignTool
{
    static bool run(const QStringList& arguments)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(VELKORN_MINISIGN), arguments);
        p.closeWriteChannel();
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    // A key pair without password: <base>.pub and <base>.key.
    static bool generate(const QString& base)
    {
        return run({"-G", "-W", "-f", "-p", base + ".pub", "-s", base + ".key"});
    }

    // Signs file into file.minisig; legacy signs the bytes themselves instead of their hash.
    static bool sign(const QString& secretKey, const QString& file, const QString& trustedComment, bool legacy = false)
    {
        QStringList args{"-S", "-s", secretKey, "-m", file, "-t", trustedComment};
        if (legacy)
            args << "-l";
        return run(args);
    }
};
