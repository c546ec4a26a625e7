#include "update/TWebUpdate.h"

#include "platform/Platform.h"
#include "update/FileDigest.h"
#include "update/FileVersion.h"
#include "update/HttpTransfer.h"
#include "update/LastUrlRegistry.h"
#include "update/Minisign.h"
#include "update/ReleaseGuard.h"
#include "update/StatusTable.h"
#include "update/TrustedKeys.h"
#include "update/archive/Cabinet.h"
#include "update/archive/Szdd.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>
#include <QThread>
#include <QUrl>

namespace update {

namespace {

constexpr qint64 localBlockSize = 16384;

QString withSeparator(const QString& dir)
{
    if (dir.isEmpty() || dir.endsWith('/'))
        return dir;
    return dir + '/';
}

// Deletes a temporary download file unless it was handed on; keeps failures from leaving debris behind.
class TempFileGuard
{
public:
    explicit TempFileGuard(QString& path) : m_path(path) {}
    ~TempFileGuard()
    {
        if (!m_path.isEmpty())
            QFile::remove(m_path);
    }

private:
    QString& m_path;
};

} // namespace

TWebUpdate::TWebUpdate(QObject* parent) : QObject(parent), m_userTempDir(platform::tempDir()) {}

TWebUpdate::~TWebUpdate() = default;

void TWebUpdate::setUserTempDirectory(const QString& dir)
{
    m_userTempDir = withSeparator(dir);
}

bool TWebUpdate::HasNewVersion()
{
    if (OpenSession() != 0)
        return false;
    bool result = false;
    try {
        if (UpdateType == ftpUpdate)
            ConnectFtpHost();
        if (m_session || UpdateType == fileUpdate) {
            if (FetchControlFile() == 0)
                result = EvaluateUpdate() != verdictNoUpdate;
        }
    } catch (...) {
        CloseSession(); // the error itself goes on to the caller
        throw;
    }
    CloseSession();
    return result;
}

int TWebUpdate::OpenSession()
{
    m_session.reset();
    if (UpdateType == fileUpdate)
        return 0;
    ReportStatus(918);
    if (UpdateConnect == wucNone)
        return 0;
    // There is no dial-up here: the machine always counts as connected (see PLATFORM.md).
    ReportStatus(921);
    auto session = std::make_unique<HttpTransfer>();
    if (!session->isValid()) {
        ReportStatus(922);
        return 2;
    }
    session->setAgent(Agent);
    session->setProxy(Proxy);
    session->setTimeouts(connectTimeoutSeconds, stallTimeoutSeconds);
    session->setFtpLogin(UserID, Password, FTPPassive);
    session->setStopToken(stopToken);
    session->setCaBundle(caBundle);
    m_session = std::move(session);
    m_sessionOpen = true;
    m_ftpDirectorySet = false;
    return 0;
}

int TWebUpdate::ConnectFtpHost()
{
    if (UpdateType != ftpUpdate || !m_session)
        return 0;
    ReportStatus(923, Host);
    const HttpTransfer::Response r = m_session->connectOnly(QStringLiteral("ftp://%1:%2/").arg(Host).arg(Port));
    if (r.opened)
        return 0;
    if (OnStatus)
        OnStatus(this, r.error, 1, 0);
    else if (showMessage)
        showMessage({QString(), r.error, update::DialogIcon::Error});
    return -1;
}

int TWebUpdate::FetchControlFile()
{
    QString url;
    if (!LastURLEntry.Key.isEmpty() && !LastURLEntry.Section.isEmpty() && LastURLEntry.Save)
        url = update::readLastUrlValue(LastURLEntry, "LastURL");
    if (url.isEmpty())
        url = URL;
    url = ExpandMacros(url);

    m_controlFile.close();
    m_plan = InstallPlan();
    m_refused = false;
    m_placed = false;
    m_appUpdate = false;
    m_restartCommand.clear();
    m_componentText.clear();
    m_silentRestart = false;
    m_controlFilePath = m_userTempDir + FileNameFromUrl(url);
    QFile::remove(m_controlFilePath + ".minisig"); // a signature left from before must not vouch for this copy
    if (!DownloadFile(url, m_userTempDir, false)) {
        ReportStatus(925);
        return 4;
    }
    ReportStatus(926);
    // Nothing in the file is read before the publisher's signature and the release it names are checked.
    const QString refusal = controlFileRefusal(url);
    if (!refusal.isEmpty()) {
        QFile::remove(m_controlFilePath);
        QFile::remove(m_controlFilePath + ".minisig");
        m_refused = true;
        ReportStatus(927);
        AppendLogLine("Refused update control file " + url + ": " + refusal);
        return 5;
    }
    m_controlFile.open(m_controlFilePath);
    // Everything that the run will place or start is read now, before anything else of the file is used.
    m_plan = InstallPlan(m_controlFile, planPlaces());
    if (!m_plan.problem().isEmpty()) {
        refuseControlFile(url, m_plan.problem());
        return 5;
    }

    int result = 0;
    if (SignatureCheck && m_controlFile.text("update", "signature") != Signature) {
        ReportStatus(927);
        result = 5;
    }

    m_appUpdate = m_controlFile.flag("application", "appupdate");
    const QString name = ExpandMacros(m_controlFile.text("application", "appname"));
    if (name.isEmpty())
        m_appUpdate = false;
    QString params = m_controlFile.text("application", "appparam");
    if (OnSetAppParams)
        OnSetAppParams(this, params);
    if (params.contains(' '))
        params = '"' + params + '"';
    if (params.isEmpty())
        m_restartCommand = name;
    else
        m_restartCommand = (name.contains(' ') ? '"' + name + '"' : name) + ' ' + params;
    m_componentText = ExpandMacros(m_controlFile.text("application", "appcomps"));
    m_silentRestart = m_controlFile.flag("application", "silentrestart");
    return result;
}

QString TWebUpdate::controlFileRefusal(const QString& url)
{
    const QString signatureUrl = url + ".minisig";
    if (!DownloadFile(signatureUrl, m_userTempDir, false))
        return update::minisignStatusText(update::MinisignStatus::NoSignature);
    const QString fetched = m_userTempDir + FileNameFromUrl(signatureUrl);
    if (fetched != m_controlFilePath + ".minisig" && !QFile::rename(fetched, m_controlFilePath + ".minisig"))
        return update::minisignStatusText(update::MinisignStatus::NoSignature);
    const update::MinisignResult signature = update::verifyMinisignFile(m_controlFilePath, update::trustedKeys());
    if (!signature.ok())
        return update::minisignStatusText(signature.status);
    update::ReleaseGuard guard(releaseStateFile.isEmpty() ? update::ReleaseGuard::defaultStateFile()
                                                          : releaseStateFile);
    // The name it is published under, as configured, not the name a redirect or a hook may give the copy.
    const auto verdict = guard.admit(signature.trustedComment, update::fileNameFromUrl(url));
    if (verdict == update::ReleaseGuard::Verdict::Unsaved) {
        // Genuine and current; refusing it would stop every update on a read-only profile.
        AppendLogLine("Update control file " + url + ": " + update::releaseVerdictText(verdict));
        return {};
    }
    if (verdict != update::ReleaseGuard::Verdict::Accepted)
        return update::releaseVerdictText(verdict);
    return {};
}

InstallPlan::Places TWebUpdate::planPlaces()
{
    InstallPlan::Places places;
    places.appDir = QDir::currentPath(); // as {APP} expands
    places.textDir = m_userTempDir;
    places.expandMacros = [this](const QString& text) { return ExpandMacros(text); };
    places.fileNameFromUrl = [this](const QString& url) { return FileNameFromUrl(url); };
    places.programs = programFiles;
    if (QCoreApplication::instance())
        places.runningProgram = QCoreApplication::applicationFilePath();
    places.extractCab = ExtractCAB;
    return places;
}

int TWebUpdate::EvaluateUpdate()
{
    int verdict = verdictNoUpdate;
    m_releaseDescription = m_controlFile.text("update", "descr");

    const QString date = m_controlFile.text("update", "date");
    if (!date.isEmpty()) {
        ReportStatus(928);
        m_releaseStamp = ParseDateTime(date, m_controlFile.text("update", "time"));
        m_localVersionPath = m_plan.localVersion();
        m_localStamp = ReadLastStamp();
        if (m_localStamp >= m_releaseStamp) {
            ReportStatus(930);
        } else {
            ReportStatus(929, QLocale::system().toString(m_releaseStamp.date(), QLocale::ShortFormat));
            verdict = verdictByDate;
        }
    }

    if (verdict == verdictNoUpdate && m_controlFile.present("update", "unconditional"))
        verdict = verdictUnconditional;

    if (verdict == verdictNoUpdate) {
        QString newVersion = m_controlFile.text("update", "newversion");
        const qint32 newSize = m_controlFile.integer("update", "newsize", 0);
        QString local = m_plan.localVersion();
        const qint32 newChecksum = m_controlFile.integer("update", "newchecksum", -1);
        if (!local.isEmpty() && (!newVersion.isEmpty() || newSize > 0 || newChecksum != -1)) {
            if (newChecksum != -1) {
                verdict = verdictByChecksum;
                ReportStatus(931);
            } else if (newSize > 0) {
                verdict = verdictBySize;
                ReportStatus(932);
            } else {
                verdict = verdictByVersion;
                ReportStatus(933);
            }
            if (CheckFileIsNewer(newVersion, local, newSize, newChecksum)) {
                ReportStatus(929, newVersion);
            } else {
                ReportStatus(930);
                verdict = verdictNoUpdate;
            }
        }
        m_newVersion = newVersion;
        m_localVersion = local;
    }

    if (OnCustomValidate) {
        bool allow = verdict != verdictNoUpdate;
        OnCustomValidate(this, m_controlFile.text("custom", "validatemsg"),
                         m_controlFile.text("custom", "validateparam"), allow);
        verdict = allow ? verdictByCustomValidation : verdictNoUpdate;
    }
    return verdict;
}

QDateTime TWebUpdate::ReadLastStamp()
{
    m_stampFromRegistry = false;
    if (!LastURLEntry.Key.isEmpty() && !LastURLEntry.Section.isEmpty()) {
        m_stampFromRegistry = true;
        QDateTime stamp = update::defaultStamp();
        const QLocale locale = QLocale::system();
        const QDate date = locale.toDate(update::readLastUrlValue(LastURLEntry, "LastDate"), QLocale::ShortFormat);
        if (date.isValid())
            stamp.setDate(date);
        const QTime time = locale.toTime(update::readLastUrlValue(LastURLEntry, "LastTime"), QLocale::ShortFormat);
        if (time.isValid())
            stamp.setTime(time);
        return stamp;
    }
    if (!m_localVersionPath.isEmpty() && QFileInfo::exists(m_localVersionPath))
        return QFileInfo(m_localVersionPath).lastModified();
    return update::defaultStamp();
}

QDateTime TWebUpdate::ParseDateTime(const QString& date, const QString& time) const
{
    return update::parseDateTime(date, time, DateFormat, DateSeparator, TimeFormat, TimeSeparator);
}

bool TWebUpdate::CheckFileIsNewer(QString& newVersion, QString& localFile, qint32 newSize, qint32 newChecksum)
{
    if (newVersion.isEmpty() && newSize == 0 && newChecksum == -1)
        return true;
    if (localFile.isEmpty() && VersionCheck == vcUpdateOnly)
        return true;
    const QString local = update::toLocalPath(localFile);

    if (newChecksum != -1) {
        const qint32 sum = FileChecksum(local);
        // The comparison goes to the one status text that shows its argument.
        ReportStatus(944, QStringLiteral("Checksum compare of %1:%2:%3").arg(localFile).arg(sum).arg(newChecksum));
        return sum != newChecksum;
    }
    if (newSize > 0) {
        QFile file(local);
        const qint64 size = file.open(QIODevice::ReadOnly) ? file.size() : -1;
        return size != newSize && (size > 0 || VersionCheck == vcAlways);
    }

    const update::PackedVersion newer = ParseVersion(newVersion);
    if (newer.high == -1 || newer.low == -1)
        return false;
    const update::PackedVersion current = GetFileVersion(local);
    if ((current.high == -1 || current.low == -1) && VersionCheck == vcUpdateOnly)
        return false;
    localFile = update::versionText(current.high, current.low);
    newVersion = update::versionText(newer.high, newer.low);
    return newer.high > current.high || (newer.high == current.high && newer.low > current.low);
}

update::PackedVersion TWebUpdate::ParseVersion(const QString& text)
{
    return update::ParseVersion(text);
}

update::PackedVersion TWebUpdate::GetFileVersion(const QString& path)
{
    return update::GetFileVersion(path);
}

qint32 TWebUpdate::FileChecksum(const QString& path) const
{
    return UseCRC32 ? update::crcSumChecksum(path) : update::byteSumChecksum(path);
}

QString TWebUpdate::ExpandMacros(const QString& text)
{
    QString path = text;
    if (OnConvertPrefix)
        OnConvertPrefix(this, path);
    return update::expandMacros(path, [this](const QString& name) { return ExpandPathMacro(name); });
}

std::optional<QString> TWebUpdate::ExpandPathMacro(const QString& name)
{
    const QString key = name.toUpper();
    if (key == "WIN")
        return update::macroDirectory(platform::windowsDir());
    if (key == "SYS")
        return update::macroDirectory(platform::systemDir());
    if (key == "APP")
        return update::macroDirectory(QDir::currentPath());
    if (key == "TMP")
        return update::macroDirectory(m_userTempDir);
    if (key == "PF")
        return update::macroDirectory(platform::programFilesDir());
    return std::nullopt;
}

QString TWebUpdate::FileNameFromUrl(const QString& url)
{
    QString name = update::fileNameFromUrl(url);
    if (OnFileNameFromURL)
        OnFileNameFromURL(this, url, name);
    return name;
}

void TWebUpdate::ReportStatus(int id, const QString& argument, int statusCode, int errCode)
{
    const QString text = update::statusText(id, argument);
    if (Logging)
        AppendLogLine(QStringLiteral("%1 : [%2] %3 (Status:%4) (Error:%5)")
                          .arg(QDateTime::currentDateTime().toString("dd/MM/yyyy hh:mm:ss"))
                          .arg(id)
                          .arg(text)
                          .arg(statusCode)
                          .arg(errCode));
    if (OnStatus)
        OnStatus(this, text, statusCode, errCode);
}

void TWebUpdate::ReportStatus(int id, const QString& argument)
{
    const update::StatusEntry entry = update::statusEntry(id);
    ReportStatus(id, argument, entry.statusCode, entry.errCode);
}

void TWebUpdate::AppendLogLine(const QString& text)
{
    QFile log(LogFileName);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        throw UpdateIoError(("Unable to write to " + LogFileName).toStdString());
    if (log.write((text + '\n').toLocal8Bit()) < 0)
        throw UpdateIoError(("Unable to write to " + LogFileName).toStdString());
}

bool TWebUpdate::QueryCancel()
{
    bool cancel = false;
    if (OnProgressCancel)
        OnProgressCancel(this, cancel);
    if (cancel)
        ReportStatus(964);
    return cancel;
}

void TWebUpdate::processPendingEvents()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents();
}

QString TWebUpdate::newTempFile(const QString& directory)
{
    const QString dir = withSeparator(update::toLocalPath(directory.isEmpty() ? QStringLiteral(".") : directory));
    QTemporaryFile file(dir + QStringLiteral("WUPDXXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        throw UpdateIoError(("Unable to create a temporary file in " + dir).toStdString());
    return file.fileName();
}

int TWebUpdate::CloseSession()
{
    if (UpdateType != fileUpdate) {
        if (UpdateType == ftpUpdate && m_session)
            ReportStatus(954);
        if (m_session) {
            m_session.reset();
            ReportStatus(949);
        }
    }
    m_controlFile.close();
    if (!m_controlFilePath.isEmpty()) {
        QFile::remove(m_controlFilePath);
        QFile::remove(m_controlFilePath + ".minisig");
    }
    m_sessionOpen = false;
    return 0;
}

bool TWebUpdate::DownloadFile(const QString& url, const QString& targetDir, bool compressed)
{
    const std::optional<Staged> staged = fetchToTemp(url, targetDir);
    return staged && finishDownload(staged->tempPath, staged->localPath, staged->targetDir, compressed);
}

std::optional<TWebUpdate::Staged> TWebUpdate::fetchToTemp(const QString& url, const QString& targetDir)
{
    if (UpdateType != fileUpdate)
        return fetchInto(url, withSeparator(update::toLocalPath(targetDir)) + FileNameFromUrl(url));
    // A copy's target that names a file is used unchanged; a directory gets the source's file name.
    const QString target = update::toLocalPath(targetDir);
    const bool directory = target.isEmpty() || target.endsWith('/') || QFileInfo(target).isDir();
    return fetchLocal(url, directory ? withSeparator(target) + FileNameFromUrl(update::toLocalPath(url)) : target);
}

std::optional<TWebUpdate::Staged> TWebUpdate::fetchInto(const QString& url, const QString& localPath)
{
    if (UpdateType == fileUpdate)
        return fetchLocal(url, localPath);
    ReportStatus(915, url);
    QByteArray sha256;
    const QString tempPath = fetchHttp(url, localPath, sha256);
    if (tempPath.isEmpty())
        return std::nullopt;
    return Staged{tempPath, localPath, QFileInfo(localPath).path(), sha256};
}

QString TWebUpdate::fetchHttp(const QString& url, const QString& localPath, QByteArray& sha256)
{
    update::Sha256Stream hash;
    QString requestUrl = url;
    if (!ProxyUserID.isEmpty() && url.startsWith("http://", Qt::CaseInsensitive))
        requestUrl = "http://" + ProxyUserID + ':' + ProxyPassword + '@' + url.mid(7);
    if (UpdateType == ftpUpdate) {
        QString dir = ExpandMacros(FTPDirectory);
        dir.replace('\\', '/');
        while (dir.startsWith('/'))
            dir.remove(0, 1);
        requestUrl = QStringLiteral("ftp://%1:%2/%3%4")
                         .arg(Host)
                         .arg(Port)
                         .arg(dir.isEmpty() ? QString() : withSeparator(dir), FileNameFromUrl(url));
        m_ftpDirectorySet = true;
    }

    const QString host = QUrl(url).host();
    if (Authenticate == waAlways && (UserID.isEmpty() || Password.isEmpty())) {
        if (!loginPrompt || !loginPrompt("Connect to " + host, UserID, Password)) {
            ReportStatus(956);
            return {};
        }
    }
    if (!m_session) {
        ReportStatus(917, url);
        return {};
    }

    QString tempPath;
    TempFileGuard guard(tempPath);
    QFile temp;
    qint64 received = 0;
    qint64 announced = 0;
    bool cancelled = false;
    HttpTransfer::Response response;
    bool statusFailed = false;

    for (;;) {
        QList<QByteArray> headers{"Pragma: no-cache", "Cache-Control: no-cache"};
        if (HTTPKeepAliveAuthentication)
            headers << "Connection: Keep-Alive";
        // The update server's password goes to the update server only: not to a host that the control file names,
        // not over http when the update server is https, and (the transfer core sees to it) not through a redirect.
        if (onUpdateHost(requestUrl))
            m_session->setHttpLogin(UserID, Password);
        else
            m_session->setHttpLogin({}, {});

        bool needLogin = false;
        const bool ftp = UpdateType == ftpUpdate;
        auto onResponse = [&](long status, qint64 length) {
            if (!ftp && status == 401 && Authenticate == waAuto) {
                needLogin = true;
                return false;
            }
            if (!ftp && (status >= 300 || status < 100)) {
                ReportStatus(916, QString::number(status), 6, static_cast<int>(status));
                statusFailed = true;
                return false;
            }
            tempPath = newTempFile(TempDirectory);
            temp.setFileName(tempPath);
            if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw UpdateIoError(("Unable to write to " + tempPath).toStdString());
            announced = length;
            return true;
        };
        auto onBlock = [&](const char* data, qint64 size) {
            processPendingEvents();
            if (temp.write(data, size) != size)
                throw UpdateIoError(("Unable to write to " + tempPath).toStdString());
            hash.add(data, size);
            received += size;
            if (OnFileProgress)
                OnFileProgress(this, localPath, received, announced);
            if (QueryCancel()) {
                cancelled = true;
                return false;
            }
            return true;
        };
        // Between blocks and while the server is silent alike: the window stays alive, and Cancel, the close box or
        // a termination signal (which raises the stop token) end the transfer at once.
        m_session->setIdle([&] {
            processPendingEvents();
            if (cancelled)
                return false;
            bool cancel = false;
            if (OnProgressCancel)
                OnProgressCancel(this, cancel);
            if (cancel) {
                ReportStatus(964);
                cancelled = true;
            }
            return !cancel;
        });
        {
            // Window messages are processed during the transfer; whoever reacts to them must not close the session.
            struct Transferring
            {
                bool& flag;
                ~Transferring() { flag = false; }
            } const transferring{m_transferring = true};
            struct IdleReset
            {
                HttpTransfer& session;
                ~IdleReset() { session.setIdle({}); }
            } const idleReset{*m_session};
            response = m_session->get(requestUrl, headers, onResponse, onBlock);
        }
        if (!needLogin)
            break;
        if (!loginPrompt || !loginPrompt("Connect to " + host, UserID, Password)) {
            ReportStatus(956);
            return {};
        }
    }

    m_cancelled = cancelled; // also when the cancel came before the server answered
    if (!response.opened) {
        if (!cancelled)
            ReportStatus(917, url);
        return {};
    }
    if (statusFailed || tempPath.isEmpty())
        return {};
    temp.close();
    // Nothing received counts as a failure too; the old file stays untouched.
    if (cancelled || response.readError || received == 0) {
        if (!QFile::remove(tempPath))
            AppendLogLine("Unable to delete file " + tempPath);
        tempPath.clear();
        return {};
    }
    sha256 = hash.result();
    const QString finished = tempPath;
    tempPath.clear();
    return finished;
}

std::optional<TWebUpdate::Staged> TWebUpdate::fetchLocal(const QString& url, const QString& localPath)
{
    const QString source = update::toLocalPath(url);
    const QString targetDirectory = QFileInfo(localPath).path();
    if (!QFileInfo::exists(source)) {
        ReportStatus(913, source);
        return std::nullopt;
    }
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(localPath).canonicalFilePath()) {
        ReportStatus(912, source);
        return std::nullopt;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly) || in.size() <= 0) {
        ReportStatus(914, source);
        return std::nullopt;
    }
    ReportStatus(965);

    QString tempPath = newTempFile(TempDirectory);
    TempFileGuard guard(tempPath);
    QFile out(tempPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw UpdateIoError(("Unable to write to " + tempPath).toStdString());
    const qint64 announced = in.size();
    qint64 received = 0;
    bool cancelled = false;
    bool readError = false;
    QByteArray block(localBlockSize, Qt::Uninitialized);
    while (!cancelled) {
        processPendingEvents();
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0)
            readError = true;
        if (n <= 0)
            break;
        if (out.write(block.constData(), n) != n)
            throw UpdateIoError(("Unable to write to " + tempPath).toStdString());
        received += n;
        if (OnFileProgress)
            OnFileProgress(this, localPath, received, announced);
        cancelled = QueryCancel();
    }
    out.close();
    m_cancelled = cancelled;
    if (cancelled || readError || received == 0) {
        if (!QFile::remove(tempPath))
            AppendLogLine("Unable to delete file " + tempPath);
        tempPath.clear();
        return std::nullopt;
    }
    const QString finished = tempPath;
    tempPath.clear();
    return Staged{finished, localPath, targetDirectory};
}

bool TWebUpdate::finishDownload(const QString& tempPath, const QString& localPath, const QString& targetDir,
                                bool compressed)
{
    const QFileInfo local(localPath);
    if ((local.exists() || local.isSymLink()) && !QFile::remove(localPath)) {
        QFile::remove(tempPath);
        AppendLogLine("Unable to delete file " + localPath);
        return false;
    }
    if (!QFile::rename(tempPath, localPath)) {
        QFile::remove(tempPath);
        AppendLogLine("Unable to rename file " + tempPath + " to " + localPath);
        return false;
    }
    if (OnFileDownloaded)
        OnFileDownloaded(this, localPath);
    if (compressed) {
        if (QFileInfo(localPath).suffix().compare("CAB", Qt::CaseInsensitive) != 0) {
            expandCompressed(localPath, targetDir);
        } else {
            // Failures on this path are not reported; ExtractCAB in DownloadFiles reports its own.
            archive::extractCabinet(localPath, update::toLocalPath(targetDir), nullptr);
            if (!KeepIntermediateFiles)
                QFile::remove(localPath);
        }
    }
    return true;
}

void TWebUpdate::expandCompressed(const QString& localPath, const QString& targetDir)
{
    Q_UNUSED(targetDir) // the expanded file goes beside the compressed one
    const QString expanded = archive::expandedSzddName(localPath);
    if (!expanded.isEmpty()) {
        if (QFileInfo(expanded).absoluteFilePath() == QFileInfo(localPath).absoluteFilePath()) {
            // A name without the trailing "_" expands onto itself: go through a second name.
            const QString staged = localPath + ".expanded";
            if (archive::expandSzdd(localPath, staged, nullptr) && QFile::remove(localPath))
                QFile::rename(staged, localPath);
            else
                QFile::remove(staged);
            return;
        }
        QFile::remove(expanded);
        archive::expandSzdd(localPath, expanded, nullptr);
    }
    QFile::remove(localPath);
}

bool TWebUpdate::onUpdateHost(const QString& url) const
{
    const QUrl target(url);
    const QUrl home(URL);
    const auto port = [](const QUrl& u) {
        return u.port(u.scheme().compare("https", Qt::CaseInsensitive) == 0 ? 443 : 80);
    };
    return target.isValid() && !home.host().isEmpty() &&
           target.scheme().compare(home.scheme(), Qt::CaseInsensitive) == 0 &&
           target.host().compare(home.host(), Qt::CaseInsensitive) == 0 && port(target) == port(home);
}

bool TWebUpdate::isComponent(const QString& fileName) const
{
    return !fileName.isEmpty() && m_componentText.contains(fileName, Qt::CaseInsensitive);
}

} // namespace update
