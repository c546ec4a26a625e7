#include "UpdateFixture.h"

#include "update/EngineDialogs.h"
#include "update/archive/Szdd.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <cstring>

using update::TFileDescription;
using update::TWebUpdate;
using update::verdictNoUpdate;
using update::wuuPromptAll;
using update::wuuPromptOnce;
using update::wuuSilent;

namespace {
// Answers the engine's questions from a script and records them.
struct ScriptedAnswers
{
    ScriptedAnswers(TWebUpdate& engine, QList<bool> answers) : m_engine(engine), m_answers(std::move(answers))
    {
        engine.askQuestion = [this](const update::Question& q) {
            asked << q.text;
            return m_answers.isEmpty() ? false : m_answers.takeFirst();
        };
    }
    ~ScriptedAnswers() { m_engine.askQuestion = {}; }
    QStringList asked;

private:
    TWebUpdate& m_engine;
    QList<bool> m_answers;
};

// Puts a restart helper and its digest where the engine takes them from; the digest may be another's.
void publishHelper(TWebUpdate& upd, const QString& server, const QByteArray& program,
                   const QByteArray& digestOf = QByteArray())
{
    writeFile(server + "UPD", archive::compressSzdd(program, 'e'));
    writeFile(server + "UPD.sha256",
              QCryptographicHash::hash(digestOf.isNull() ? program : digestOf, QCryptographicHash::Sha256).toHex());
    upd.restartHelperResource = server + "UPD";
    upd.restartHelperDigestResource = server + "UPD.sha256";
}
} // namespace

TEST_F(UpdateFixture, FileListIsReadWithExpansions)
{
    ASSERT_EQ(verdictFor("[files]\ncount=3\n"
                         "[file1]\nurl={TMP}\\a.dat\ntargetdir={APP}\\sub\nlocalversion={APP}\\a.dat\n"
                         "mandatory=1\nhidden=1\ncompressed=1\nfilesize=0x10\nnewchecksum=7\ndescr=First\n"
                         "[FILE2]\nURL=b.dat\n"),
              verdictNoUpdate);
    // count=3 but the file holds only the sections it holds; the missing third reads as defaults.
    ASSERT_EQ(upd.LoadFileList(), 3);
    const TFileDescription& first = upd.FileList.item(0);
    EXPECT_EQ(first.URL, upd.userTempDirectory().chopped(1) + "\\a.dat");
    EXPECT_EQ(first.TargetDir, QDir::currentPath() + "/sub/");
    EXPECT_TRUE(first.Mandatory && first.Hidden && first.Compressed);
    EXPECT_EQ(first.FileSize, 16);
    EXPECT_EQ(first.NewCheckSum, 7);
    EXPECT_EQ(upd.FileList.item(1).URL, "b.dat");
    EXPECT_EQ(upd.FileList.item(1).NewCheckSum, -1);
    EXPECT_EQ(upd.FileList.totalSize(), 16);

    verdictFor("[files]\ncount=-5\n[file1]\nurl=x\n");
    EXPECT_EQ(upd.LoadFileList(), 0);
    EXPECT_TRUE(upd.FileList.isEmpty());
    verdictFor("[files]\ncount=99999999\n[file1]\nurl=x\n");
    EXPECT_LE(upd.LoadFileList(), 2);
}

TEST_F(UpdateFixture, FilterKeepsOnlyNewerFiles)
{
    writeFile(app + "current.dat", "abc");
    setModified(app + "current.dat", QDateTime(QDate(2010, 1, 1), QTime(0, 0)));
    verdictFor("[files]\ncount=5\n"
               "[file1]\ndescr=dated, local newer\nlocalversion={APP}\\current.dat\ndate=01/01/2009\n"
               "[file2]\ndescr=dated, local missing\nlocalversion={APP}\\none.dat\ndate=01/01/2009\n"
               "[file3]\ndescr=same checksum\nlocalversion={APP}\\current.dat\nnewchecksum=293\n"
               "[file4]\ndescr=no comparison\n"
               "[file5]\ndescr=custom\nlocalversion={APP}\\current.dat\nnewsize=4\ncustomversion=7\n");
    upd.LoadFileList();
    upd.OnFileVersionCheck = [](QObject*, const QString& custom, const QString&, bool& isNew) {
        isNew = custom != "7";
    };
    EXPECT_EQ(upd.FilterFileList(), 0);
    QStringList left;
    for (int i = 0; i < upd.FileList.count(); ++i)
        left << upd.FileList.item(i).Description;
    EXPECT_EQ(left, QStringList({"dated, local missing", "no comparison"}));

    upd.OnGetFileList = [](QObject*, QStringList& names) { names[0].clear(); };
    EXPECT_EQ(upd.FilterFileList(), 0);
    ASSERT_EQ(upd.FileList.count(), 1);
    upd.OnGetFileList = [](QObject*, QStringList& names) { names[0].clear(); };
    EXPECT_EQ(upd.FilterFileList(), -1);
}

TEST_F(UpdateFixture, DownloadLoopPromptsAndComponents)
{
    const QString dllDigest = publish("A.DLL", "component");
    const QString notesDigest = publish("notes.txt", "plain");
    verdictFor(("[application]\nappupdate=1\nappname=velkorn\nappcomps=XA.DLL_NEW\n"
                "[files]\ncount=2\n[file1]\nurl=" +
                server + "A.DLL\n" + dllDigest + "[file2]\nurl=" + server + "notes.txt\n" + notesDigest)
                   .toUtf8());
    upd.LoadFileList();

    upd.UpdateUpdate = wuuPromptOnce;
    {
        ScriptedAnswers answers(upd, {false});
        EXPECT_EQ(upd.DownloadFiles(), 0);
        EXPECT_EQ(answers.asked, QStringList{"Download update files ?"});
    }
    EXPECT_FALSE(QFile::exists(app + "A.DLL"));
    EXPECT_FALSE(QFile::exists(app + "notes.txt"));

    upd.UpdateUpdate = wuuPromptAll;
    {
        ScriptedAnswers answers(upd, {false, true});
        EXPECT_EQ(upd.DownloadFiles(), 0);
        EXPECT_EQ(answers.asked, QStringList({"Download update file : A.DLL", "Download update file : notes.txt"}));
    }
    EXPECT_FALSE(QFile::exists(app + "A.DLL"));
    EXPECT_TRUE(QFile::exists(app + "notes.txt"));
    EXPECT_FALSE(upd.componentDownloaded());

    // A.DLL occurs inside the entry XA.DLL_NEW, so it counts as a component.
    upd.UpdateUpdate = wuuSilent;
    EXPECT_EQ(upd.DownloadFiles(), 0);
    EXPECT_TRUE(upd.componentDownloaded());
    EXPECT_TRUE(reported("Found application component : A.DLL"));
    EXPECT_TRUE(upd.appUpdate());

    // A failed file fails the loop and withdraws the restart; the others still come.
    QFile::remove(server + "A.DLL");
    EXPECT_EQ(upd.DownloadFiles(), -1);
    EXPECT_TRUE(reported("Cannot download update file : " + server + "A.DLL"));
    EXPECT_FALSE(upd.appUpdate());
}

TEST_F(UpdateFixture, LocalCopiesExpandAndFailCleanly)
{
    writeFile(server + "data.tx_", archive::compressSzdd("expanded text", 't'));
    EXPECT_TRUE(upd.DownloadFile(server + "data.tx_", app, true));
    EXPECT_EQ(readFile(app + "data.txt"), "expanded text");
    EXPECT_FALSE(QFile::exists(app + "data.tx_"));

    writeFile(server + "empty", {});
    EXPECT_FALSE(upd.DownloadFile(server + "empty", app, false));
    EXPECT_TRUE(reported("Zero length source file : " + server + "empty"));
    EXPECT_FALSE(upd.DownloadFile(server + "data.tx_", server, false));
    EXPECT_FALSE(upd.DownloadFile(server + "nothing", app, false));
    EXPECT_TRUE(reported("File not found : " + server + "nothing"));

    // Cancel after the first block: nothing arrives and no temporary file stays.
    writeFile(server + "big.bin", QByteArray(100000, 'b'));
    writeFile(app + "big.bin", "old");
    qint64 lastPos = 0;
    upd.OnFileProgress = [&](QObject*, const QString&, qint64 pos, qint64 size) {
        lastPos = pos;
        EXPECT_EQ(size, 100000);
    };
    upd.OnProgressCancel = [](QObject*, bool& cancel) { cancel = true; };
    EXPECT_FALSE(upd.DownloadFile(server + "big.bin", app, false));
    EXPECT_TRUE(upd.cancelled());
    EXPECT_EQ(lastPos, 16384);
    EXPECT_EQ(readFile(app + "big.bin"), "old");
    EXPECT_TRUE(tempLeftovers().isEmpty());
    EXPECT_EQ(upd.FinishUpdate(), -1);

    // A target that cannot be replaced is logged even though logging is off.
    upd.OnProgressCancel = nullptr;
    upd.OnFileProgress = nullptr;
    QDir(app).mkpath("blocked.bin/inner");
    writeFile(server + "blocked.bin", "x");
    EXPECT_FALSE(upd.DownloadFile(server + "blocked.bin", app, false));
    EXPECT_TRUE(readFile(upd.LogFileName).startsWith("Unable to delete file " + (app + "blocked.bin").toUtf8()));
    EXPECT_FALSE(upd.DownloadFile(server + "blocked.bin", app + "missing/dir/", false));
    EXPECT_TRUE(readFile(upd.LogFileName).contains("Unable to rename file " + tmp.toUtf8() + "WUPD"));
    EXPECT_TRUE(tempLeftovers().isEmpty());
}

TEST_F(UpdateFixture, PreUpdateActionsAndRestart)
{
    std::vector<update::Message> boxes;
    upd.showMessage = [&](const update::Message& r) { boxes.push_back(r); };
    verdictFor("[application]\nappupdate=1\nappname=velkorn\nappcomps=velkorn_NEW de.lng_NEW\n"
               "[action]\nmsg=first\\nsecond\nquery=Go on?\n");
    {
        ScriptedAnswers answers(upd, {false});
        EXPECT_EQ(upd.RunPreUpdateActions(), -1);
        EXPECT_EQ(answers.asked, QStringList{"Go on?"});
    }
    upd.showMessage = {};
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "first\nsecond");
    EXPECT_FALSE(upd.appUpdate());

    // The helper's command line: pid, no log, the application path quoted when it holds a blank.
    QDir(app).mkpath("with blank");
    QDir::setCurrent(app + "with blank");
    QString started;
    bool closed = false;
    upd.startProcess = [&](const QString& commandLine, int&) {
        started = commandLine;
        return true;
    };
    upd.OnAppDoClose = [&](QObject*) { closed = true; };
    upd.OnAppRestart = [](QObject*, bool& allow) { allow = true; };
    publishHelper(upd, server, "#!/bin/sh\n");
    upd.LaunchRestart();
    EXPECT_TRUE(closed);
    EXPECT_EQ(started, upd.restartHelperPath() + " " + QString::number(QCoreApplication::applicationPid()) + " X \"" +
                           app + "with blank/velkorn\" velkorn_NEW de.lng_NEW");

    closed = false;
    upd.OnAppRestart = [](QObject*, bool& allow) { allow = false; };
    upd.LaunchRestart();
    EXPECT_FALSE(closed);
}

TEST_F(UpdateFixture, ReleaseNotesLicenceAndStatusLog)
{
    const QString notesDigest = publish("notes.txt", "line one\r\nline two\r\n");
    const QString eulaDigest = publish("eula.txt", "Lizenz f\xfc\x72 alle\n"); // Windows text, not UTF-8
    verdictFor(("[whatsnew]\nfile=" + server + "notes.txt\n" + notesDigest + "[eulade]\nfile=" + server + "eula.txt\n" +
                eulaDigest + "[eula]\nfile=" + server + "gone.txt\n" + eulaDigest)
                   .toUtf8());
    EXPECT_EQ(upd.FetchWhatsNew(), QStringList({"line one", "line two"}));
    EXPECT_FALSE(QFile::exists(tmp + "notes.txt"));
    EXPECT_FALSE(upd.FetchLicense().has_value()); // a licence that cannot be fetched counts as none
    upd.LanguageID = "de";
    EXPECT_EQ(upd.FetchLicense(), QStringList{QString::fromUtf8("Lizenz für alle")});
    EXPECT_FALSE(upd.FetchWhatsNew().has_value()); // no section "whatsnewde"

    upd.Logging = true;
    upd.ReportStatus(916, "404", 6, 404);
    const QString line = QString::fromLocal8Bit(readFile(upd.LogFileName)).trimmed();
    EXPECT_TRUE(
        QRegularExpression(R"(^\d\d/\d\d/\d{4} \d\d:\d\d:\d\d : \[916\] Http status : 404 \(Status:6\) \(Error:404\)$)")
            .match(line)
            .hasMatch())
        << line.toStdString();
}

TEST_F(UpdateFixture, RestartHelperIsWrittenOutIntoAFreshPrivateFolder)
{
    upd.restartHelperResource = server + "UPD";
    upd.restartHelperDigestResource = server + "UPD.sha256";
    EXPECT_FALSE(upd.ExtractRestartHelper()); // no resource
    const QByteArray program = "#!/bin/sh\nexit 0\n";
    publishHelper(upd, server, program);
    ASSERT_TRUE(upd.ExtractRestartHelper());
    const QString first = upd.restartHelperPath();
    EXPECT_EQ(readFile(first), program);
    EXPECT_EQ(QFileInfo(first).fileName(), "upd.exe");
    EXPECT_EQ(QFile::permissions(first) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString folder = QFileInfo(first).path();
    EXPECT_NE(QDir(folder), QDir(tmp));
    EXPECT_EQ(QFile::permissions(folder) & QFile::Permissions(0x7077),
              QFile::ExeOwner | QFile::WriteOwner | QFile::ReadOwner);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"upd.exe"}); // upd.ex_ is gone

    // Each extraction gets a folder of its own; the one before is cleared away.
    ASSERT_TRUE(upd.ExtractRestartHelper());
    EXPECT_NE(upd.restartHelperPath(), first);
    EXPECT_FALSE(QFileInfo::exists(folder));

    // A helper that does not expand to the built-in digest is not left for anyone to run.
    publishHelper(upd, server, program, "another program");
    EXPECT_FALSE(upd.ExtractRestartHelper());
    EXPECT_TRUE(upd.restartHelperPath().isEmpty());
    writeFile(server + "UPD.sha256", "0123");
    EXPECT_FALSE(upd.ExtractRestartHelper());
    EXPECT_TRUE(QDir(tmp).entryList({"velkorn-upd-*"}, QDir::Dirs).isEmpty());
}

// Another local user can plant files under the old fixed names in the shared temporary folder: an "upd.exe"
// that the catalog would run as its user, and a link "upd.ex_" through which it would overwrite the user's
// file. The helper goes to a private folder instead, so neither is touched, and a helper that failed its
// check is never replaced by whatever lies at a known path.
TEST_F(UpdateFixture, PlantedHelperFilesInTheSharedFolderAreNeitherRunNorWrittenThrough)
{
    // Without a private runtime folder the helper's folder is made inside the shared one, the harder case.
    struct RuntimeDirUnset
    {
        QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        RuntimeDirUnset() { qunsetenv("XDG_RUNTIME_DIR"); }
        ~RuntimeDirUnset()
        {
            if (!saved.isNull())
                qputenv("XDG_RUNTIME_DIR", saved);
        }
    } unset;
    const QByteArray planted = "#!/bin/sh\necho planted > '" + (root.path() + "/planted-ran").toUtf8() + "'\n";
    writeFile(tmp + "upd.exe", planted);
    QFile::setPermissions(tmp + "upd.exe", QFile::permissions(tmp + "upd.exe") | QFile::ExeOwner);
    writeFile(root.path() + "/precious", "the user's own file");
    ASSERT_TRUE(QFile::link(root.path() + "/precious", tmp + "upd.ex_"));

    verdictFor("[application]\nappupdate=1\nappname=velkorn\nappcomps=velkorn_NEW\n");
    upd.OnAppRestart = [](QObject*, bool& allow) { allow = true; };
    upd.OnAppDoClose = [](QObject*) {};

    // A helper that fails its check: nothing at all is started.
    publishHelper(upd, server, "#!/bin/sh\n", "another program");
    upd.LaunchRestart();
    EXPECT_TRUE(reported("Failed to spawn updater process : " + QString::fromLocal8Bit(std::strerror(ENOENT))));

    // The genuine helper is started from its private folder, with the real process start.
    const QString genuineMark = root.path() + "/genuine-ran";
    publishHelper(upd, server, "#!/bin/sh\necho \"$@\" > '" + genuineMark.toUtf8() + "'\n");
    upd.LaunchRestart();
    for (int i = 0; i < 200 && !QFile::exists(genuineMark); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(readFile(genuineMark).endsWith(" velkorn_NEW\n"));

    EXPECT_FALSE(QFile::exists(root.path() + "/planted-ran"));
    EXPECT_EQ(readFile(tmp + "upd.exe"), planted);
    EXPECT_EQ(readFile(root.path() + "/precious"), "the user's own file");
    EXPECT_TRUE(QFileInfo(tmp + "upd.ex_").isSymLink());
    EXPECT_TRUE(upd.restartHelperPath().startsWith(tmp + "velkorn-upd-"));
}
