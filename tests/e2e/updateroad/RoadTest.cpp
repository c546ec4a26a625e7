// The whole update road with the real programs: velkorn-server serves the catalog and an update folder announcing
// the next version of velkorn; the installed program, started in a temporary Application directory, synchronises,
// finds the update, walks the wizard unattended and ends; the restart helper replaces the program and a data file
// and starts the program again, which is then the new version and finds nothing newer.
#include "RoadFixture.h"

#include "update/TWebUpdate.h"

#include <gtest/gtest.h>

#include <csignal>

using update::TWebUpdate;
using namespace road;

namespace {

TEST_F(UpdateRoadTest, TheProgramUpdatesItselfAndStartsAgainAsTheNewVersion)
{
    installProgram();
    prepareUpdateFolder();
    const int port = startServer();
    ASSERT_GT(port, 0) << m_serverLog.toStdString();
    writeControlFile(port);
    const QString oldVersion = versionText(m_app + "velkorn");

    startProgram(port);
    const qint64 firstPid = m_program.processId();

    // The first program walks the wizard and ends for the restart.
    ASSERT_TRUE(m_program.waitForFinished(45000)) << "the program did not end for the update";
    const QString output = programOutput();
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
    EXPECT_EQ(testsigning::fileSha256Hex(m_app + "velkorn"), testsigning::fileSha256Hex(m_updateDir + "velkorn_NEW"));
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
