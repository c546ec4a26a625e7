// The installation steps of TWebUpdate: the control file's instructions, release notes and licence, the
// file list, the download loop, the closing actions and the launch of the restart helper.
#include "update/TWebUpdate.h"

#include "base/IniFile.h"
#include "platform/Platform.h"
#include "platform/PrivateFiles.h"
#include "update/FileDigest.h"
#include "update/HttpTransfer.h"
#include "update/LastUrlRegistry.h"
#include "update/ReleaseGuard.h"
#include "update/StatusTable.h"
#include "update/archive/Cabinet.h"
#include "update/archive/Szdd.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>

using base::IniFile;

namespace update {

namespace {

QString withSeparator(const QString& dir)
{
    if (dir.isEmpty() || dir.endsWith('/'))
        return dir;
    return dir + '/';
}

QString lineBreaks(QString text)
{
    text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    return text;
}

// Starts a command line without waiting; the first word is the program.
bool startCommandLine(const QString& commandLine)
{
    const QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return false;
    return platform::startDetached(words.first(), words.mid(1), QDir::currentPath());
}

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = IniFile::fromCp1254(bytes); // release notes written on the Windows side
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

int TWebUpdate::RunPreUpdateActions()
{
    const QString msg = m_controlFile.text("action", "msg");
    if (!msg.isEmpty()) {
        ReportStatus(934);
        if (showMessage)
            showMessage({QString(), lineBreaks(msg), update::DialogIcon::Information});
    }
    const QString htmlDialog = ExpandMacros(m_controlFile.text("action", "htmldlg"));
    if (!htmlDialog.isEmpty()) {
        ReportStatus(935);
        platform::openWithDesktop(htmlDialog); // no HTML dialog here: the browser shows the page
    }
    const QString runBefore = ExpandMacros(m_controlFile.text("action", "runbefore"));
    if (!runBefore.isEmpty() && !startChecked(runBefore, "runbeforesha256")) {
        m_appUpdate = false;
        return -1;
    }
    if (OnCustomProcess)
        OnCustomProcess(this, m_controlFile.text("custom", "processmsg"), m_controlFile.text("custom", "processparam"));
    QString showUrl = ExpandMacros(m_controlFile.text("action", "showURL"));
    if (!showUrl.isEmpty()) {
        if (!ProxyUserID.isEmpty() && showUrl.startsWith("http://", Qt::CaseInsensitive))
            showUrl = "http://" + ProxyUserID + ':' + ProxyPassword + '@' + showUrl.mid(7);
        ReportStatus(942);
        platform::openWithDesktop(showUrl);
    }
    const QString query = m_controlFile.text("action", "query");
    if (!query.isEmpty()) {
        ReportStatus(936);
        if (!ask({QString(), lineBreaks(query), update::DialogIcon::Information})) {
            m_appUpdate = false;
            return -1;
        }
    }
    return 0;
}

std::optional<QStringList> TWebUpdate::fetchTextFile(const QString& sectionBase, int statusId)
{
    const QString section = sectionBase + LanguageID;
    const QString url = m_controlFile.text(section, "file");
    if (url.isEmpty())
        return std::nullopt;
    ReportStatus(statusId);
    bool refused = false;
    const auto staged =
        fetchChecked(url, m_userTempDir, update::parseSha256(m_controlFile.text(section, "sha256")), refused);
    if (!staged || !finishDownload(staged->tempPath, staged->localPath, staged->targetDir, false))
        return std::nullopt;
    const QStringList lines = readLines(staged->localPath);
    QFile::remove(staged->localPath);
    return lines;
}

std::optional<QStringList> TWebUpdate::FetchWhatsNew()
{
    return fetchTextFile("whatsnew", 937);
}

std::optional<QStringList> TWebUpdate::FetchLicense()
{
    return fetchTextFile("eula", 939);
}

int TWebUpdate::LoadFileList()
{
    FileList.clear();
    const qint32 count = m_controlFile.integer("files", "count", 0);
    if (count <= 0)
        return 0;
    ReportStatus(943);
    // A count beyond the sections that the file holds would only add empty entries; capping it keeps a
    // bogus count from exhausting memory.
    const int n = std::min<qint64>(count, m_controlFile.sectionCount());
    for (int i = 1; i <= n; ++i) {
        const QString section = "file" + QString::number(i);
        TFileDescription& d = FileList.add();
        d.URL = ExpandMacros(m_controlFile.text(section, "url"));
        d.NewVersion = m_controlFile.text(section, "newversion");
        d.NewSize = m_controlFile.integer(section, "newsize", 0);
        d.NewCheckSum = m_controlFile.integer(section, "newchecksum", -1);
        d.NewCustomVer = m_controlFile.text(section, "customversion");
        d.NewDate = m_controlFile.text(section, "date");
        d.NewTime = m_controlFile.text(section, "time");
        d.LocalVersion = ExpandMacros(m_controlFile.text(section, "localversion"));
        d.Description = m_controlFile.text(section, "descr");
        d.TargetDir = withSeparator(update::toLocalPath(ExpandMacros(m_controlFile.text(section, "targetdir"))));
        d.Compressed = m_controlFile.flag(section, "compressed");
        d.FileSize = m_controlFile.integer(section, "filesize", 0);
        d.Mandatory = m_controlFile.flag(section, "mandatory");
        d.Hidden = m_controlFile.flag(section, "hidden");
        d.Sha256 = update::parseSha256(m_controlFile.text(section, "sha256"));
    }
    return n;
}

int TWebUpdate::FilterFileList()
{
    int i = 0;
    while (i < FileList.count()) {
        TFileDescription& item = FileList.item(i);
        bool keep;
        if (!item.LocalVersion.isEmpty() && !item.NewDate.isEmpty()) {
            const QFileInfo local(update::toLocalPath(item.LocalVersion));
            keep = !(local.exists() && local.lastModified() >= ParseDateTime(item.NewDate, item.NewTime));
        } else {
            QString newVersion = item.NewVersion;
            QString localVersion = item.LocalVersion;
            keep = CheckFileIsNewer(newVersion, localVersion, item.NewSize, item.NewCheckSum);
            if (keep && OnFileVersionCheck && !item.NewCustomVer.isEmpty()) {
                bool isNew = true;
                OnFileVersionCheck(this, item.NewCustomVer, localVersion, isNew);
                keep = isNew;
            }
        }
        if (keep)
            ++i;
        else
            FileList.removeAt(i);
    }

    if (OnGetFileList) {
        QStringList names;
        for (int k = 0; k < FileList.count(); ++k)
            names << FileList.item(k).Description;
        OnGetFileList(this, names);
        for (int k = std::min(FileList.count(), int(names.size())) - 1; k >= 0; --k)
            if (names.at(k).isEmpty())
                FileList.removeAt(k);
    }
    return FileList.isEmpty() ? -1 : 0;
}

int TWebUpdate::DownloadFiles()
{
    TWebUpdateUpdate mode = UpdateUpdate;
    int result = 0;
    // Every file first arrives in a temporary file and is checked; only when none was refused are they placed,
    // so that one file the publisher did not vouch for leaves the installation as it was.
    struct Arrived
    {
        int index;
        QString url;
        Staged staged;
    };
    std::vector<Arrived> arrived;
    struct Discard
    {
        std::vector<Arrived>& files;
        ~Discard()
        {
            for (const Arrived& a : files)
                QFile::remove(a.staged.tempPath);
        }
    } discard{arrived};
    bool refused = false;
    for (int p = 0; p < FileList.count() && !refused; ++p) {
        TFileDescription& item = FileList.item(p);
        if (mode == wuuPromptAll) {
            const QString text = update::statusText(909, {}) + FileNameFromUrl(item.URL);
            if (!ask({QString(), text, update::DialogIcon::Question}))
                continue;
        } else if (mode == wuuPromptOnce) {
            if (!ask({QString(), update::statusText(910, {}), update::DialogIcon::Question}))
                break;
        }

        FileList.ActiveItem = p;
        QString url = item.URL;
        if (OnBeforeFileDownload)
            OnBeforeFileDownload(this, p + 1, item.Description, url);
        const QString target = update::toLocalPath(item.TargetDir);
        if (!target.isEmpty() && !QDir(target).exists())
            QDir().mkpath(target);

        if (auto staged = fetchChecked(url, item.TargetDir, item.Sha256, refused)) {
            arrived.push_back({p, url, *staged});
        } else {
            result = -1;
            ReportStatus(946, url);
            m_appUpdate = false;
        }
        if (mode == wuuPromptOnce)
            mode = wuuSilent;
    }
    if (refused)
        return -1;

    std::vector<Arrived> placing;
    placing.swap(arrived);
    for (const Arrived& a : placing) {
        const TFileDescription& item = FileList.item(a.index);
        if (!finishDownload(a.staged.tempPath, a.staged.localPath, a.staged.targetDir, item.Compressed)) {
            result = -1;
            ReportStatus(946, a.url);
            m_appUpdate = false;
            continue;
        }
        const QString name = FileNameFromUrl(a.url);
        const QString target = update::toLocalPath(item.TargetDir);
        if (isComponent(name)) {
            m_componentDownloaded = true;
            ReportStatus(962, name);
        } else if (ExtractCAB && !item.Compressed &&
                   QFileInfo(name).suffix().compare("CAB", Qt::CaseInsensitive) == 0) {
            const QString cab = withSeparator(target) + name;
            if (!archive::extractCabinet(cab, target, nullptr))
                ReportStatus(947, cab);
            else if (!KeepIntermediateFiles)
                QFile::remove(cab);
        }
    }
    return result;
}

std::optional<TWebUpdate::Staged> TWebUpdate::fetchChecked(const QString& url, const QString& targetDir,
                                                           const update::FileDigest& digest, bool& refused)
{
    refused = false;
    std::optional<Staged> staged = fetchToTemp(url, targetDir);
    if (!staged)
        return std::nullopt;
    QString reason;
    if (!digest.valid())
        reason = digest.state == update::FileDigest::State::Absent ? "no SHA-256 is published for it"
                                                                   : "its published SHA-256 is not readable";
    else if ((staged->sha256.isEmpty() ? update::fileSha256(staged->tempPath) : staged->sha256) != digest.bytes)
        reason = "its bytes differ from the published SHA-256";
    else
        reason = programRefusal(QFileInfo(staged->localPath).fileName(), staged->tempPath);
    if (reason.isEmpty())
        return staged;
    QFile::remove(staged->tempPath);
    refused = true;
    refuseFile(url, reason, true);
    return std::nullopt;
}

QString TWebUpdate::programRefusal(const QString& fileName, const QString& path) const
{
    // The program is the file named by appname, or its "_NEW" replacement; other files carry no version rule.
    const QString program =
        QFileInfo(update::toLocalPath(QProcess::splitCommand(m_restartCommand).value(0))).fileName();
    if (program.isEmpty() || (fileName.compare(program, Qt::CaseInsensitive) != 0 &&
                              fileName.compare(program + "_NEW", Qt::CaseInsensitive) != 0))
        return {};
    switch (update::checkProgramVersion(GetFileVersion(path), update::runningProgramVersion())) {
    case update::ProgramVersionVerdict::Allowed:
        return {};
    case update::ProgramVersionVerdict::Lower:
        return "its program version is lower than the running one";
    case update::ProgramVersionVerdict::Unknown:
        break;
    }
    return "its program version cannot be read";
}

void TWebUpdate::refuseFile(const QString& name, const QString& reason, bool tellUser)
{
    ReportStatus(966, name);
    AppendLogLine("Refused update file " + name + ": " + reason);
    if (tellUser && showMessage)
        showMessage({QString(),
                     "The update file " + QFileInfo(update::toLocalPath(name)).fileName() + " was refused: " + reason +
                         ". It was deleted and nothing was installed.",
                     update::DialogIcon::Error});
}

bool TWebUpdate::startChecked(const QString& commandLine, const QString& digestKey)
{
    const QString program = update::toLocalPath(QProcess::splitCommand(commandLine).value(0));
    const update::FileDigest digest = update::parseSha256(m_controlFile.text("action", digestKey));
    if (!update::fileMatches(program, digest)) {
        refuseFile(program,
                   digest.valid() ? "its bytes differ from the published SHA-256"
                                  : "no readable SHA-256 is published for it",
                   true);
        return false;
    }
    startCommandLine(commandLine);
    return true;
}

bool TWebUpdate::postUpdateInfo()
{
    PostUpdateInfo.PostResult.clear();
    if (PostUpdateInfo.Server.isEmpty() || PostUpdateInfo.Action.isEmpty())
        return false;
    HttpTransfer post;
    post.setAgent(Agent);
    post.setTimeouts(connectTimeoutSeconds, stallTimeoutSeconds);
    const QString action = PostUpdateInfo.Action.startsWith('/') ? PostUpdateInfo.Action : '/' + PostUpdateInfo.Action;
    QByteArray answer;
    const HttpTransfer::Response r = post.post("http://" + PostUpdateInfo.Server + ":80" + action,
                                               {"Content-Type: application/x-www-form-urlencoded"},
                                               PostUpdateInfo.Data.toUtf8(), [&answer](const char* data, qint64 size) {
                                                   answer.append(data, size);
                                                   return true;
                                               });
    if (!r.opened) {
        ReportStatus(951);
        return false;
    }
    if (r.status >= 300 || r.readError) {
        ReportStatus(952);
        return false;
    }
    PostUpdateInfo.PostResult = QString::fromUtf8(answer);
    return true;
}

int TWebUpdate::FinishUpdate()
{
    if (m_cancelled)
        return -1;
    if (PostUpdateInfo.Enabled) {
        bool allowPost = true;
        if (OnBeforePost)
            OnBeforePost(this, allowPost);
        if (!allowPost)
            return -1;
        postUpdateInfo();
        bool allowResult = true;
        if (OnProcessPostResult)
            OnProcessPostResult(this, allowResult);
        if (!allowResult)
            return -1;
    }
    if (m_stampFromRegistry && LastURLEntry.Save) {
        const QLocale locale = QLocale::system();
        update::writeLastUrlValue(LastURLEntry, "LastDate",
                                  locale.toString(m_releaseStamp.date(), QLocale::ShortFormat));
        if (m_releaseStamp.time() != QTime(0, 0))
            update::writeLastUrlValue(LastURLEntry, "LastTime",
                                      locale.toString(m_releaseStamp.time(), QLocale::ShortFormat));
    }
    const QString updateUrl = m_controlFile.text("action", "updateURL");
    if (!updateUrl.isEmpty()) {
        ReportStatus(941);
        if (!LastURLEntry.Key.isEmpty() && !LastURLEntry.Section.isEmpty() && LastURLEntry.Save)
            update::writeLastUrlValue(LastURLEntry, "LastURL", updateUrl);
    }
    const QString runAfter = ExpandMacros(m_controlFile.text("action", "runafter"));
    if (!runAfter.isEmpty() && !startChecked(runAfter, "runaftersha256")) {
        m_appUpdate = false; // a run that was refused anything restarts nothing
        return -1;
    }
    ReportStatus(948);
    return 0;
}

bool TWebUpdate::ExtractRestartHelper()
{
    if (!m_helperPath.isEmpty())
        platform::removePrivateDir(QFileInfo(m_helperPath).path());
    m_helperPath.clear();
    QFile resource(restartHelperResource);
    QFile digestResource(restartHelperDigestResource);
    if (!resource.open(QIODevice::ReadOnly) || !digestResource.open(QIODevice::ReadOnly))
        return false;
    const update::FileDigest expected = update::parseSha256(QString::fromLatin1(digestResource.readAll().trimmed()));
    if (!expected.valid())
        return false;
    // A fresh folder that only this user can enter: in the shared temporary folder another user could plant
    // an "upd.exe" for us to run, or a link named "upd.ex_" for us to write through.
    const QString dir = platform::makePrivateDir(m_userTempDir, QStringLiteral("velkorn-upd-"));
    if (dir.isEmpty())
        throw UpdateIoError(("Unable to create a private folder in " + m_userTempDir).toStdString());
    const QString compressed = dir + "upd.ex_";
    const QString expanded = dir + "upd.exe";
    if (!platform::writeNewFile(compressed, resource.readAll())) {
        platform::removePrivateDir(dir);
        throw UpdateIoError(("Unable to write to " + compressed).toStdString());
    }
    const bool ok = archive::expandSzdd(compressed, expanded, nullptr) && update::fileMatches(expanded, expected);
    QFile::remove(compressed);
    if (!ok) {
        platform::removePrivateDir(dir);
        return false;
    }
    QFile::setPermissions(expanded, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_helperPath = expanded;
    return true;
}

QString TWebUpdate::restartHelperCommandLine() const
{
    QString appPath = withSeparator(QDir::currentPath()) + m_restartCommand;
    if (appPath.contains(' '))
        appPath = '"' + appPath + '"';
    return m_helperPath + ' ' + QString::number(platform::currentProcessId()) + (Logging ? " L " : " X ") + appPath +
           ' ' + m_componentText;
}

void TWebUpdate::LaunchRestart()
{
    ReportStatus(959, QDir::currentPath());
    if (QueryCancel())
        return;
    bool allow = true;
    if (OnAppRestart)
        OnAppRestart(this, allow);
    else if (!m_silentRestart)
        allow = ask({QString(), update::statusText(911, {}), update::DialogIcon::Question});
    if (!allow)
        return;

    // Only a helper that this run has written out and checked is started, never whatever lies at a known path.
    int error = ENOENT;
    bool started = false;
    if (ExtractRestartHelper() && !m_helperPath.isEmpty()) {
        const QString commandLine = restartHelperCommandLine();
        ReportStatus(958, commandLine);
        if (startProcess) {
            started = startProcess(commandLine, error);
        } else {
            // The helper's own path is not quoted in the command line, so it is taken apart here.
            const QStringList args = QProcess::splitCommand(commandLine.mid(m_helperPath.size() + 1));
            started = platform::startDetached(m_helperPath, args, QDir::currentPath());
            error = EACCES;
        }
    }
    if (!started)
        ReportStatus(950, QString::fromLocal8Bit(std::strerror(error)), 9, error);

    if (OnAppDoClose)
        OnAppDoClose(this);
    else
        QCoreApplication::quit();
}

} // namespace update
