#include "ReleaseFolder.h"

#include "WholeFile.h"

#include "update/ControlFile.h"
#include "update/FileDigest.h"
#include "update/FileVersion.h"
#include "update/Minisign.h"
#include "update/ReleaseGuard.h"
#include "update/TrustedKeys.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace {

quint64 packed(update::PackedVersion v)
{
    return (quint64(quint32(v.high)) << 32) | quint32(v.low);
}

QString text(update::PackedVersion v)
{
    return update::versionText(v.high, v.low);
}

// One file of the release, by its path below the folder ('/' between folders).
struct ReleaseFile
{
    QString path;
    qint64 size = 0;
    QString sha256;
    bool component() const { return !path.contains(QLatin1Char('/')) && path.endsWith(QLatin1String("_NEW")); }
};

} // namespace

ReleaseFolder::ReleaseFolder(Options options) : m_options(std::move(options))
{
    if (m_options.baseUrl.isEmpty())
        m_options.baseUrl = QStringLiteral("http://update.velkorn.example/");
    if (!m_options.baseUrl.endsWith(QLatin1Char('/')))
        m_options.baseUrl += QLatin1Char('/');
}

bool ReleaseFolder::sign(const QStringList& files, const QString& signatureFile, const QString& trustedComment,
                         QString* why) const
{
    QStringList arguments{QStringLiteral("-S"), QStringLiteral("-s"), m_options.key, QStringLiteral("-t"),
                          trustedComment};
    if (!signatureFile.isEmpty())
        arguments << QStringLiteral("-x") << signatureFile;
    arguments << QStringLiteral("-m") << files;
    QProcess minisign;
    // A key with a password asks for it on the terminal; one run signs all files with one question.
    minisign.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    minisign.setInputChannelMode(QProcess::ForwardedInputChannel);
    minisign.start(m_options.minisign, arguments);
    if (!minisign.waitForStarted(30000)) {
        *why = QStringLiteral("cannot start %1: %2").arg(m_options.minisign, minisign.errorString());
        return false;
    }
    minisign.waitForFinished(-1);
    if (minisign.exitStatus() != QProcess::NormalExit || minisign.exitCode() != 0) {
        *why = QStringLiteral("minisign could not sign with the key %1").arg(m_options.key);
        return false;
    }
    return true;
}

QString ReleaseFolder::publish(QStringList* notes)
{
    const QDir folder(m_options.folder);
    if (!folder.exists())
        return QStringLiteral("there is no folder %1").arg(m_options.folder);
    if (!QFileInfo(m_options.key).isFile())
        return QStringLiteral("there is no key file %1").arg(m_options.key);

    const QString program = folder.filePath(QLatin1String(ProgramFileName));
    if (!QFileInfo(program).isFile())
        return QStringLiteral("the folder has no %1, the program of the release").arg(QLatin1String(ProgramFileName));
    const update::PackedVersion version = update::GetFileVersion(program);
    if (!version.valid())
        return QStringLiteral("%1 carries no version").arg(QLatin1String(ProgramFileName));

    const QString controlPath = folder.filePath(QLatin1String(ControlFileName));
    QDateTime time = QDateTime::currentDateTimeUtc();
    time = time.addMSecs(-time.time().msec());
    if (QFileInfo::exists(controlPath)) {
        update::ControlFile published;
        if (!published.open(controlPath))
            return QStringLiteral("cannot read the published %1").arg(QLatin1String(ControlFileName));
        const update::PackedVersion before =
            update::ParseVersion(published.text(QStringLiteral("update"), QStringLiteral("newversion")));
        if (!before.valid())
            return QStringLiteral("the published %1 names no version (newversion); move it away to publish anew")
                .arg(QLatin1String(ControlFileName));
        if (packed(version) <= packed(before))
            return QStringLiteral("version %1 is not higher than the published version %2")
                .arg(text(version), text(before));
        // The programs refuse a control file older than one they accepted: never stamp one before the last.
        QFile signature(controlPath + QStringLiteral(".minisig"));
        if (signature.open(QIODevice::ReadOnly)) {
            const auto parsed = update::parseMinisignSignature(signature.readAll());
            const auto stamp =
                parsed ? update::parseReleaseComment(QString::fromUtf8(parsed->trustedComment)) : std::nullopt;
            if (stamp && stamp->time >= time)
                time = stamp->time.addSecs(1);
        }
    }

    // Every file of the folder but the control file, the signatures and hidden files (our own temporary ones).
    QList<ReleaseFile> files;
    static const QRegularExpression plainPath(QStringLiteral("^[A-Za-z0-9._-]+(/[A-Za-z0-9._-]+)*$"));
    QDirIterator it(folder.path(), QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = folder.relativeFilePath(it.next());
        if (path == QLatin1String(ControlFileName) || path.endsWith(QLatin1String(".minisig")) ||
            path.startsWith(QLatin1Char('.')) || path.contains(QLatin1String("/.")))
            continue;
        // The name becomes part of a URL and of a path on the dealers' machines, unchanged.
        if (!plainPath.match(path).hasMatch())
            return QStringLiteral("%1: a published name has only letters, digits, '.', '_' and '-'").arg(path);
        ReleaseFile file{path, it.fileInfo().size(), QString::fromLatin1(update::fileSha256(it.filePath()).toHex())};
        if (path.contains(QLatin1Char('/')) && path.endsWith(QLatin1String("_NEW")))
            return QStringLiteral("%1: a component (NAME_NEW) lies at the top of the folder").arg(path);
        if (file.sha256.isEmpty())
            return QStringLiteral("cannot read %1").arg(path);
        files.append(file);
    }
    std::sort(files.begin(), files.end(), [](const ReleaseFile& a, const ReleaseFile& b) {
        // The program first, so that the wizard lists it first.
        if ((a.path == QLatin1String(ProgramFileName)) != (b.path == QLatin1String(ProgramFileName)))
            return a.path == QLatin1String(ProgramFileName);
        return a.path < b.path;
    });

    const QString versionText = text(version);
    const QString description =
        m_options.description.isEmpty() ? QStringLiteral("Velkorn ") + versionText : m_options.description.simplified();
    QStringList components;
    QString texts;    // release notes and licence
    QString sections; // the file sections
    int count = 0;
    for (const ReleaseFile& file : files) {
        const QString url = m_options.baseUrl + file.path;
        const QString digest = QStringLiteral("sha256=") + file.sha256 + QLatin1Char('\n');
        if (file.path == QLatin1String("whatsnew.txt") || file.path == QLatin1String("eula.txt")) {
            texts += QStringLiteral("\n[%1]\nfile=%2\n").arg(file.path.chopped(4), url) + digest;
            continue;
        }
        QString section = QStringLiteral("\n[file%1]\nurl=%2\n").arg(++count).arg(url);
        QString target = QStringLiteral("{APP}");
        if (file.path == QLatin1String(ProgramFileName)) {
            section += QStringLiteral("descr=Velkorn program %1\nlocalversion={APP}\\velkorn\nnewversion=%1\n")
                           .arg(versionText);
            section += QStringLiteral("mandatory=1\n");
        } else if (file.component()) {
            section += QStringLiteral("descr=%1\nhidden=1\n").arg(file.path.chopped(4));
        } else {
            section += QStringLiteral("descr=%1\nmandatory=1\n").arg(file.path);
            const QString subfolder = QFileInfo(file.path).path();
            if (subfolder != QLatin1String("."))
                target += QLatin1Char('\\') + QString(subfolder).replace(QLatin1Char('/'), QLatin1Char('\\'));
        }
        if (file.component())
            components << file.path;
        sections += section + QStringLiteral("targetdir=%1\nfilesize=%2\n").arg(target).arg(file.size) + digest;
    }
    const QString control = QStringLiteral("[update]\ndescr=%1\nlocalversion={APP}\\velkorn\nnewversion=%2\n"
                                           "\n[application]\nappupdate=1\nappname=velkorn\nappcomps=%3\n")
                                .arg(description, versionText, components.join(QLatin1Char(' '))) +
                            texts + QStringLiteral("\n[files]\ncount=%1\n").arg(count) + sections;

    // The files first, each signature beside its file; they name no file, so none can pass for a control file.
    QString why;
    QStringList paths;
    for (const ReleaseFile& file : files)
        paths << folder.filePath(file.path);
    const QString timeText = time.toString(Qt::ISODate);
    if (!paths.isEmpty() &&
        !sign(paths, {}, QStringLiteral("velkorn-release time=%1 version=%2").arg(timeText, versionText), &why))
        return why;

    // The control file is signed as a hidden copy; both then replace the published ones as whole files.
    const QString draft = folder.filePath(QStringLiteral(".velkorn.INF.part"));
    const QString draftSignature = draft + QStringLiteral(".minisig");
    const auto cleanUp = [&] {
        QFile::remove(draft);
        QFile::remove(draftSignature);
    };
    if (!writeWhole(draft, control.toUtf8()))
        return QStringLiteral("cannot write %1").arg(draft);
    if (!sign({draft}, draftSignature, update::releaseComment(time, QLatin1String(ControlFileName)), &why)) {
        cleanUp();
        return why;
    }
    if (!copyWhole(draftSignature, controlPath + QStringLiteral(".minisig")) || !copyWhole(draft, controlPath)) {
        cleanUp();
        return QStringLiteral("cannot write %1").arg(controlPath);
    }
    cleanUp();

    *notes << QStringLiteral("published %1: version %2, %3 files, release time %4")
                  .arg(QLatin1String(ControlFileName), versionText)
                  .arg(files.size())
                  .arg(timeText);
    const update::MinisignResult check = update::verifyMinisignFile(controlPath, update::trustedKeys());
    if (!check.ok())
        *notes << QStringLiteral("warning: the programs of this build would refuse this release: %1")
                      .arg(update::minisignStatusText(check.status));
    return {};
}
