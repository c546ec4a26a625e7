// Anyone who can answer in the update server's place must not get the engine to read, place or run anything the
// publisher did not sign. Every case here ends with nothing installed, nothing run, and nothing written outside
// the engine's temporary and log files.
#include "MinisignTool.h"
#include "UpdateFixture.h"

#include "update/EngineDialogs.h"
#include "update/ReleaseGuard.h"
#include "update/archive/Szdd.h"

#include <QFile>
#include <QThread>

using update::fileUpdate;
using update::TWebUpdate;
using update::verdictNoUpdate;
using update::wuuSilent;

namespace {

class SignedUpdate : public UpdateFixture
{
protected:
    // The control file must be refused: not read, its copy and signature gone, the log naming it.
    void expectRefused(const char* why)
    {
        statuses.clear();
        EXPECT_EQ(upd.FetchControlFile(), 5) << why;
        EXPECT_TRUE(reported("Invalid signature in update control file")) << why;
        EXPECT_EQ(upd.EvaluateUpdate(), verdictNoUpdate) << why; // nothing of it was read
        EXPECT_FALSE(upd.appUpdate()) << why;
        EXPECT_FALSE(QFile::exists(tmp + "velkorn.INF")) << why;
        EXPECT_FALSE(QFile::exists(tmp + "velkorn.INF.minisig")) << why;
        EXPECT_TRUE(readFile(upd.LogFileName).contains("Refused update control file " + upd.URL.toUtf8())) << why;
        EXPECT_FALSE(upd.HasNewVersion()) << why;
        EXPECT_TRUE(appUntouched()) << why;
    }

    bool appUntouched() const
    {
        return QDir(app).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) == QStringList{"WUPDATE.LOG"} ||
               QDir(app).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
    }

    const QByteArray announcement = "[update]\nunconditional=1\n[application]\nappupdate=1\nappname=velkorn\n"
                                    "appcomps=velkorn_NEW\n";
};

} // namespace

TEST_F(SignedUpdate, ControlFilesThePublisherDidNotSignAreNotRead)
{
    const QString inf = server + "velkorn.INF";

    writeFile(inf, announcement);
    expectRefused("no signature");

    writeFile(inf + ".minisig", "untrusted comment: nothing\n");
    expectRefused("a signature file that is not one");

    ASSERT_TRUE(MinisignTool::generate(root.filePath("stranger")));
    ASSERT_TRUE(MinisignTool::sign(root.filePath("stranger.key"), inf,
                                   testsigning::releaseComment(QDateTime::currentDateTimeUtc(), "velkorn.INF")));
    expectRefused("signed by a key that is not built in");

    ASSERT_TRUE(publishControlFile(announcement));
    writeFile(inf, announcement + "[action]\nrunbefore=/bin/sh -c true\n");
    expectRefused("changed after signing");

    // The genuine signature of another file, and a genuine control file published for another name.
    writeFile(server + "eula.txt", "licence");
    ASSERT_TRUE(testsigning::signRelease(server + "eula.txt"));
    writeFile(inf, announcement);
    QFile::remove(inf + ".minisig");
    QFile::copy(server + "eula.txt.minisig", inf + ".minisig");
    expectRefused("the signature of another file");
    writeFile(server + "beta.INF", announcement);
    ASSERT_TRUE(testsigning::signRelease(server + "beta.INF"));
    QFile::remove(inf + ".minisig");
    QFile::copy(server + "beta.INF.minisig", inf + ".minisig");
    expectRefused("signed for another name");

    // The same file properly signed is read.
    ASSERT_TRUE(publishControlFile(announcement));
    EXPECT_EQ(upd.FetchControlFile(), 0);
    EXPECT_TRUE(upd.appUpdate());
}

TEST_F(SignedUpdate, AnOlderReleaseReplayedLaterIsRefused)
{
    const QString inf = server + "velkorn.INF";
    const QDateTime now = QDateTime::currentDateTimeUtc();
    writeFile(inf, announcement);
    ASSERT_TRUE(testsigning::signRelease(inf, now.addDays(-30)));
    const QByteArray oldSignature = readFile(inf + ".minisig");
    EXPECT_EQ(upd.FetchControlFile(), 0);
    ASSERT_TRUE(testsigning::signRelease(inf, now));
    EXPECT_EQ(upd.FetchControlFile(), 0);
    EXPECT_EQ(upd.FetchControlFile(), 0); // the same release again

    writeFile(inf + ".minisig", oldSignature);
    expectRefused("an older release replayed");
    // The newest accepted release survives the engine: a new engine with the same state refuses it too.
    TWebUpdate other;
    other.UpdateType = fileUpdate;
    other.setUserTempDirectory(tmp);
    other.TempDirectory = tmp;
    other.LogFileName = upd.LogFileName;
    other.URL = upd.URL;
    other.releaseStateFile = upd.releaseStateFile;
    EXPECT_EQ(other.FetchControlFile(), 5);
}

// A listed file whose bytes are not the published ones, or that has no published digest, is deleted before it is
// placed or expanded; the files that came before it are not placed either.
TEST_F(SignedUpdate, ListedFilesMustHaveTheirPublishedDigest)
{
    std::vector<update::Message> shown;
    upd.showMessage = [&](const update::Message& m) { shown.push_back(m); };
    upd.UpdateUpdate = wuuSilent;
    const QString goodDigest = publish("good.txt", "genuine");
    const QString dataDigest = publish("data.tx_", "genuine bytes");
    writeFile(server + "data.tx_", archive::compressSzdd("swapped on the server", 't'));
    const QString list = "[files]\ncount=2\n[file1]\nurl=" + server + "good.txt\n" + goodDigest +
                         "[file2]\nurl=" + server + "data.tx_\ncompressed=1\n";
    verdictFor((announcement + list + dataDigest).toUtf8());
    upd.LoadFileList();
    EXPECT_EQ(upd.DownloadFiles(), -1);
    EXPECT_FALSE(upd.appUpdate());
    EXPECT_TRUE(readFile(upd.LogFileName).contains("Refused update file " + server.toUtf8() + "data.tx_"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains("data.tx_")) << shown[0].text.toStdString();
    EXPECT_TRUE(appUntouched());
    EXPECT_TRUE(tempLeftovers().isEmpty());

    verdictFor((announcement + list).toUtf8()); // no digest for the second file
    upd.LoadFileList();
    EXPECT_EQ(upd.DownloadFiles(), -1);
    EXPECT_TRUE(appUntouched());

    verdictFor((announcement + list + "sha256=" + QString(64, 'x') + "\n").toUtf8());
    upd.LoadFileList();
    EXPECT_EQ(upd.DownloadFiles(), -1);
    EXPECT_TRUE(appUntouched());
    EXPECT_TRUE(tempLeftovers().isEmpty());

    // Release notes with other bytes are not shown.
    publish("notes.txt", "lies");
    verdictFor(("[whatsnew]\nfile=" + server + "notes.txt\nsha256=" + testsigning::sha256Hex("truth") + "\n").toUtf8());
    EXPECT_FALSE(upd.FetchWhatsNew().has_value());
    EXPECT_TRUE(QDir(tmp).entryList({"notes.txt"}).isEmpty());
    // ... and end the run: nothing after them is fetched or placed.
    EXPECT_TRUE(upd.refused() && upd.cancelled());
    EXPECT_EQ(upd.LoadFileList(), 0);
    EXPECT_EQ(upd.DownloadFiles(), -1);
    EXPECT_EQ(upd.FinishUpdate(), -1);
}

TEST_F(SignedUpdate, ProgramsOfTheActionSectionRunOnlyWithTheirPublishedDigest)
{
    const QString mark = root.filePath("ran");
    const QByteArray genuine = "#!/bin/sh\necho genuine > '" + mark.toUtf8() + "'\n";
    const QString digest = testsigning::sha256Hex(genuine);
    const QString program = app + "before.sh";
    writeFile(program, "#!/bin/sh\necho swapped > '" + mark.toUtf8() + "'\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    verdictFor((announcement + "[action]\nrunbefore=" + program + "\nrunbeforesha256=" + digest + "\n").toUtf8());
    EXPECT_EQ(upd.RunPreUpdateActions(), -1);
    EXPECT_FALSE(upd.appUpdate());
    EXPECT_TRUE(readFile(upd.LogFileName).contains("Refused update file " + program.toUtf8()));

    verdictFor((announcement + "[action]\nrunafter=" + program + "\n").toUtf8());
    EXPECT_EQ(upd.FinishUpdate(), -1);
    QThread::msleep(300);
    EXPECT_FALSE(QFile::exists(mark));

    writeFile(program, genuine);
    verdictFor((announcement + "[action]\nrunbefore=" + program + "\nrunbeforesha256=" + digest + "\n").toUtf8());
    EXPECT_EQ(upd.RunPreUpdateActions(), 0);
    for (int i = 0; i < 100 && !QFile::exists(mark); ++i)
        QThread::msleep(50);
    EXPECT_EQ(readFile(mark), "genuine\n");

    // Outside the Application directory nothing is run, whatever its digest: the control file is refused.
    writeFile(server + "before.sh", genuine);
    EXPECT_EQ(
        verdictFor(
            (announcement + "[action]\nrunbefore=" + server + "before.sh\nrunbeforesha256=" + digest + "\n").toUtf8()),
        -1);
    EXPECT_TRUE(readFile(upd.LogFileName).contains("Refused update control file"));
}

// Whatever the control file says, the program is never replaced by a lower version, nor by a file whose version
// cannot be read.
TEST_F(SignedUpdate, TheProgramIsNeverReplacedByALowerVersion)
{
    upd.UpdateUpdate = wuuSilent;
    const update::PackedVersion running = update::runningProgramVersion();
    const auto offer = [&](const QByteArray& program) {
        const QString digest = publish("velkorn_NEW", program);
        verdictFor((announcement + "[files]\ncount=1\n[file1]\nurl=" + server + "velkorn_NEW\n" + digest).toUtf8());
        upd.LoadFileList();
        return upd.DownloadFiles();
    };
    EXPECT_EQ(offer(versionedBytes(quint32(running.high) - 1, quint32(running.low))), -1);
    EXPECT_TRUE(readFile(upd.LogFileName).contains("lower than the running one"));
    EXPECT_EQ(offer("no version block"), -1);
    EXPECT_TRUE(appUntouched());

    EXPECT_EQ(offer(versionedBytes(quint32(running.high), quint32(running.low))), 0);
    EXPECT_EQ(offer(versionedBytes(quint32(running.high) + 1, 0)), 0);
    EXPECT_TRUE(QFile::exists(app + "velkorn_NEW"));
    EXPECT_TRUE(upd.componentDownloaded());
}
