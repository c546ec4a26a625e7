// The whole update road with the real programs: velkorn-server serves the catalog and an update folder announcing
// the next version of velkorn; the installed program, started in a temporary Application directory, synchronises,
// finds the update, walks the wizard unattended and ends; the restart helper replaces the program and a data file
// and starts the program again, which is then the new version and finds nothing newer.
#include "update/TWebUpdate.h"

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

    void writeControlFile(int port)
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
        writeFile(m_updateDir + "velkorn.INF", text.toUtf8());
        ASSERT_TRUE(testsigning::signRelease(m_updateDir + "velkorn.INF"));
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
        return port;
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
    QString m_newVersion;
    QProcess m_server;
    QString m_serverLog;
    QProcess m_program;
};

TEST_F(UpdateRoadTest, TheProgramUpdatesItselfAndStartsAgainAsTheNewVersion)
{
    installProgram();
    prepareUpdateFolder();
    const int port = startServer();
    ASSERT_GT(port, 0) << m_serverLog.toStdString();
    writeControlFile(port);
    const QString oldVersion = versionText(m_app + "velkorn");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString host = QStringLiteral("127.0.0.1:%1").arg(port);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VELKORN_LANGUAGE", "en");
    env.insert("VELKORN_UPDATE_UNATTENDED", "1");
    env.insert("VELKORN_CATALOG_HOST", host);
    env.insert("VELKORN_UPDATE_HOST", host);
    env.insert("TMPDIR", m_root.path() + "/tmp");
    // The newest accepted release is kept in the user's settings; the test's own stay with the test.
    env.insert("XDG_CONFIG_HOME", m_root.path() + "/config");
    // So that the restart helper's private folder is made inside tmp, where TearDown looks for leftovers.
    env.remove("XDG_RUNTIME_DIR");
    env.insert("no_proxy", "*");
    m_program.setProcessEnvironment(env);
    m_program.setWorkingDirectory(m_root.path());
    // A file rather than a pipe: the restarted program inherits the output and would die writing into a pipe
    // that nobody reads any more.
    const QString programLog = m_root.path() + "/program.log";
    m_program.setProcessChannelMode(QProcess::MergedChannels);
    m_program.setStandardOutputFile(programLog);
    m_program.start(m_app + "velkorn", {});
    ASSERT_TRUE(m_program.waitForStarted(10000));
    const qint64 firstPid = m_program.processId();

    // The first program walks the wizard and ends for the restart.
    ASSERT_TRUE(m_program.waitForFinished(45000)) << "the program did not end for the update";
    const QString output = QString::fromLocal8Bit(readFile(programLog));
    EXPECT_EQ(m_program.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("question answered Yes: Shutdown application to update executable files ?"))
        << output.toStdString();

    // The helper replaces the program and starts it again; the new program checks for updates once more.
    qint64 restartedPid = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            const QList<qint64> pids = processesIn(m_app);
            restartedPid = pids.isEmpty() ? 0 : pids.first();
            return restartedPid != 0 && requests("/velkorn.INF") >= 3;
        },
        30000))
        << "the program was not started again\n"
        << m_serverLog.toStdString();
    EXPECT_NE(restartedPid, firstPid);

    EXPECT_EQ(versionText(QStringLiteral("/proc/%1/exe").arg(restartedPid)), m_newVersion);
    EXPECT_NE(m_newVersion, oldVersion);
    EXPECT_EQ(fileHash(m_app + "velkorn"), fileHash(m_updateDir + "velkorn_NEW"));
    EXPECT_TRUE(QFileInfo(m_app + "velkorn").isExecutable());
    EXPECT_EQ(readFile(m_app + "release.txt"), "catalog data 1.0.1\n");
    EXPECT_FALSE(QFile::exists(m_app + "velkorn_NEW"));
    EXPECT_FALSE(QFile::exists(m_app + "release.txt_NEW"));
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

} // namespace
