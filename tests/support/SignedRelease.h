#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>

// Publishes update files the way a publisher does: the control file signed with the demo key by the real
// minisign tool, its trusted comment naming the release time and the published name, and the SHA-256 that a
// file section gives for its file.
namespace testsigning {

// Signs path into path.minisig with the given trusted comment.
inline bool signFile(const QString& path, const QString& trustedComment)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(VELKORN_TEST_MINISIGN),
            {"-S", "-s", QStringLiteral(VELKORN_TEST_SIGNING_KEY), "-m", path, "-t", trustedComment});
    p.closeWriteChannel();
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline QString releaseComment(const QDateTime& time, const QString& publishedName)
{
    return "velkorn-release time=" + time.toUTC().toString(Qt::ISODate) + " file=" + publishedName;
}

// Signs a control file as the release of `time`, published under its own file name.
inline bool signRelease(const QString& path, const QDateTime& time = QDateTime::currentDateTimeUtc())
{
    return signFile(path, releaseComment(time, QFileInfo(path).fileName()));
}

inline QString sha256Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

inline QString fileSha256Hex(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

// A certificate for 127.0.0.1 and its key, made by the openssl tool; no system store knows it.
inline bool makeLoopbackCertificate(const QString& certificate, const QString& key)
{
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                              "-keyout", key, "-out", certificate, "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                              "subjectAltName=IP:127.0.0.1"});
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

} // namespace testsigning
