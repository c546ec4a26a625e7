// The installation steps of TWebUpdate: the control file's instructions, release notes and licence, the
// file list, the download loop, the closing actions and the launch of the restart helper.
#include "update/TWebUpdate.h"

#include "base/IniFile.h"
#include "platform/Platform.h"
#include "platform/PrivateFiles.h"
#include "update/FileDigest.h"
#include "update/HttpTransfer.h"
#include "update/LastUrlRegistry.h"
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
    if (m_refused)
        return -1;
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
    if (!m_plan.runBefore().path.isEmpty() && !startProgram(m_plan.runBefore()))
        return -1;
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
    if (m_refused)
        return std::nullopt;
    const QString section = sectionBase + LanguageID;
    TFileDescription text;
    text.URL = m_controlFile.text(section, "file");
    if (text.URL.isEmpty())
        return std::nullopt;
    ReportStatus(statusId);
    text.Sha256 = update::parseSha256(m_controlFile.text(section, "sha256"));
    text.LocalPath = m_plan.textPath(text.URL);
    if (text.LocalPath.isEmpty()) {
        refuseFile(text.URL, "its name cannot be a file in the temporary folder", Disposal::NotFetched);
        return std::nullopt;
    }
    const auto staged = fetchChecked(text.URL, text);
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
    if (m_refused || m_controlFile.integer("files", "count", 0) <= 0)
        return 0;
    ReportStatus(943);
    for (const TFileDescription& file : m_plan.files())
        FileList.add() = file;
    return FileList.count();
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
    if (m_refused)
        return -1;
    TWebUpdateUpdate mode = UpdateUpdate;
    int result = 0;
    // Every file first arrives in a temporary file and is checked; only when none was refused, and the program that
    // runs afterwards is the published one, are they placed: one file the publisher did not vouch for leaves the
    // installation as it was.
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
    for (int p = 0; p < FileList.count() && !m_refused; ++p) {
        const TFileDescription& item = FileList.item(p);
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
        // The place is the one the plan resolved; a handler that changes the URL changes only where it comes from.
        if (auto staged = item.LocalPath.isEmpty() ? std::nullopt : fetchChecked(url, item)) {
            arrived.push_back({p, url, *staged});
        } else if (!m_refused) {
            result = -1;
            ReportStatus(946, url);
            m_appUpdate = false;
        }
        if (mode == wuuPromptOnce)
            mode = wuuSilent;
    }
    if (m_refused)
        return -1;

    QList<InstallPlan::Arrival> arrivals;
    for (const Arrived& a : arrived)
        arrivals.append({&FileList.item(a.index), a.staged.tempPath, a.staged.sha256});
    int from = -1;
    const QString runAfter = m_plan.runAfterRefusal(arrivals, from);
    if (!runAfter.isEmpty()) {
        if (from >= 0)
            refuseFile(arrived.at(size_t(from)).url, runAfter, Disposal::Deleted);
        else
            refuseFile(m_plan.runAfter().path, runAfter, Disposal::NotRun);
        return -1;
    }

    std::vector<Arrived> placing;
    placing.swap(arrived);
    for (const Arrived& a : placing) {
        const TFileDescription& item = FileList.item(a.index);
        QDir().mkpath(a.staged.targetDir);
        m_placed = true;
        if (!finishDownload(a.staged.tempPath, a.staged.localPath, a.staged.targetDir, item.Compressed)) {
            result = -1;
            ReportStatus(946, a.url);
            m_appUpdate = false;
            continue;
        }
        const QString name = QFileInfo(a.staged.localPath).fileName();
        if (isComponent(name)) {
            m_componentDownloaded = true;
            ReportStatus(962, name);
        } else if (ExtractCAB && !item.Compressed &&
                   QFileInfo(name).suffix().compare("CAB", Qt::CaseInsensitive) == 0) {
            if (!archive::extractCabinet(a.staged.localPath, a.staged.targetDir, nullptr))
                ReportStatus(947, a.staged.localPath);
            else if (!KeepIntermediateFiles)
                QFile::remove(a.staged.localPath);
        }
    }
    return result;
}

std::optional<TWebUpdate::Staged> TWebUpdate::fetchChecked(const QString& url, const TFileDescription& file)
{
    std::optional<Staged> staged = fetchInto(url, file.LocalPath);
    if (!staged)
        return std::nullopt;
    const QString reason = m_plan.fileRefusal(file, staged->tempPath, staged->sha256);
    if (reason.isEmpty())
        return staged;
    QFile::remove(staged->tempPath);
    refuseFile(url, reason, Disposal::Deleted);
    return std::nullopt;
}

void TWebUpdate::refuseFile(const QString& name, const QString& reason, Disposal disposal)
{
    m_refused = true;
    m_cancelled = true;
    m_appUpdate = false;
    ReportStatus(966, name);
    AppendLogLine("Refused update file " + name + ": " + reason);
    if (!showMessage)
        return;
    QString outcome = disposal == Disposal::Deleted      ? "It was deleted"
                      : disposal == Disposal::NotFetched ? "It was not fetched"
                                                         : "It was not run";
    outcome += m_placed ? "." : " and nothing was installed.";
    const QString what = disposal == Disposal::NotRun ? "The program " : "The update file ";
    showMessage({QString(),
                 what + QFileInfo(update::toLocalPath(name)).fileName() + " was refused: " + reason + ". " + outcome,
                 update::DialogIcon::Error});
}

void TWebUpdate::refuseControlFile(const QString& url, const QString& reason)
{
    m_controlFile.close();
    m_plan = InstallPlan();
    QFile::remove(m_controlFilePath);
    QFile::remove(m_controlFilePath + ".minisig");
    m_refused = true;
    m_cancelled = true;
    m_appUpdate = false;
    ReportStatus(967, reason);
    AppendLogLine("Refused update control file " + url + ": " + reason);
    if (showMessage)
        showMessage({QString(),
                     "The update control file " + update::fileNameFromUrl(url) + " was refused: " + reason +
                         ". It was deleted and nothing was installed.",
                     update::DialogIcon::Error});
}

bool TWebUpdate::startProgram(const InstallPlan::Program& program)
{
    const InstallPlan::Copy copy = m_plan.copyProgram(program, m_userTempDir);
    if (!copy.refusal.isEmpty()) {
        refuseFile(program.path, copy.refusal, Disposal::NotRun);
        return false;
    }
    platform::startDetached(copy.path, program.arguments, QDir::currentPath());
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
    // Checked before anything was placed, and again on the copy that runs.
    if (!m_plan.runAfter().path.isEmpty() && !startProgram(m_plan.runAfter()))
        return -1; // a run that was refused anything restarts nothing
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
    if (m_refused)
        return;
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
