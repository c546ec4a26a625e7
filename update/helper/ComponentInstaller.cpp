#include "update/helper/ComponentInstaller.h"

#include "base/IniFile.h"
#include "base/PathRules.h"
#include "platform/Platform.h"
#include "update/archive/Cabinet.h"
#include "update/archive/Szdd.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

using base::IniFile;

namespace helper {

namespace {

constexpr int SettleMilliseconds = 500;
constexpr int MaxListDepth = 16;

QString localPath(const QString& path)
{
    return base::toLocalPath(path);
}

QString upperSuffix(const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const int slash = name.lastIndexOf(QLatin1Char('/'));
    return dot > slash ? name.mid(dot).toUpper() : QString();
}

bool runAndWait(const QString& program)
{
    // Downloaded files carry no execute permission.
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(QFileInfo(program).absolutePath());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1))
        return false;
    process.waitForFinished(-1);
    return true;
}

} // namespace

ComponentInstaller::ComponentInstaller(const QString& appDir, bool logging)
    : m_appDir(QDir::cleanPath(QDir(appDir).absolutePath())), m_logging(logging), m_runProgram(runAndWait),
      m_sleep([](int ms) { QThread::msleep(ms); }),
      m_expandMacros([this](const QString& text) { return expandStandardMacros(text); })
{
}

QString ComponentInstaller::expandStandardMacros(const QString& text) const
{
    return base::expandMacros(text, [this](const QString& name) -> std::optional<QString> {
        const QString key = name.toUpper();
        QString dir;
        if (key == QLatin1String("APP"))
            dir = m_appDir;
        else if (key == QLatin1String("WIN"))
            dir = platform::windowsDir();
        else if (key == QLatin1String("SYS"))
            dir = platform::systemDir();
        else if (key == QLatin1String("TMP"))
            dir = platform::tempDir();
        else if (key == QLatin1String("PF"))
            dir = platform::programFilesDir();
        else
            return std::nullopt;
        return base::macroDirectory(dir);
    });
}

void ComponentInstaller::log(const QString& message) const
{
    if (!m_logging)
        return;
    QFile file(m_appDir + QLatin1Char('/') + logFileName());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return; // a log that cannot be written must not stop the update
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) +
                         QStringLiteral(" : ") + message + QLatin1Char('\n');
    file.write(line.toLocal8Bit());
}

bool ComponentInstaller::insideApp(const QString& absolutePath) const
{
    return base::isInsideDirectory(m_appDir, absolutePath);
}

// The component's file in the application directory, or empty when the name may not be used.
QString ComponentInstaller::safeSource(const QString& name) const
{
    const QString local = localPath(name);
    if (local.isEmpty() || local.startsWith(QLatin1Char('/')) || (local.size() >= 2 && local.at(1) == QLatin1Char(':')))
        return {};
    const QStringList parts = local.split(QLatin1Char('/'));
    if (parts.contains(QStringLiteral("..")))
        return {};
    const QString path = QDir::cleanPath(m_appDir + QLatin1Char('/') + local);
    return insideApp(path) ? path : QString();
}

// The destination directory for a prefix, or empty when it lies outside the application directory.
QString ComponentInstaller::safeDestinationDir(const QString& prefix) const
{
    const QString local = localPath(prefix);
    if (local.isEmpty())
        return m_appDir;
    if (local.size() >= 2 && local.at(1) == QLatin1Char(':'))
        return {};
    const QString path = QDir::cleanPath(QDir(m_appDir).absoluteFilePath(local));
    return insideApp(path) ? path : QString();
}

void ComponentInstaller::process(const QString& name, const QString& prefix)
{
    const QString source = safeSource(name);
    const QString destDir = safeDestinationDir(prefix);
    if (source.isEmpty() || destDir.isEmpty()) {
        log(QStringLiteral("upd refused ") + name + QLatin1Char(' ') + prefix +
            QStringLiteral(" : outside the application directory"));
        return;
    }
    const QString upper = name.toUpper();
    const int newAt = upper.indexOf(QLatin1String("_NEW"));
    if (newAt >= 0 && newAt == upper.size() - 4) {
        replace(name, prefix, source, destDir);
        return;
    }
    const QString suffix = upperSuffix(localPath(name));
    if (suffix == QLatin1String(".INF"))
        processList(name, source);
    else if (suffix == QLatin1String(".PAT"))
        log(QStringLiteral("upd patch ") + name + QStringLiteral(" skipped: no patch utility"));
    else if (suffix == QLatin1String(".CAB"))
        unpackCabinet(name, source, destDir, prefix);
    else if (suffix == QLatin1String(".EXE"))
        runSetup(name, source, prefix);
    else
        expand(name, source, destDir, prefix);
}

void ComponentInstaller::replace(const QString& name, const QString& prefix, const QString& source,
                                 const QString& destDir)
{
    const QString base = localPath(name).chopped(4);
    const QString destination = QDir::cleanPath(destDir + QLatin1Char('/') + base);
    const QString destinationText = prefix + name.chopped(4); // as the log has always shown it

    // The download is looked up without regard to case, as on the system the names come from.
    QString downloaded = source;
    if (!QFileInfo::exists(downloaded)) {
        const QFileInfo wanted(source);
        const QStringList candidates = QDir(wanted.absolutePath()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& candidate : candidates) {
            if (candidate.compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
                downloaded = wanted.absolutePath() + QLatin1Char('/') + candidate;
        }
    }
    // Without the new file the old one must stay: deleting it would leave nothing to restart.
    if (!QFileInfo::exists(downloaded)) {
        log(QStringLiteral("upd io error %1 in rename file:").arg(ENOENT) + destinationText);
        return;
    }
    QDir().mkpath(QFileInfo(destination).absolutePath());
    const QByteArray destinationBytes = QFile::encodeName(destination);
    // Downloads carry no execute permission: the new file takes the permissions of the one it replaces, so that a
    // replaced program can still be started.
    const QFileInfo old(destination);
    if (old.isDir()) {
        log(QStringLiteral("upd io error %1 in delete file:").arg(EISDIR) + destinationText);
        log(QStringLiteral("upd io error %1 in rename file:").arg(EISDIR) + destinationText);
        return;
    }
    const bool replacing = old.exists();
    const QFileDevice::Permissions permissions = QFile::permissions(destination);
    // The old file is kept first; without a way back it is not touched.
    if (!keepForRollBack(destination)) {
        log(QStringLiteral("upd io error %1 in backup file:").arg(errno) + destinationText);
        return;
    }
    // A rename over the old file replaces it in one step: at no moment is there no program to start.
    if (std::rename(QFile::encodeName(downloaded).constData(), destinationBytes.constData()) != 0)
        log(QStringLiteral("upd io error %1 in rename file:").arg(errno) + destinationText);
    else if (replacing)
        QFile::setPermissions(destination, permissions);
}

bool ComponentInstaller::keepForRollBack(const QString& destination)
{
    const QString relative = QDir(m_appDir).relativeFilePath(destination);
    const QString kept = backupDir() + QLatin1Char('/') + relative;
    QFile manifest(backupDir() + QStringLiteral("/manifest"));
    if (!QDir().mkpath(QFileInfo(kept).absolutePath()) || !manifest.open(QIODevice::Append | QIODevice::Text))
        return false;
    if (!QFileInfo::exists(destination))
        return manifest.write(("added " + relative + '\n').toUtf8()) > 0;
    // A second replacement of the same file in one run keeps the first, the one that was installed.
    if (!QFileInfo::exists(kept)) {
        errno = 0;
        if (::link(QFile::encodeName(destination).constData(), QFile::encodeName(kept).constData()) != 0 &&
            !QFile::copy(destination, kept))
            return false;
    }
    return manifest.write(("kept " + relative + '\n').toUtf8()) > 0;
}

bool ComponentInstaller::rollBack()
{
    QFile manifest(backupDir() + QStringLiteral("/manifest"));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text))
        return !QFileInfo::exists(backupDir());
    QStringList entries = QString::fromUtf8(manifest.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    manifest.close();
    bool ok = true;
    // Newest first, so that a file replaced twice ends as it was before the run.
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        const int blank = it->indexOf(QLatin1Char(' '));
        const QString what = it->left(blank), relative = it->mid(blank + 1);
        const QString target = m_appDir + QLatin1Char('/') + relative;
        if (what == QLatin1String("added")) {
            if (QFileInfo::exists(target) && !QFile::remove(target))
                ok = false;
        } else if (QFileInfo::exists(backupDir() + QLatin1Char('/') + relative)) {
            if (std::rename(QFile::encodeName(backupDir() + QLatin1Char('/') + relative).constData(),
                            QFile::encodeName(target).constData()) != 0)
                ok = false;
        }
        log(QStringLiteral("upd rollback ") + relative + (ok ? QString() : QStringLiteral(" failed")));
    }
    if (ok)
        QDir(backupDir()).removeRecursively();
    return ok;
}

void ComponentInstaller::discardBackup()
{
    QDir(backupDir()).removeRecursively();
}

void ComponentInstaller::processList(const QString& name, const QString& source)
{
    log(QStringLiteral("upd inf file ") + name);
    const QString key = QFileInfo(source).absoluteFilePath();
    if (m_openLists.contains(key, Qt::CaseInsensitive) || m_openLists.size() >= MaxListDepth) {
        log(QStringLiteral("upd inf file ") + name + QStringLiteral(" refused: it includes itself"));
        return;
    }
    IniFile list(source);
    if (!list.load())
        return;
    bool countOk = false;
    const int count = list.value(QStringLiteral("FILES"), QStringLiteral("COUNT")).trimmed().toInt(&countOk);
    if (!countOk || count <= 0)
        return;

    // Entries 1..COUNT in order; only keys that exist can name a file, so a huge COUNT costs nothing.
    QMap<int, QString> entries;
    const QStringList keys = list.keys(QStringLiteral("FILES"));
    for (const QString& k : keys) {
        if (!k.startsWith(QLatin1String("FILE"), Qt::CaseInsensitive) || k.size() < 5 || k.at(4) == QLatin1Char('0'))
            continue;
        bool ok = false;
        const int i = k.mid(4).toInt(&ok);
        if (ok && i >= 1 && i <= count && k.mid(4) == QString::number(i))
            entries.insert(i, list.value(QStringLiteral("FILES"), k));
    }

    m_openLists.append(key);
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const QString file = it.value();
        const QString target = list.value(QStringLiteral("FILES"), QStringLiteral("TARGET%1").arg(it.key()));
        log(QStringLiteral("upd inf: ") + file + QLatin1Char(' ') + target);
        if (file.isEmpty())
            continue;
        QString prefix = m_expandMacros(target);
        // An empty target means the application directory, not the root of the drive.
        if (!prefix.isEmpty() && !prefix.endsWith(QLatin1Char('\\')) && !prefix.endsWith(QLatin1Char('/')))
            prefix += QLatin1Char('\\');
        process(file, prefix);
    }
    m_openLists.removeLast();
}

void ComponentInstaller::unpackCabinet(const QString& name, const QString& source, const QString& destDir,
                                       const QString& prefix)
{
    log(QStringLiteral("upd cab extract ") + name + QLatin1Char(' ') + prefix);
    QString error;
    if (archive::extractCabinet(source, destDir, &error))
        QFile::remove(source);
    else
        log(QStringLiteral("upd cab error ") + error);
}

void ComponentInstaller::runSetup(const QString& name, const QString& source, const QString& prefix)
{
    log(QStringLiteral("upd execute ") + name + QLatin1Char(' ') + prefix);
    if (!QFileInfo::exists(source))
        return;
    if (!m_runProgram(source))
        log(QStringLiteral("upd execute ") + name + QStringLiteral(" could not be started"));
    m_sleep(SettleMilliseconds);
    QFile::remove(source);
}

void ComponentInstaller::expand(const QString& name, const QString& source, const QString& destDir,
                                const QString& prefix)
{
    log(QStringLiteral("upd lzexpand ") + name + QLatin1Char(' ') + prefix);
    const QString expanded = archive::expandedSzddName(source);
    if (expanded.isEmpty() || !insideApp(expanded))
        return;
    log(QStringLiteral("upd lzexpand dest. filename ") + QDir(m_appDir).relativeFilePath(expanded));
    QString error;
    if (!archive::expandSzdd(source, expanded, &error)) {
        log(QStringLiteral("upd lzexpand error ") + error);
        return;
    }
    if (prefix.isEmpty())
        return;
    QDir().mkpath(destDir);
    const QString moved = destDir + QLatin1Char('/') + QFileInfo(expanded).fileName();
    if (moved != expanded &&
        std::rename(QFile::encodeName(expanded).constData(), QFile::encodeName(moved).constData()) != 0)
        log(QStringLiteral("upd io error %1 in rename file:").arg(errno) + QDir::toNativeSeparators(moved));
}

} // namespace helper
