#include "update/helper/ComponentInstaller.h"

#include "base/IniFile.h"
#include "base/PathRules.h"
#include "platform/Platform.h"
#include "update/archive/Cabinet.h"
#include "update/archive/Szdd.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
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

void appendToLog(const QString& appDir, bool logging, const QString& message)
{
    if (!logging)
        return;
    QFile file(appDir + QLatin1Char('/') + ComponentInstaller::logFileName());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return; // a log that cannot be written must not stop the update
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) +
                         QStringLiteral(" : ") + message + QLatin1Char('\n');
    file.write(line.toLocal8Bit());
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
      m_expandMacros([this](const QString& text) { return expandStandardMacros(text); }), m_journal(m_appDir)
{
    m_journal.setLogger([dir = m_appDir, logging](const QString& message) { appendToLog(dir, logging, message); });
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
    appendToLog(m_appDir, m_logging, message);
}

bool ComponentInstaller::insideApp(const QString& absolutePath) const
{
    return base::isInsideDirectory(m_appDir, absolutePath) && !m_journal.owns(absolutePath);
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
    if (QFileInfo(destination).isDir()) {
        log(QStringLiteral("upd io error %1 in delete file:").arg(EISDIR) + destinationText);
        log(QStringLiteral("upd io error %1 in rename file:").arg(EISDIR) + destinationText);
        return;
    }
    // A rename over the old file replaces it in one step: at no moment is there no program to start.
    place(downloaded, destination, destinationText);
}

bool ComponentInstaller::place(const QString& file, const QString& destination, const QString& destinationText)
{
    switch (m_journal.place(file, destination)) {
    case UpdateJournal::Placing::Placed:
        if (m_placedHandler)
            m_placedHandler(m_journal.placed());
        return true;
    case UpdateJournal::Placing::NotKept:
        // Without a way back the old file is not touched.
        log(QStringLiteral("upd io error %1 in backup file:").arg(errno) + destinationText);
        return false;
    case UpdateJournal::Placing::NotRenamed:
        log(QStringLiteral("upd io error %1 in rename file:").arg(errno) + destinationText);
        return false;
    }
    return false;
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
    // Unpacked aside first, then each file put in place through the journal like any replacement.
    const QString staging = m_journal.stagingDir();
    QString error;
    if (staging.isEmpty() || !archive::extractCabinet(source, staging, &error)) {
        log(QStringLiteral("upd cab error ") + error);
        QDir(staging).removeRecursively();
        return;
    }
    QDirIterator files(staging, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString destination = destDir + QLatin1Char('/') + QDir(staging).relativeFilePath(file);
        place(file, destination, QDir::toNativeSeparators(destination));
    }
    QDir(staging).removeRecursively();
    QFile::remove(source);
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
    const QString destination =
        prefix.isEmpty() ? expanded : destDir + QLatin1Char('/') + QFileInfo(expanded).fileName();
    // Expanded aside first, then put in place through the journal like any replacement.
    const QString staging = m_journal.stagingDir();
    const QString staged = staging + QLatin1Char('/') + QFileInfo(expanded).fileName();
    QString error;
    if (staging.isEmpty() || !archive::expandSzdd(source, staged, &error))
        log(QStringLiteral("upd lzexpand error ") + error);
    else
        place(staged, destination, QDir::toNativeSeparators(destination));
    QDir(staging).removeRecursively();
}

} // namespace helper
