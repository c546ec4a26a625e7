#include "update/InstallPlan.h"

#include "base/IniFile.h"
#include "base/PathRules.h"
#include "platform/PrivateFiles.h"
#include "update/ControlFile.h"
#include "update/FileVersion.h"
#include "update/ReleaseGuard.h"
#include "update/archive/Cabinet.h"
#include "update/archive/Szdd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>

#include <algorithm>

namespace update {

namespace {

// `path` (a separator may be a backslash) relative to `directory`, cleaned; empty when it is not below `directory`.
// With `strictly`, the directory itself does not count: the path must name something in it.
QString below(const QString& directory, const QString& path, bool strictly)
{
    const QString local = base::toLocalPath(path);
    const QString full = QDir::cleanPath(local.startsWith('/') ? local : directory + '/' + local);
    if (!base::isInsideDirectory(directory, full) || (strictly && full == directory))
        return {};
    return full;
}

QString digestRefusal(const FileDigest& digest, const QByteArray& actual)
{
    if (digest.state == FileDigest::State::Absent)
        return QStringLiteral("no SHA-256 is published for it");
    if (!digest.valid())
        return QStringLiteral("its published SHA-256 is not readable");
    if (actual != digest.bytes)
        return QStringLiteral("its bytes differ from the published SHA-256");
    return {};
}

QByteArray sha256Of(const QByteArray& bytes)
{
    Sha256Stream hash;
    hash.add(bytes.constData(), bytes.size());
    return hash.result();
}

bool isCabinet(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("CAB"), Qt::CaseInsensitive) == 0;
}

// The SZDD expansion of a staged download, in a private folder for as long as `use` looks at it.
template <typename Use> auto withExpansion(const QString& staged, const QString& privateBase, Use use)
{
    const QString dir = platform::makePrivateDir(privateBase, QStringLiteral("velkorn-check-"));
    const QString expanded = dir + QStringLiteral("expanded");
    const bool ok = !dir.isEmpty() && archive::expandSzdd(staged, expanded, nullptr);
    auto result = use(ok ? expanded : QString());
    if (!dir.isEmpty())
        platform::removePrivateDir(dir);
    return result;
}

} // namespace

InstallPlan::InstallPlan(const ControlFile& control, Places places) : m_places(std::move(places))
{
    m_places.appDir = QDir::cleanPath(m_places.appDir);
    m_places.textDir = QDir::cleanPath(m_places.textDir);
    if (const auto cut = control.cutValue()) {
        refuse(QStringLiteral("the value %1 of section %2 is longer than %3 characters")
                   .arg(cut->second, cut->first)
                   .arg(base::IniFile::MaxValueLength));
        return;
    }
    m_localVersion = pathOf(control, QStringLiteral("update"), QStringLiteral("localversion"));
    m_runBefore = programOf(control, QStringLiteral("runbefore"));
    m_runAfter = programOf(control, QStringLiteral("runafter"));
    m_componentText = m_places.expandMacros(control.text(QStringLiteral("application"), QStringLiteral("appcomps")));

    for (const QString& name : std::as_const(m_places.programs))
        m_programs << m_places.appDir + '/' + name;
    const QString appName = QProcess::splitCommand(m_places.expandMacros(control.text(QStringLiteral("application"),
                                                                                      QStringLiteral("appname"))))
                                .value(0);
    if (!appName.isEmpty())
        m_programs << below(m_places.appDir, appName, true);
    if (!m_places.runningProgram.isEmpty())
        m_programs << below(m_places.appDir, m_places.runningProgram, true);
    m_programs.removeAll(QString());

    readFiles(control);
}

void InstallPlan::refuse(const QString& reason)
{
    if (m_problem.isEmpty())
        m_problem = reason;
}

QString InstallPlan::resolve(const QString& text) const
{
    if (!m_places.expandMacros) // no control file was read
        return {};
    return below(m_places.appDir, m_places.expandMacros(text), false);
}

QString InstallPlan::pathOf(const ControlFile& control, const QString& section, const QString& key)
{
    const QString text = control.text(section, key);
    if (text.isEmpty())
        return {};
    const QString path = resolve(text);
    if (path.isEmpty())
        refuse(QStringLiteral("%1 of section %2 (%3) lies outside the Application directory").arg(key, section, text));
    return path;
}

InstallPlan::Program InstallPlan::programOf(const ControlFile& control, const QString& key)
{
    Program program;
    const QString line = control.text(QStringLiteral("action"), key);
    QStringList words = QProcess::splitCommand(line);
    if (words.isEmpty())
        return program;
    // Split before the expansion, so that a directory with a blank in its name stays one word.
    for (QString& word : words)
        word = m_places.expandMacros(word);
    program.path = below(m_places.appDir, words.first(), true);
    if (program.path.isEmpty())
        refuse(QStringLiteral("the program of %1 (%2) is not a file in the Application directory").arg(key, line));
    program.arguments = words.mid(1);
    program.digest = parseSha256(control.text(QStringLiteral("action"), key + QStringLiteral("sha256")));
    return program;
}

void InstallPlan::readFiles(const ControlFile& control)
{
    const qint32 count = control.integer(QStringLiteral("files"), QStringLiteral("count"), 0);
    // A count beyond the sections that the file holds would only add empty entries; capping it keeps a bogus count
    // from exhausting memory.
    const int n = count <= 0 ? 0 : int(std::min<qint64>(count, control.sectionCount()));
    QHash<QString, int> byTarget;
    for (int i = 1; i <= n; ++i) {
        const QString section = QStringLiteral("file") + QString::number(i);
        TFileDescription& d = m_files.emplace_back();
        d.URL = m_places.expandMacros(control.text(section, QStringLiteral("url")));
        d.NewVersion = control.text(section, QStringLiteral("newversion"));
        d.NewSize = control.integer(section, QStringLiteral("newsize"), 0);
        d.NewCheckSum = control.integer(section, QStringLiteral("newchecksum"), -1);
        d.NewCustomVer = control.text(section, QStringLiteral("customversion"));
        d.NewDate = control.text(section, QStringLiteral("date"));
        d.NewTime = control.text(section, QStringLiteral("time"));
        d.LocalVersion = pathOf(control, section, QStringLiteral("localversion"));
        d.Description = control.text(section, QStringLiteral("descr"));
        d.Compressed = control.flag(section, QStringLiteral("compressed"));
        d.FileSize = control.integer(section, QStringLiteral("filesize"), 0);
        d.Mandatory = control.flag(section, QStringLiteral("mandatory"));
        d.Hidden = control.flag(section, QStringLiteral("hidden"));
        d.Sha256 = parseSha256(control.text(section, QStringLiteral("sha256")));

        const QString targetDir = control.text(section, QStringLiteral("targetdir"));
        const QString dir = resolve(targetDir);
        if (dir.isEmpty()) {
            refuse(QStringLiteral("targetdir of section %1 (%2) lies outside the Application directory")
                       .arg(section, targetDir));
            continue;
        }
        d.TargetDir = dir + '/';
        if (d.URL.isEmpty())
            continue; // nothing to fetch; the download fails as any other
        const QString name = m_places.fileNameFromUrl(d.URL);
        d.LocalPath = below(dir, name, true);
        if (d.LocalPath.isEmpty()) {
            refuse(QStringLiteral("the file of section %1 (%2) would not lie inside its target folder")
                       .arg(section, name));
            continue;
        }
        // The same file twice is harmless; with two digests the run could not know which bytes are meant.
        const auto seen = byTarget.constFind(d.LocalPath);
        if (seen != byTarget.constEnd()) {
            const FileDigest& other = m_files.at(*seen).Sha256;
            if (other.state != d.Sha256.state || other.bytes != d.Sha256.bytes)
                refuse(QStringLiteral("sections file%1 and %2 place %3 with different SHA-256 digests")
                           .arg(*seen + 1)
                           .arg(section, d.LocalPath));
        } else {
            byTarget.insert(d.LocalPath, i - 1);
        }
    }
}

QString InstallPlan::textPath(const QString& url) const
{
    if (!m_places.fileNameFromUrl) // no control file was read
        return {};
    return below(m_places.textDir, m_places.fileNameFromUrl(url), true);
}

QList<InstallPlan::Landing> InstallPlan::landings(const TFileDescription& file, const QString& staged) const
{
    QList<Landing> result;
    const QString& path = file.LocalPath;
    const QString name = QFileInfo(path).fileName();
    const bool component = !name.isEmpty() && m_componentText.contains(name, Qt::CaseInsensitive);
    const bool cabinet = isCabinet(path);
    const QString expanded = cabinet ? QString() : archive::expandedSzddName(staged, path);
    if (!file.Compressed) {
        result.append({path, Landing::Bytes, true});
        // The restart helper puts a "_NEW" file in place of the one of the same name without the ending, and expands
        // a component of any other kind.
        if (path.endsWith(QLatin1String("_NEW"), Qt::CaseInsensitive))
            result.append({path.chopped(4), Landing::Bytes, false});
        else if (!expanded.isEmpty())
            result.append({expanded, Landing::Expanded, false});
    } else if (!expanded.isEmpty()) {
        result.append({expanded, Landing::Expanded, true});
    }
    if (cabinet) {
        const bool byRun = file.Compressed || (m_places.extractCab && !component);
        const QString dir = QFileInfo(path).path();
        for (const QString& entry : archive::cabinetEntries(staged))
            result.append({QDir::cleanPath(dir + '/' + entry), Landing::Unpacked, byRun});
    }
    return result;
}

bool InstallPlan::replacesProgram(const QString& path) const
{
    return std::any_of(m_programs.cbegin(), m_programs.cend(),
                       [&path](const QString& program) { return path.compare(program, Qt::CaseInsensitive) == 0; });
}

QString InstallPlan::fileRefusal(const TFileDescription& file, const QString& staged, const QByteArray& sha256) const
{
    const QString reason =
        digestRefusal(file.Sha256, sha256.isEmpty() && file.Sha256.valid() ? fileSha256(staged) : sha256);
    return reason.isEmpty() ? versionRefusal(file, staged) : reason;
}

// Every way in which the file could take a program's place counts, whatever the sections say of it.
QString InstallPlan::versionRefusal(const TFileDescription& file, const QString& staged) const
{
    for (const Landing& landing : landings(file, staged)) {
        if (!replacesProgram(landing.path))
            continue;
        const QString program = QFileInfo(landing.path).fileName();
        if (landing.source == Landing::Unpacked)
            return QStringLiteral("it would unpack the program %1 from a cabinet, where its version cannot be checked")
                .arg(program);
        const PackedVersion offered = landing.source == Landing::Bytes
                                          ? GetFileVersion(staged)
                                          : withExpansion(staged, m_places.textDir, [](const QString& expanded) {
                                                return expanded.isEmpty() ? PackedVersion{} : GetFileVersion(expanded);
                                            });
        switch (checkProgramVersion(offered, runningProgramVersion())) {
        case ProgramVersionVerdict::Allowed:
            continue;
        case ProgramVersionVerdict::Lower:
            return QStringLiteral("its program version is lower than the running one");
        case ProgramVersionVerdict::Unknown:
            return QStringLiteral("its program version cannot be read");
        }
    }
    return {};
}

QString InstallPlan::runAfterRefusal(const QList<Arrival>& arrivals, int& from) const
{
    from = -1;
    if (m_runAfter.path.isEmpty())
        return {};
    // The last file placed there is the one that runs.
    for (int i = int(arrivals.size()) - 1; i >= 0; --i) {
        const Arrival& arrival = arrivals.at(i);
        for (const Landing& landing : landings(*arrival.file, arrival.staged)) {
            if (!landing.byRun || landing.path != m_runAfter.path)
                continue;
            from = i;
            switch (landing.source) {
            case Landing::Bytes:
                return digestRefusal(m_runAfter.digest,
                                     arrival.sha256.isEmpty() ? fileSha256(arrival.staged) : arrival.sha256);
            case Landing::Expanded:
                return withExpansion(arrival.staged, m_places.textDir, [this](const QString& expanded) {
                    return digestRefusal(m_runAfter.digest, expanded.isEmpty() ? QByteArray() : fileSha256(expanded));
                });
            case Landing::Unpacked:
                return QStringLiteral("it would be unpacked from a cabinet, where it cannot be checked");
            }
        }
    }
    QByteArray bytes;
    return checkedBytes(m_runAfter, bytes);
}

QString InstallPlan::checkedBytes(const Program& program, QByteArray& bytes) const
{
    switch (platform::readRegularFile(program.path, MaxProgramSize, bytes)) {
    case platform::FileRead::Read:
        return digestRefusal(program.digest, sha256Of(bytes));
    case platform::FileRead::Missing:
        return QStringLiteral("it does not exist");
    case platform::FileRead::Link:
        return QStringLiteral("it is a symbolic link");
    case platform::FileRead::NotAFile:
        return QStringLiteral("it is not a file");
    case platform::FileRead::TooLarge:
        return QStringLiteral("it is too large to be checked");
    case platform::FileRead::Failed:
        break;
    }
    return QStringLiteral("it cannot be read");
}

InstallPlan::Copy InstallPlan::copyProgram(const Program& program, const QString& privateBase) const
{
    Copy copy;
    QByteArray bytes;
    copy.refusal = checkedBytes(program, bytes);
    if (!copy.refusal.isEmpty())
        return copy;
    const QString dir = platform::makePrivateDir(privateBase, QStringLiteral("velkorn-run-"));
    const QString path = dir + QFileInfo(program.path).fileName();
    if (dir.isEmpty() || !platform::writeNewFile(path, bytes) ||
        !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        if (!dir.isEmpty())
            platform::removePrivateDir(dir);
        copy.refusal = QStringLiteral("it cannot be copied into a private folder to run");
        return copy;
    }
    copy.path = path;
    return copy;
}

} // namespace update
