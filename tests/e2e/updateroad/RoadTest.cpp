// The whole update road with the real programs: velkorn-server serves the catalog and an update folder announcing
// the next version of velkorn; the installed program, started in a temporary Application directory, synchronises,
// finds the update, walks the wizard unattended and ends; the restart helper replaces the program and a data file
// and starts the program again, which is then the new version and finds nothing newer. Also the unlucky roads: a
// termination signal wherever the update hangs or waits, and a restart helper killed in the middle of its install.
#include "RoadFixture.h"

#include "support/SilentServer.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

using update::TWebUpdate;
using namespace road;

namespace {

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
    ASSERT_NE(restartedPid, 0) << "the program was not started again\n" << serverLog().toStdString();
    EXPECT_NE(restartedPid, firstPid);

    expectNewVersionIn(restartedPid);
    EXPECT_NE(m_newVersion, oldVersion);
    EXPECT_EQ(readFile(m_app + "docs/manual.txt"), "How to use the catalog.\n");

    // Each file once; the new version found nothing newer, so nothing was downloaded again.
    for (const char* path : {"/velkorn_NEW", "/release.txt_NEW", "/manual.txt", "/whatsnew.txt", "/eula.txt"})
        EXPECT_EQ(requests(path), 1) << path;
    EXPECT_TRUE(serverLog().contains("GET /common/item.php")) << "the catalog was not synchronised first";

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
    ASSERT_GT(port, 0) << serverLog().toStdString();
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
        return serverLog().count("GET /common/item.php");
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

// When the new version did not come up, the restart helper puts the old files back and starts the old program with
// this variable set; the old program tells the user in the chosen language, once its language is known.
TEST_F(UpdateRoadTest, AStartAfterARollBackSaysSoInTheChosenLanguage)
{
    installProgram();
    ASSERT_GT(startServer(), 0) << serverLog().toStdString();
    startProgram(m_catalogHost, "dialogs", {{"VELKORN_UPDATE_ROLLED_BACK", "1"}, {"VELKORN_LANGUAGE", "de"}});
    ASSERT_TRUE(waitUntil(
        [&] {
            return output().contains("dialog shown: QMessageBox: Programmaktualisierung: Die neue Programmversion ist "
                                     "nicht gestartet");
        },
        30000))
        << output().toStdString();
    ::kill(pid_t(m_program.processId()), SIGTERM);
    ASSERT_TRUE(m_program.waitForFinished(10000));
}
