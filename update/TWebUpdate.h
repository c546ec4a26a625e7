#pragma once

#include "base/StopToken.h"
#include "update/ControlFile.h"
#include "update/EngineDialogs.h"
#include "update/InstallPlan.h"
#include "update/TFileList.h"
#include "update/UpdateFormats.h"
#include "update/WebUpdateTypes.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace update {

class HttpTransfer;

// A temporary download file or a log file that cannot be created or written. It ends the running
// operation and propagates to the caller.
class UpdateIoError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The update engine: opens a session to the update server, fetches and reads the update control file,
// decides whether the local installation is older, transfers files with progress, cancel and expansion,
// and carries out the installation steps that the wizard drives one by one.
class TWebUpdate : public QObject
{
    Q_OBJECT
public:
    explicit TWebUpdate(QObject* parent = nullptr);
    ~TWebUpdate() override;

    // Settings (values at creation; the main window sets this system's values).
    QString Agent = "TWebUpdate";
    bool ApplyPatch = false;
    TWebUpdateAuthentication Authenticate = waNever;
    QString DateFormat = "dd/mm/yyyy";
    QChar DateSeparator = '/';
    bool ExtractCAB = false;
    bool ExistingConnection = false;
    QString FTPDirectory;
    bool FTPPassive = false;
    QString Host;
    bool HTTPKeepAliveAuthentication = false;
    bool KeepIntermediateFiles = false;
    QString LanguageID;
    bool Logging = false;
    QString LogFileName = "WUPDATE.LOG";
    TLastURLEntry LastURLEntry;
    QString Password;
    int Port = 21;
    TPostUpdateInfo PostUpdateInfo;
    QString Proxy;
    QString ProxyUserID;
    QString ProxyPassword;
    QString Signature = "WebUpdate";
    bool SignatureCheck = false;
    QString TempDirectory = ".";
    QString TimeFormat = "hh:nn";
    QChar TimeSeparator = ':';
    TWebUpdateType UpdateType = ftpUpdate;
    TWebUpdateConnect UpdateConnect = wucNoConnect;
    TWebUpdateUpdate UpdateUpdate = wuuPromptOnce;
    QString URL;
    QString UserID;
    bool UseCRC32 = false;
    TWebUpdateUtility* Utility = nullptr;
    TWebUpdateVersionCheck VersionCheck = vcUpdateOnly;
    QString Version() const { return QStringLiteral("1.7.0.0"); }

    // Where the newest accepted release time is kept (see ReleaseGuard); empty: the engine's settings place.
    QString releaseStateFile;

    // Programs in the Application directory (file names) that an update never replaces by a lower version than the
    // running one, whatever its sections say; the program that appname names and the running program count as well.
    QStringList programFiles{QStringLiteral("velkorn"), QStringLiteral("upd")};

    // A PEM bundle that server certificates are checked against instead of the system's store; set only by tests.
    QString caBundle;

    // Transfer time-outs in seconds: connecting, and a transfer that receives nothing for that long.
    int connectTimeoutSeconds = 30;
    int stallTimeoutSeconds = 60;

    // Events.
    std::function<void(QObject*, const QString& fileName, qint64 pos, qint64 size)> OnFileProgress;
    std::function<void(QObject*, const QString& fileName)> OnFileDownloaded;
    std::function<void(QObject*, const QString& newVersion, const QString& localVersion, bool& isNew)>
        OnFileVersionCheck;
    std::function<void(QObject*, bool& allowPostResult)> OnProcessPostResult;
    std::function<void(QObject*, bool& allowPost)> OnBeforePost;
    std::function<void(QObject*, const QString& action)> OnProgress;
    std::function<void(QObject*, bool& cancel)> OnProgressCancel;
    std::function<void(QObject*, const QString& statusStr, int statusCode, int errCode)> OnStatus;
    std::function<void(QObject*)> OnThreadUpdateDone;
    std::function<void(QObject*, bool& allow)> OnAppRestart;
    std::function<void(QObject*)> OnAppDoClose;
    std::function<void(QObject*, int fileIdx, const QString& fileDescription, QString& url)> OnBeforeFileDownload;
    std::function<void(QObject*, const QString& msg, const QString& param, bool& allow)> OnCustomValidate;
    std::function<void(QObject*, const QString& msg, const QString& param)> OnCustomProcess;
    std::function<void(QObject*, QStringList& list)> OnGetFileList;
    std::function<void(QObject*, QString& path)> OnConvertPrefix;
    std::function<void(QObject*, QString& appParams)> OnSetAppParams;
    std::function<void(QObject*, QStringList& text, int& res)> OnDownloadedWhatsNew;
    std::function<void(QObject*, QStringList& text, int& res)> OnDownloadedEULA;
    std::function<void(QObject*, const QString& url, QString& fileName)> OnFileNameFromURL;
    std::function<void(QObject*)> OnSuccess;

    // Looked at during every transfer of a session, from the thread that runs it; a stop aborts the transfer, which
    // then fails as a broken download. The application's shutdown uses it to end a running check.
    base::StopToken stopToken;

    // The engine's dialogs (see EngineDialogs.h), called from the thread that runs the step. Without a handler a
    // message is not shown, a question is answered No and a login is cancelled.
    update::MessageHandler showMessage;
    update::QuestionHandler askQuestion;
    update::LoginHandler loginPrompt;

    TFileList FileList;

    // The update check of the feed-applying thread: session, control file, decision, close. Opens no window.
    bool HasNewVersion();

    // Steps of a run, in order.
    virtual int OpenSession();
    virtual int ConnectFtpHost();
    virtual int FetchControlFile();
    virtual int EvaluateUpdate();
    virtual int RunPreUpdateActions();
    virtual std::optional<QStringList> FetchWhatsNew();
    virtual std::optional<QStringList> FetchLicense();
    virtual int LoadFileList();
    virtual int FilterFileList();
    virtual int DownloadFiles();
    int FinishUpdate();
    virtual int CloseSession();
    void LaunchRestart();

    // Single operations. DownloadFile places the file without checking it: only the control file, which is
    // verified by its signature before it is read, and callers that check nothing come this way.
    bool DownloadFile(const QString& url, const QString& targetDir, bool compressed);
    virtual bool CheckFileIsNewer(QString& newVersion, QString& localFile, qint32 newSize, qint32 newChecksum);
    static update::PackedVersion ParseVersion(const QString& text);
    static update::PackedVersion GetFileVersion(const QString& path);
    QDateTime ParseDateTime(const QString& date, const QString& time) const;
    QDateTime ReadLastStamp();
    QString ExpandMacros(const QString& text);
    virtual std::optional<QString> ExpandPathMacro(const QString& name);
    QString FileNameFromUrl(const QString& url);
    virtual void ReportStatus(int id, const QString& argument, int statusCode, int errCode);
    void ReportStatus(int id, const QString& argument = {});
    void AppendLogLine(const QString& text);
    virtual bool QueryCancel();
    virtual bool ExtractRestartHelper();

    // The checksum of a file in the configured mode.
    qint32 FileChecksum(const QString& path) const;

    // Run state, for the wizard.
    QDateTime releaseStamp() const { return m_releaseStamp; }
    QDateTime localStamp() const { return m_localStamp; }
    QString newVersionText() const { return m_newVersion; }
    QString localVersionText() const { return m_localVersion; }
    QString releaseDescription() const { return m_releaseDescription; }
    bool appUpdate() const { return m_appUpdate; }
    bool componentDownloaded() const { return m_componentDownloaded; }
    bool silentRestart() const { return m_silentRestart; }
    // Also set when the run refused a file: a refused file ends the run as a cancel does.
    bool cancelled() const { return m_cancelled; }
    void setCancelled(bool cancelled) { m_cancelled = cancelled; }
    bool sessionOpen() const { return m_sessionOpen; }
    // True while an HTTP transfer of the session runs (window messages are processed in between its blocks).
    bool transferring() const { return m_transferring; }
    QString restartCommand() const { return m_restartCommand; }
    QString componentText() const { return m_componentText; }
    QString controlFilePath() const { return m_controlFilePath; }
    const ControlFile& controlFile() const { return m_controlFile; }
    // True once the run has refused a file or the control file: every later step then does nothing.
    bool refused() const { return m_refused; }

    // The user's temporary directory (where the control file, release notes and helper go), with a final "/".
    QString userTempDirectory() const { return m_userTempDir; }
    void setUserTempDirectory(const QString& dir);

    // The restart helper's command line as LaunchRestart starts it.
    QString restartHelperCommandLine() const;
    // The helper that ExtractRestartHelper wrote out in this run, in a private folder; empty before or on failure.
    QString restartHelperPath() const { return m_helperPath; }
    // Where ExtractRestartHelper finds the SZDD-compressed helper (the restart helper's resource), and the
    // SHA-256 (hexadecimal) that the expanded helper must have, fixed when the program was built.
    QString restartHelperResource = ":/UPD";
    QString restartHelperDigestResource = ":/UPD.sha256";
    // Starts the restart helper; replaced by tests. Answers false with the error number on failure.
    std::function<bool(const QString& commandLine, int& errorNumber)> startProcess;

private:
    // No handler answers No: without someone to ask, nothing is done that needs a Yes.
    bool ask(const update::Question& question) const { return askQuestion && askQuestion(question); }
    // A download that has arrived in its temporary file and is not yet placed.
    struct Staged
    {
        QString tempPath;
        QString localPath;
        QString targetDir;
        QByteArray sha256; // of the bytes as they arrived; empty when not computed on the way
    };
    std::optional<Staged> fetchToTemp(const QString& url, const QString& targetDir);
    std::optional<Staged> fetchInto(const QString& url, const QString& localPath);
    QString fetchHttp(const QString& url, const QString& localPath, QByteArray& sha256);
    std::optional<Staged> fetchLocal(const QString& source, const QString& localPath);
    // Fetches a file of the plan and checks it before it is placed, expanded or run; a refused file is deleted and
    // refused.
    std::optional<Staged> fetchChecked(const QString& url, const TFileDescription& file);
    // Why the control file just fetched may not be read (signature, release time, name); empty when it may.
    QString controlFileRefusal(const QString& url);
    // Ends the run over a file that may not be placed or run: reported, logged and shown, and every later step of
    // the run does nothing.
    enum class Disposal
    {
        Deleted,    // the download was deleted
        NotFetched, // it was not even fetched
        NotRun,     // a program that lies in the Application directory and was left there
    };
    void refuseFile(const QString& name, const QString& reason, Disposal disposal);
    void refuseControlFile(const QString& url, const QString& reason);
    // Whether url is on the update host itself (scheme, host and port of URL), the only place credentials go.
    bool onUpdateHost(const QString& url) const;
    // Starts a program of section action from a checked copy; false (and the run refused) when it may not run.
    bool startProgram(const InstallPlan::Program& program);
    InstallPlan::Places planPlaces();
    bool finishDownload(const QString& tempPath, const QString& localPath, const QString& targetDir, bool compressed);
    void expandCompressed(const QString& localPath, const QString& targetDir);
    QString newTempFile(const QString& directory);
    void processPendingEvents();
    std::optional<QStringList> fetchTextFile(const QString& sectionBase, int statusId);
    bool postUpdateInfo();
    bool isComponent(const QString& fileName) const;

    std::unique_ptr<HttpTransfer> m_session;
    bool m_sessionOpen = false;
    bool m_transferring = false;
    bool m_dialled = false;
    bool m_ftpDirectorySet = false;
    bool m_stampFromRegistry = false;
    QString m_controlFilePath;
    ControlFile m_controlFile;
    InstallPlan m_plan;
    bool m_refused = false;
    bool m_placed = false; // a file of this run has been placed
    QString m_restartCommand;
    QString m_componentText;
    bool m_appUpdate = false;
    bool m_componentDownloaded = false;
    bool m_silentRestart = false;
    bool m_cancelled = false;
    QDateTime m_releaseStamp;
    QDateTime m_localStamp;
    QString m_localVersionPath;
    QString m_localVersion;
    QString m_newVersion;
    QString m_releaseDescription;
    QString m_userTempDir;
    QString m_helperPath;
};

} // namespace update
