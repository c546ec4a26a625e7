// The whole update road with the real programs: velkorn-server serves the catalog and an update folder announcing
// the next version of velkorn; the installed program, started in a temporary Application directory, synchronises,
// finds the update, walks the wizard unattended and ends; the restart helper replaces the program and a data file
// and starts the program again, which is then the new version and finds nothing newer. Also the unlucky roads: a
// termination signal wherever the update hangs or waits, and a restart helper killed in the middle of its install.
#include "update/TWebUpdate.h"

#include "../SilentServer.h"
#include "../WaitUntil.h"
#include "SignedRelease.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

using update::TWebUpdate;

namespace {

const QString Program = QStringLiteral(VELKORN_PROGRAM);
const QString DistDir = QStringLiteral(VELKORN_DIST);
const QString Server = QStringLiteral(VELKORN_SERVER);
const QString NextVersion = QStringLiteral(VELKORN_NEXT_VERSION);

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString versionText(const QString& path)
{
    const update::PackedVersion v = TWebUpdate::GetFileVersion(path);
    return QStringLiteral("%1.%2.%3.%4")
        .arg(quint32(v.high) >> 16)
        .arg(quint32(v.high) & 0xFFFF)
        .arg(quint32(v.low) >> 16)
        .arg(quint32(v.low) & 0xFFFF);
}

// Processes whose program file lies in `dir` (the restarted program has no parent we could wait on).
QList<qint64> processesIn(const QString& dir)
{
    QList<qint64> result;
    const QString prefix = QDir(dir).canonicalPath() + QLatin1Char('/');
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        if (exe.startsWith(prefix))
            result << pid;
    }
    return result;
}

class UpdateRoadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        const QDir root(m_root.path());
        for (const char* dir : {"app", "update", "tmp", "master"})
            root.mkpath(dir);
        m_app = m_root.path() + "/app/";
        m_updateDir = m_root.path() + "/update/";
    }

    void TearDown() override
    {
        // Leftovers of a failed run: the program (first or restarted) and the restart helper.
        for (const QString& dir : {m_app, m_root.path() + "/tmp/"}) {
            for (qint64 pid : processesIn(dir))
                ::kill(pid_t(pid), SIGKILL);
        }
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(5000);
        }
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }

    void installProgram()
    {
        ASSERT_TRUE(QFile::copy(Program, m_app + "velkorn"));
        for (const char* name : {"KATALOG.GDB", "tr.lng", "en.lng", "de.lng"})
            ASSERT_TRUE(QFile::copy(DistDir + "/" + name, m_app + name)) << name;
        QDir().mkpath(m_app + "images");
        writeFile(m_app + "release.txt", "catalog data 1.0.0\n");
    }

    // The update folder: the next version of the program and of the data file as components, release notes, a
    // licence, an optional manual into a sub-folder.
    void prepareUpdateFolder()
    {
        QProcess next;
        next.start(NextVersion, {m_app + "velkorn", m_updateDir + "velkorn_NEW"});
        ASSERT_TRUE(next.waitForFinished(30000));
        ASSERT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
        m_newVersion = QString::fromLatin1(next.readAllStandardOutput()).trimmed();
        ASSERT_NE(m_newVersion, versionText(m_app + "velkorn"));
        writeFile(m_updateDir + "release.txt_NEW", "catalog data 1.0.1\n");
        writeFile(m_updateDir + "manual.txt", "How to use the catalog.\n");
        writeFile(m_updateDir + "whatsnew.txt", "Faster search.\nNew styles.\n");
        writeFile(m_updateDir + "eula.txt", "You may use this catalog.\n");
    }

    // The signed control file announcing the update folder's release; `edit` changes its text first.
    void writeControlFile(int port, const std::function<void(QString&)>& edit = {})
    {
        const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        const auto digest = [this](const char* name) {
            return "sha256=" + testsigning::fileSha256Hex(m_updateDir + name) + "\n";
        };
        const QString text = QStringLiteral("[update]\n"
                                            "descr=Velkorn %1\n"
                                            "localversion={APP}\\velkorn\n"
                                            "newversion=%1\n"
                                            "[application]\n"
                                            "appupdate=1\n"
                                            "appname=velkorn\n"
                                            "appcomps=velkorn_NEW release.txt_NEW\n"
                                            "[whatsnew]\nfile=%2whatsnew.txt\n%4"
                                            "[eula]\nfile=%2eula.txt\n%5"
                                            "[files]\ncount=3\n"
                                            "[file1]\nurl=%2velkorn_NEW\ndescr=Velkorn program %1\n"
                                            "localversion={APP}\\velkorn\nnewversion=%1\ntargetdir={APP}\n"
                                            "mandatory=1\nfilesize=%3\n%6"
                                            "[file2]\nurl=%2release.txt_NEW\ndescr=Catalog data\n"
                                            "targetdir={APP}\nhidden=1\n%7"
                                            "[file3]\nurl=%2manual.txt\ndescr=Manual\ntargetdir={APP}\\docs\n%8")
                                 .arg(m_newVersion, base)
                                 .arg(QFileInfo(m_updateDir + "velkorn_NEW").size())
                                 .arg(digest("whatsnew.txt"), digest("eula.txt"), digest("velkorn_NEW"),
                                      digest("release.txt_NEW"), digest("manual.txt"));
        QString edited = text;
        if (edit)
            edit(edited);
        writeFile(m_updateDir + "velkorn.INF", edited.toUtf8());
        ASSERT_TRUE(testsigning::signRelease(m_updateDir + "velkorn.INF"));
    }

    // The common start of the road: the program installed, its update published by a running server.
    void publishUpdate(const std::function<void(QString&)>& edit = {})
    {
        installProgram();
        prepareUpdateFolder();
        const int port = startServer();
        ASSERT_GT(port, 0) << m_serverLog.toStdString();
        writeControlFile(port, edit);
    }

    int startServer(const QStringList& extra = {})
    {
        // The catalog server's master is the program's own catalog: the feed brings nothing new.
        const QString master = m_root.path() + "/master/master.gdb";
        if (!QFile::copy(DistDir + "/KATALOG.GDB", master))
            return 0;
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(Server,
                       QStringList{"--db", master, "--port", "0", "--bind", "127.0.0.1", "--update-dir", m_updateDir} +
                           extra);
        int port = 0;
        waitUntil(
            [&] {
                m_server.waitForReadyRead(100);
                m_serverLog += m_server.readAll();
                const auto match = QRegularExpression("listening on port (\\d+)").match(m_serverLog);
                port = match.hasMatch() ? match.captured(1).toInt() : 0;
                return port > 0 || m_server.state() == QProcess::NotRunning;
            },
            20000);
        m_catalogHost = QStringLiteral("127.0.0.1:%1").arg(port);
        return port;
    }

    // Starts the installed program against the servers; `unattended` is the value of VELKORN_UPDATE_UNATTENDED.
    void startProgram(const QString& updateHost, const QString& unattended,
                      const QList<QPair<QString, QString>>& extra = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VELKORN_LANGUAGE", "en");
        env.insert("VELKORN_UPDATE_UNATTENDED", unattended);
        env.insert("VELKORN_CATALOG_HOST", m_catalogHost);
        env.insert("VELKORN_UPDATE_HOST", updateHost);
        env.insert("TMPDIR", m_root.path() + "/tmp");
        // The newest accepted release is kept in the user's settings; the test's own stay with the test.
        env.insert("XDG_CONFIG_HOME", m_root.path() + "/config");
        // So that the restart helper's private folder is made inside tmp, where TearDown looks for leftovers.
        env.remove("XDG_RUNTIME_DIR");
        env.insert("no_proxy", "*");
        for (const auto& [name, value] : extra)
            env.insert(name, value);
        m_program.setProcessEnvironment(env);
        m_program.setWorkingDirectory(m_root.path());
        // A file rather than a pipe: the restarted program inherits the output and would die writing into a pipe
        // that nobody reads any more.
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        m_program.setStandardOutputFile(programLog(), QIODevice::Append);
        m_program.start(m_app + "velkorn", {});
        ASSERT_TRUE(m_program.waitForStarted(10000));
    }
    QString programLog() const { return m_root.path() + "/program.log"; }
    QString output() const { return QString::fromLocal8Bit(readFile(programLog())); }

    // Waits for the restart helper to start the program again after it has asked for the control file `asked`
    // times in all, and answers the restarted program's process id (0 when it did not come).
    qint64 restartedProgram(int asked)
    {
        qint64 pid = 0;
        waitUntil(
            [&] {
                const QList<qint64> pids = processesIn(m_app);
                pid = pids.isEmpty() ? 0 : pids.first();
                return pid != 0 && requests("/velkorn.INF") >= asked;
            },
            30000);
        return requests("/velkorn.INF") >= asked ? pid : 0;
    }

    // The new version runs and every file of the update is in place.
    void expectNewVersionIn(qint64 pid)
    {
        EXPECT_EQ(versionText(QStringLiteral("/proc/%1/exe").arg(pid)), m_newVersion);
        EXPECT_EQ(fileHash(m_app + "velkorn"), fileHash(m_updateDir + "velkorn_NEW"));
        EXPECT_TRUE(QFileInfo(m_app + "velkorn").isExecutable());
        EXPECT_EQ(readFile(m_app + "release.txt"), "catalog data 1.0.1\n");
        EXPECT_FALSE(QFile::exists(m_app + "velkorn_NEW"));
        EXPECT_FALSE(QFile::exists(m_app + "release.txt_NEW"));
    }

    int requests(const QString& path)
    {
        m_server.waitForReadyRead(10);
        m_serverLog += m_server.readAll();
        return m_serverLog.count(QStringLiteral("GET %1 200").arg(path));
    }

    QTemporaryDir m_root;
    QString m_app;
    QString m_updateDir;
    QString m_catalogHost;
    QString m_newVersion;
    QProcess m_server;
    QString m_serverLog;
    QProcess m_program;
};

TEST_F(UpdateRoadTest, TheProgramUpdatesItselfAndStartsAgainAsTheNewVersion)
{
    ASSERT_NO_FATAL_FAILURE(publishUpdate());
    const QString oldVersion = versionText(m_app + "velkorn");

    startProgram(m_catalogHost, "1");
    const qint64 firstPid = m_program.processId();

    // The first program walks the wizard and ends for the restart.
    ASSERT_TRUE(m_program.waitForFinished(45000)) << "the program did not end for the update";
    EXPECT_EQ(m_program.exitCode(), 0) << output().toStdString();
    EXPECT_TRUE(output().contains("question answered Yes: Shutdown application to update executable files ?"))
        << output().toStdString();

    // The helper replaces the program and starts it again; the new program checks for updates once more.
    const qint64 restartedPid = restartedProgram(3);
    ASSERT_NE(restartedPid, 0) << "the program was not started again\n" << m_serverLog.toStdString();
    EXPECT_NE(restartedPid, firstPid);

    expectNewVersionIn(restartedPid);
    EXPECT_NE(m_newVersion, oldVersion);
    EXPECT_EQ(readFile(m_app + "docs/manual.txt"), "How to use the catalog.\n");

    // Each file once; the new version found nothing newer, so nothing was downloaded again.
    for (const char* path : {"/velkorn_NEW", "/release.txt_NEW", "/manual.txt", "/whatsnew.txt", "/eula.txt"})
        EXPECT_EQ(requests(path), 1) << path;
    EXPECT_TRUE(m_serverLog.contains("GET /common/item.php")) << "the catalog was not synchronised first";

    // Nothing more to see: the restarted program is ended without its shutdown.
    ::kill(pid_t(restartedPid), SIGKILL);
    EXPECT_TRUE(waitUntil([&] { return processesIn(m_app).isEmpty(); }, 10000));
}

// velkorn-server speaks https with a certificate made here; the engine accepts it only against that authority.
TEST_F(UpdateRoadTest, TheServerSpeaksHttpsAndTheEngineChecksItsCertificate)
{
    const QString cert = m_root.path() + "/cert.pem", key = m_root.path() + "/key.pem";
    ASSERT_TRUE(testsigning::makeLoopbackCertificate(cert, key));
    const int port = startServer({"--tls-cert", cert, "--tls-key", key});
    ASSERT_GT(port, 0) << m_serverLog.toStdString();
    writeFile(m_updateDir + "velkorn.INF", "[update]\nunconditional=1\n");
    ASSERT_TRUE(testsigning::signRelease(m_updateDir + "velkorn.INF"));

    TWebUpdate upd;
    upd.UpdateType = update::httpUpdate;
    upd.setUserTempDirectory(m_root.path() + "/tmp/");
    upd.TempDirectory = m_root.path() + "/tmp/";
    upd.releaseStateFile = m_root.path() + "/release-state.ini";
    upd.URL = QStringLiteral("https://127.0.0.1:%1/velkorn.INF").arg(port);
    upd.UserID = "update";
    upd.Password = "refreshx";
    EXPECT_FALSE(upd.HasNewVersion()); // not in the system's store
    upd.caBundle = cert;
    EXPECT_TRUE(upd.HasNewVersion());
    EXPECT_EQ(requests("/velkorn.INF"), 1); // the refused handshake never became a request
}

// Where a termination signal finds the update: the control file's text is edited so that the update hangs or waits
// there, and the program runs with VELKORN_UPDATE_UNATTENDED=dialogs, so that it walks the wizard by itself but every
// dialog waits for the user and the licence is not accepted.
struct Termination
{
    const char* name;
    std::function<void(QString& control, const QString& silent)> edit; // `silent` is the hanging server's address
    enum
    {
        Output,     // until the program's output shows `shown`
        Silence,    // until the hanging server was asked
        Downloading // until a download has begun and then hangs
    } until;
    const char* shown = "";
    bool checkHangs = false; // the update server itself hangs
};

void PrintTo(const Termination& termination, std::ostream* out)
{
    *out << termination.name;
}

void withoutLicence(QString& control)
{
    control.remove(QRegularExpression("\\[eula\\]\\n[^\\[]*"));
}

class TerminationTest : public UpdateRoadTest, public ::testing::WithParamInterface<Termination>
{
};

// Logging out or shutting down while the update hangs or waits: the program ends within 2 s, in order, wherever the
// update is, and leaves no temporary file of the update behind.
TEST_P(TerminationTest, ATerminationSignalEndsTheProgramWithin2Seconds)
{
    const Termination& c = GetParam();
    // A download that begins and then hangs: the headers and the first bytes of a long file.
    SilentServer silent(c.until == Termination::Downloading
                            ? "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + std::string(4096, 'x')
                            : std::string());
    const QString silentHost = QStringLiteral("127.0.0.1:%1").arg(silent.port);
    ASSERT_NO_FATAL_FAILURE(publishUpdate([&](QString& control) {
        if (c.edit)
            c.edit(control, "http://" + silentHost + "/");
    }));
    startProgram(c.checkHangs ? silentHost : m_catalogHost, "dialogs");

    const bool there = waitUntil(
        [&] {
            switch (c.until) {
            case Termination::Output:
                return output().contains(QString::fromLatin1(c.shown));
            case Termination::Silence:
                return silent.connections() > 0;
            case Termination::Downloading:
                return !QDir(m_app).entryList({"WUPD*.tmp"}, QDir::Files).isEmpty();
            }
            return false;
        },
        30000);
    ASSERT_TRUE(there) << output().toStdString();

    QElapsedTimer timer;
    timer.start();
    ::kill(pid_t(m_program.processId()), SIGTERM);
    ASSERT_TRUE(m_program.waitForFinished(10000)) << output().toStdString();
    EXPECT_LT(timer.elapsed(), 2000) << output().toStdString();
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program.exitCode(), 0) << output().toStdString();
    EXPECT_TRUE(QDir(m_app).entryList({"WUPD*"}, QDir::Files).isEmpty());
    const QStringList left = QDir(m_root.path() + "/tmp").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_TRUE(left.filter(QRegularExpression("^(WUPD|velkorn-upd-|velkorn\\.INF|whatsnew|eula)")).isEmpty())
        << left.join(' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_app + ".update-backup"));
}

INSTANTIATE_TEST_SUITE_P(
    WhereverTheUpdateIs, TerminationTest,
    ::testing::Values(
        Termination{"TheCheckHangs", {}, Termination::Silence, "", true},
        Termination{"TheReleaseNotesHang",
                    [](QString& control, const QString& silent) {
                        control.replace(QRegularExpression("file=\\S*whatsnew.txt"), "file=" + silent + "whatsnew.txt");
                    },
                    Termination::Silence},
        Termination{"TheLicenceHangs",
                    [](QString& control, const QString& silent) {
                        control.replace(QRegularExpression("file=\\S*eula.txt"), "file=" + silent + "eula.txt");
                    },
                    Termination::Silence},
        Termination{"TheLicencePageWaits", {}, Termination::Output, "velkorn: wizard page 3"},
        Termination{"TheEngineShowsAMessage",
                    [](QString& control, const QString&) { control += "[action]\nmsg=Close the catalog first.\n"; },
                    Termination::Output, "velkorn: dialog shown: QMessageBox"},
        Termination{"TheEngineAsks", [](QString& control, const QString&) { control += "[action]\nquery=Go on?\n"; },
                    Termination::Output, "velkorn: dialog shown: QMessageBox"},
        Termination{"TheDownloadHangs",
                    [](QString& control, const QString& silent) {
                        withoutLicence(control);
                        control.replace(QRegularExpression("url=\\S*velkorn_NEW"), "url=" + silent + "velkorn_NEW");
                    },
                    Termination::Downloading},
        Termination{"TheWizardSaysTheDownloadFailed",
                    [](QString& control, const QString&) {
                        withoutLicence(control);
                        control.replace("manual.txt\n", "missing.txt\n");
                    },
                    Termination::Output, "velkorn: dialog shown: QMessageBox"},
        Termination{"TheRestartQuestionWaits", [](QString& control, const QString&) { withoutLicence(control); },
                    Termination::Output, "velkorn: dialog shown: QMessageBox"}),
    [](const ::testing::TestParamInfo<Termination>& info) { return std::string(info.param.name); });

class InterruptedInstallTest : public UpdateRoadTest, public ::testing::WithParamInterface<int>
{
};

// The restart helper is killed right after the k-th of the update's two replacements (the program, then a data
// file), as a power cut would end it. The next start puts the whole old version back before anything opens the
// catalog, runs as the old program and says so; the update then installs cleanly.
TEST_P(InterruptedInstallTest, TheNextStartRestoresTheOldVersionAndTheUpdateThenInstalls)
{
    const int killedAfter = GetParam();
    ASSERT_NO_FATAL_FAILURE(publishUpdate());
    const QString oldVersion = versionText(m_app + "velkorn");
    const QByteArray oldProgram = fileHash(m_app + "velkorn");

    startProgram(m_catalogHost, "1", {{"VELKORN_UPDATE_KILL_AFTER", QString::number(killedAfter)}});
    ASSERT_TRUE(m_program.waitForFinished(45000)) << "the program did not end for the update";
    ASSERT_TRUE(waitUntil(
        [&] {
            return processesIn(m_root.path() + "/tmp").isEmpty() && QFileInfo::exists(m_app + ".update-backup/journal");
        },
        30000))
        << output().toStdString();
    EXPECT_TRUE(processesIn(m_app).isEmpty()) << "the killed helper started the program";
    EXPECT_EQ(fileHash(m_app + "velkorn"), fileHash(m_updateDir + "velkorn_NEW")); // the first replacement
    EXPECT_TRUE(QFileInfo(m_app + "velkorn").isExecutable());
    EXPECT_EQ(readFile(m_app + "release.txt"), killedAfter == 1 ? "catalog data 1.0.0\n" : "catalog data 1.0.1\n");

    // The next start stops at the box that tells the user; the old version is back and running by then.
    const auto feedRequests = [this] {
        requests({});
        return m_serverLog.count("GET /common/item.php");
    };
    const int feedsBefore = feedRequests();
    startProgram(m_catalogHost, "dialogs");
    ASSERT_TRUE(waitUntil(
        [&] {
            return output().contains("dialog shown: QMessageBox: Program update: The last program "
                                     "update was interrupted before it was complete.");
        },
        30000))
        << output().toStdString();
    EXPECT_EQ(versionText(QStringLiteral("/proc/%1/exe").arg(m_program.processId())), oldVersion);
    EXPECT_EQ(fileHash(m_app + "velkorn"), oldProgram);
    EXPECT_EQ(readFile(m_app + "release.txt"), "catalog data 1.0.0\n");
    EXPECT_FALSE(QFileInfo::exists(m_app + ".update-backup"));
    EXPECT_EQ(feedRequests(), feedsBefore) << "the catalog was opened before the old version was back";
    ::kill(pid_t(m_program.processId()), SIGTERM);
    ASSERT_TRUE(m_program.waitForFinished(10000));

    const int asked = requests("/velkorn.INF");
    startProgram(m_catalogHost, "1");
    ASSERT_TRUE(m_program.waitForFinished(45000)) << "the program did not end for the update";
    const qint64 restartedPid = restartedProgram(asked + 3);
    ASSERT_NE(restartedPid, 0) << "the program was not started again\n" << output().toStdString();
    expectNewVersionIn(restartedPid);
    ::kill(pid_t(restartedPid), SIGKILL);
}

INSTANTIATE_TEST_SUITE_P(AfterEachReplacement, InterruptedInstallTest, ::testing::Values(1, 2));

} // namespace
