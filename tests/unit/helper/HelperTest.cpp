#include "../archive/CabWriter.h"
#include "update/archive/Szdd.h"
#include "update/helper/ComponentInstaller.h"
#include "update/helper/ProcessWaiter.h"
#include "update/helper/RestartHelper.h"
#include "update/helper/UpdateJournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using helper::ComponentInstaller;
using helper::RestartEnvironment;
using helper::RestartOutcome;
using helper::runRestartHelper;
using helper::splitRestartCommand;
using helper::UpdateJournal;
using namespace std::chrono_literals;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// An application directory in a temporary folder, and a helper run whose outside world is scripted.
class HelperTest : public ::testing::Test
{
protected:
    QString app(const QString& name) const { return m_dir.path() + "/" + name; }
    QString log() const { return QString::fromLocal8Bit(readAll(app("WUPDATE.LOG"))); }

    RestartOutcome run(const QStringList& arguments)
    {
        RestartEnvironment env;
        env.appDir = m_dir.path();
        env.waitForExit = [this](qint64 pid, std::chrono::milliseconds) {
            m_waitedFor.append(pid);
            return helper::WaitResult::Ended;
        };
        env.sleep = [](int) {};
        env.startDetached = [this](const QString& program, const QStringList& args) {
            m_started.append(QStringList{program} + args);
            m_rolledBackFlags.append(qgetenv(helper::RolledBackVariable));
            return true;
        };
        env.startWatched = [this](const QString& program, const QStringList& args, const QString&) {
            m_started.append(QStringList{program} + args);
            m_rolledBackFlags.append(qgetenv(helper::RolledBackVariable));
            return m_newVersionComesUp;
        };
        env.afterPlacing = m_afterPlacing;
        return runRestartHelper(arguments, env);
    }

    ComponentInstaller installer(bool logging = true)
    {
        ComponentInstaller i(m_dir.path(), logging);
        i.setSleeper([](int) {});
        return i;
    }

    QTemporaryDir m_dir;
    QList<qint64> m_waitedFor;
    QList<QStringList> m_started;
    QList<QByteArray> m_rolledBackFlags;
    bool m_newVersionComesUp = true;
    std::function<void(int)> m_afterPlacing;
};

TEST_F(HelperTest, ReplacesComponentsAndRestarts)
{
    writeAll(app("velkorn"), "old program");
    writeAll(app("KATALOG.GDB"), "old data");
    writeAll(app("velkorn_NEW"), "new program");
    writeAll(app("katalog.gdb_new"), "new data"); // the download's case differs from the name
    const QString restart = app("velkorn");

    EXPECT_EQ(run({"4242", "L", restart, "velkorn_NEW", "KATALOG.GDB_NEW"}), RestartOutcome::Restarted);
    EXPECT_EQ(m_waitedFor, QList<qint64>{4242});
    EXPECT_EQ(readAll(app("velkorn")), QByteArray("new program"));
    EXPECT_EQ(readAll(app("KATALOG.GDB")), QByteArray("new data"));
    EXPECT_FALSE(QFileInfo::exists(app("velkorn_NEW")));
    EXPECT_FALSE(QFileInfo::exists(app("katalog.gdb_new")));
    ASSERT_EQ(m_started.size(), 1);
    EXPECT_EQ(m_started.first(), QStringList{restart});
    EXPECT_TRUE(log().contains(" : upd restart " + restart)) << log().toStdString();
    EXPECT_FALSE(log().contains("io error"));
    // Every line starts with the local time as dd/mm/yyyy hh:nn:ss.
    EXPECT_TRUE(QRegularExpression("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d : upd ").match(log()).hasMatch());
}

TEST_F(HelperTest, NullStartsNothingAndXLogsNothing)
{
    writeAll(app("a.txt_NEW"), "new");
    EXPECT_EQ(run({"17", "X", "null", "a.txt_NEW"}), RestartOutcome::NotRestarted);
    EXPECT_EQ(readAll(app("a.txt")), QByteArray("new"));
    EXPECT_TRUE(m_started.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(app("WUPDATE.LOG")));
}

// An application that does not end in time must not keep the update from being installed.
TEST_F(HelperTest, GivesUpWaitingAndGoesOn)
{
    writeAll(app("a.txt_NEW"), "new");
    RestartEnvironment env;
    env.appDir = m_dir.path();
    env.waitLimit = 5s;
    env.waitForExit = [](qint64, std::chrono::milliseconds) { return helper::WaitResult::TimedOut; };
    env.sleep = [](int) {};
    bool started = false;
    env.startDetached = [&](const QString&, const QStringList&) { return started = true; };
    env.startWatched = [&](const QString&, const QStringList&, const QString&) { return started = true; };
    EXPECT_EQ(runRestartHelper({"77", "L", app("a.txt"), "a.txt_NEW"}, env), RestartOutcome::Restarted);
    EXPECT_TRUE(started);
    EXPECT_EQ(readAll(app("a.txt")), QByteArray("new"));
    EXPECT_TRUE(log().contains("upd process 77 still running after 5 s"));
}

TEST_F(HelperTest, BadCommandLinesDoNothing)
{
    writeAll(app("a.txt_NEW"), "new");
    const QList<QStringList> bad = {{},
                                    {"12"},
                                    {"12", "L"},
                                    {"abc", "L", "null", "a.txt_NEW"},
                                    {"12x", "L", "null", "a.txt_NEW"},
                                    {"", "L", "null", "a.txt_NEW"},
                                    {"-5", "L", "null", "a.txt_NEW"},
                                    {"0", "L", "null", "a.txt_NEW"},
                                    {"99999999999999999999", "L", "null", "a.txt_NEW"}};
    for (const QStringList& args : bad)
        EXPECT_EQ(run(args), RestartOutcome::BadCommandLine) << args.join(' ').toStdString();
    EXPECT_TRUE(m_waitedFor.isEmpty());
    EXPECT_TRUE(m_started.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(app("a.txt_NEW")));
}

// Components that are missing fail quietly; the rest are installed and the restart still happens.
TEST_F(HelperTest, MissingComponentsDoNotStopTheRun)
{
    writeAll(app("prog"), "keep me");
    writeAll(app("b.txt_NEW"), "b");
    EXPECT_EQ(run({"5", "L", app("prog"), "prog_NEW", "gone.cab", "gone.exe", "gone.inf", "gone.dl_", "b.txt_NEW"}),
              RestartOutcome::Restarted);
    // Without a download the installed file must stay, or there would be nothing to restart.
    EXPECT_EQ(readAll(app("prog")), QByteArray("keep me"));
    EXPECT_TRUE(log().contains("upd io error 2 in rename file:prog\n"));
    EXPECT_EQ(readAll(app("b.txt")), QByteArray("b"));
    EXPECT_EQ(m_started.size(), 1);
}

TEST_F(HelperTest, RefusesNamesAndTargetsOutsideTheApplication)
{
    QTemporaryDir outside;
    writeAll(outside.path() + "/victim", "safe");
    writeAll(outside.path() + "/victim_NEW", "evil");
    writeAll(app("ok.txt_NEW"), "fine");
    writeAll(app("list.inf"), QString("[FILES]\nCOUNT=4\nFILE1=ok2.txt_NEW\nTARGET1=..\\..\\\nFILE2=ok3.txt_NEW\n"
                                      "TARGET2=%1\nFILE3=ok4.txt_NEW\nTARGET3=C:\\Windows\nFILE4=ok5.txt_NEW\n"
                                      "TARGET4={APP}\\sub\n")
                                  .arg(outside.path())
                                  .toLocal8Bit());
    for (const char* n : {"ok2.txt_NEW", "ok3.txt_NEW", "ok4.txt_NEW", "ok5.txt_NEW"})
        writeAll(app(n), n);
    const QString relative = QDir(m_dir.path()).relativeFilePath(outside.path() + "/victim_NEW");

    run({"5", "L", "null", relative, outside.path() + "/victim_NEW", "..\\x_NEW", "C:\\x_NEW", "ok.txt_NEW",
         "list.inf"});
    EXPECT_EQ(readAll(outside.path() + "/victim"), QByteArray("safe"));
    EXPECT_TRUE(QFileInfo::exists(outside.path() + "/victim_NEW"));
    EXPECT_EQ(readAll(app("ok.txt")), QByteArray("fine"));
    EXPECT_FALSE(QFileInfo::exists(outside.path() + "/ok3.txt"));
    EXPECT_TRUE(QFileInfo::exists(app("ok2.txt_NEW")));
    EXPECT_TRUE(QFileInfo::exists(app("ok4.txt_NEW")));
    EXPECT_EQ(readAll(app("sub/ok5.txt")), QByteArray("ok5.txt_NEW"));
    EXPECT_EQ(log().count("upd refused "), 7) << log().toStdString();
}

TEST_F(HelperTest, ListsInstallIntoTheirTargets)
{
    writeAll(app("first.dat_NEW"), "1");
    writeAll(app("second.dat_NEW"), "2");
    writeAll(app("third.dat_NEW"), "3");
    writeAll(app("UPDATE.INF"), "[FILES]\nCOUNT=3\nFILE1=first.dat_NEW\nFILE2=second.dat_NEW\n"
                                "TARGET2={APP}\\data\nFILE3=inner.inf\n");
    writeAll(app("inner.inf"), "[Files]\ncount=1\nfile1=third.dat_NEW\ntarget1={app}\\data\\deep\\\n");

    installer().process("UPDATE.INF");
    EXPECT_EQ(readAll(app("first.dat")), QByteArray("1"));
    EXPECT_EQ(readAll(app("data/second.dat")), QByteArray("2"));
    EXPECT_EQ(readAll(app("data/deep/third.dat")), QByteArray("3"));
    EXPECT_TRUE(log().contains("upd inf file UPDATE.INF"));
    EXPECT_TRUE(log().contains("upd inf: second.dat_NEW {APP}\\data\n"));
}

// Lists come from the network: they may include themselves, claim absurd counts or skip entries.
TEST_F(HelperTest, HostileListsEndAndInstallWhatExists)
{
    writeAll(app("a.inf"), "[FILES]\nCOUNT=2\nFILE1=b.inf\nFILE2=a.inf\n");
    writeAll(app("b.inf"), "[FILES]\nCOUNT=1\nFILE1=a.inf\n");
    writeAll(app("big.inf"), "[FILES]\nCOUNT=100000\nFILE3=x.txt_NEW\nFILE99999=y.txt_NEW\nFILE0=z.txt_NEW\n"
                             "FILE007=z.txt_NEW\nFILE100001=z.txt_NEW\n");
    writeAll(app("neg.inf"), "[FILES]\nCOUNT=-5\nFILE1=z.txt_NEW\n");
    writeAll(app("junk.inf"), QByteArray("\x00\xff[FILES\nCOUNT=abc\n", 20));
    writeAll(app("x.txt_NEW"), "x");
    writeAll(app("y.txt_NEW"), "y");
    writeAll(app("z.txt_NEW"), "z");

    QElapsedTimer timer;
    timer.start();
    ComponentInstaller i = installer();
    for (const char* n : {"a.inf", "big.inf", "neg.inf", "junk.inf"})
        i.process(n);
    EXPECT_TRUE(log().contains("upd inf file a.inf refused")) << log().toStdString();
    EXPECT_EQ(readAll(app("x.txt")), QByteArray("x"));
    EXPECT_EQ(readAll(app("y.txt")), QByteArray("y"));
    EXPECT_TRUE(QFileInfo::exists(app("z.txt_NEW")));
    EXPECT_LT(log().count('\n'), 40);
}

TEST_F(HelperTest, ReplacementFailuresAreLogged)
{
    // A directory in the way cannot be deleted or replaced by a file.
    writeAll(app("blocked/inside.txt"), "x");
    writeAll(app("blocked_NEW"), "new");
    installer().process("blocked_NEW");
    EXPECT_TRUE(log().contains("upd io error 21 in delete file:blocked\n")) << log().toStdString();
    EXPECT_TRUE(log().contains("in rename file:blocked\n"));
    EXPECT_TRUE(QFileInfo::exists(app("blocked_NEW")));
    EXPECT_TRUE(QFileInfo(app("blocked")).isDir());

    // A new file with no old one is simply renamed into place.
    writeAll(app("fresh_NEW"), "f");
    installer().process("fresh_NEW");
    EXPECT_FALSE(log().contains("in delete file:fresh\n"));
    EXPECT_EQ(readAll(app("fresh")), QByteArray("f"));
}

// Each replaced file is kept before the new one is renamed over it, so the whole run can be undone: the old files
// come back, the added ones go, and a file replaced twice ends as it was installed. A missing download never costs
// the installed file.
TEST_F(HelperTest, ReplacementsAreKeptAndCanBeRolledBack)
{
    writeAll(app("velkorn"), "old program");
    writeAll(app("data/catalog.dat"), "old data");
    writeAll(app("velkorn_NEW"), "new program");
    writeAll(app("catalog.dat_NEW"), "new data"); // downloads lie in the application directory
    writeAll(app("added.txt_NEW"), "added");
    ComponentInstaller first = installer();
    first.process("velkorn_NEW");
    first.process("catalog.dat_NEW", "data/");
    first.process("added.txt_NEW");
    first.process("missing_NEW");
    writeAll(app("velkorn_NEW"), "newer program");
    first.process("velkorn_NEW");
    EXPECT_EQ(readAll(app("velkorn")), "newer program");
    EXPECT_EQ(readAll(app("data/catalog.dat")), "new data");
    EXPECT_EQ(readAll(first.journal().keptPath("velkorn")), "old program");

    EXPECT_TRUE(first.rollBack());
    EXPECT_EQ(readAll(app("velkorn")), "old program");
    EXPECT_EQ(readAll(app("data/catalog.dat")), "old data");
    EXPECT_FALSE(QFileInfo::exists(app("added.txt")));
    EXPECT_FALSE(QFileInfo::exists(first.backupDir()));
    EXPECT_TRUE(log().contains("upd rollback velkorn\n"));

    // A helper run starts a fresh backup: only its own changes can be undone.
    writeAll(app("velkorn_NEW"), "new program");
    EXPECT_EQ(run({"4242", "L", "null", "velkorn_NEW"}), RestartOutcome::NotRestarted);
    writeAll(app("velkorn_NEW"), "third program");
    EXPECT_EQ(run({"4242", "L", "null", "velkorn_NEW"}), RestartOutcome::NotRestarted);
    EXPECT_TRUE(installer().rollBack());
    EXPECT_EQ(readAll(app("velkorn")), "new program");
}

// The old version of an install of four files (a program, a file named by a list, an added file, a file from a
// cabinet), and the downloads of the new one.
class JournalTest : public HelperTest
{
protected:
    void writeOldVersion()
    {
        writeProgram(app("velkorn"), "old program");
        writeAll(app("data/catalog.dat"), "old data");
        writeAll(app("lib/plugin.so"), "old plugin");
        QFile::remove(app("added.txt"));
    }
    static void writeProgram(const QString& path, const QByteArray& bytes)
    {
        writeAll(path, bytes);
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    }
    void writeDownloads()
    {
        writeAll(app("velkorn_NEW"), "new program");
        writeAll(app("catalog.dat_NEW"), "new data");
        writeAll(app("added.txt_NEW"), "added");
        CabWriter cab;
        cab.add("lib\\plugin.so", "new plugin");
        writeAll(app("plugins.cab"), cab.build());
        writeAll(app("list.inf"), "[FILES]\nCOUNT=1\nFILE1=catalog.dat_NEW\nTARGET1={APP}\\data\n");
    }
    RestartOutcome install()
    {
        writeDownloads();
        return run({"4242", "L", "null", "velkorn_NEW", "list.inf", "added.txt_NEW", "plugins.cab"});
    }
    void expectVersion(const QByteArray& program, const QByteArray& data, const QByteArray& plugin, bool added)
    {
        EXPECT_EQ(readAll(app("velkorn")), program);
        EXPECT_TRUE(QFileInfo(app("velkorn")).isExecutable());
        EXPECT_EQ(readAll(app("data/catalog.dat")), data);
        EXPECT_EQ(readAll(app("lib/plugin.so")), plugin);
        EXPECT_EQ(QFileInfo::exists(app("added.txt")), added);
    }
    void expectNewVersion() { expectVersion("new program", "new data", "new plugin", true); }
};

// The helper is stopped after each file of an install in turn, as a power cut would stop it: the next start finds the
// journal unfinished and puts the whole old version back, modes included, and the next install goes through. The new
// program has its final mode the moment it takes the old one's name, and a start while the helper is at work leaves
// the install alone.
TEST_F(JournalTest, AnInstallCutShortAfterAnyFileIsUndoneAtTheNextStart)
{
    struct Killed
    {
    };
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        writeOldVersion();
        bool executableWhenPlaced = false;
        UpdateJournal::Recovery duringInstall = UpdateJournal::Recovery::Nothing;
        m_afterPlacing = [&](int placed) {
            if (placed == 1) {
                executableWhenPlaced = QFileInfo(app("velkorn")).isExecutable();
                duringInstall = UpdateJournal(m_dir.path()).recover(0ms);
            }
            if (placed == k)
                throw Killed{};
        };
        EXPECT_THROW(install(), Killed);
        m_afterPlacing = {};
        EXPECT_TRUE(executableWhenPlaced);
        EXPECT_EQ(duringInstall, UpdateJournal::Recovery::Busy);

        EXPECT_EQ(UpdateJournal(m_dir.path()).recover(), UpdateJournal::Recovery::Restored);
        expectVersion("old program", "old data", "old plugin", false);
        EXPECT_FALSE(QFileInfo::exists(app(".update-backup")));
        EXPECT_EQ(install(), RestartOutcome::NotRestarted);
        expectNewVersion();
        EXPECT_EQ(UpdateJournal(m_dir.path()).recover(), UpdateJournal::Recovery::Nothing);
    }
    // The helper undoes a cut-short install itself before it installs the next.
    writeOldVersion();
    m_afterPlacing = [](int placed) {
        if (placed == 2)
            throw Killed{};
    };
    EXPECT_THROW(install(), Killed);
    m_afterPlacing = {};
    writeAll(app("velkorn_NEW"), "new program");
    EXPECT_EQ(run({"4242", "L", "null", "velkorn_NEW"}), RestartOutcome::NotRestarted);
    expectVersion("new program", "old data", "old plugin", false);
}

// A journal that is cut off inside its first line or garbled cannot say what to undo: the files stay as they are,
// the start says that the update was not completed, the journal is set aside, and the next install goes through.
// A last line that was being written announced a change that never began, so the lines before it are undone.
TEST_F(JournalTest, AJournalThatCannotBeReadLeavesTheFilesAsTheyAre)
{
    const QByteArray header = "velkorn update journal 1\n";
    struct Case
    {
        const char* name;
        const char* file; // the journal's name in the folder, or none
        QByteArray text;
        bool keptFile; // the old program lies in the folder
        UpdateJournal::Recovery recovery;
    };
    using R = UpdateJournal::Recovery;
    const QList<Case> cases = {
        {"empty", "journal", "", false, R::NotRestored},
        {"cut in its first line", "journal", "velkorn upd", false, R::NotRestored},
        {"garbage", "journal", QByteArray("\x00\xff\x13 kept\n\x80", 10), true, R::NotRestored},
        {"unknown line", "journal", header + "moved velkorn\n", true, R::NotRestored},
        {"name outside", "journal", header + "kept ../velkorn\n", true, R::NotRestored},
        {"name not encoded", "journal", header + "kept a b\n", true, R::NotRestored},
        {"lines lost", "journal", header, true, R::NotRestored},
        {"lost", nullptr, {}, true, R::NotRestored},
        {"not yet named", "journal.new", header, false, R::Nothing},
        {"last line cut off", "journal", header + "kept velkorn\nadded ne", true, R::Restored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeOldVersion();
        writeAll(app("velkorn"), "new program");
        QDir(app(".update-backup")).removeRecursively();
        QDir().mkpath(app(".update-backup"));
        if (c.file)
            writeAll(app(".update-backup/") + c.file, c.text);
        if (c.keptFile)
            writeProgram(UpdateJournal(m_dir.path()).keptPath("velkorn"), "old program");

        EXPECT_EQ(UpdateJournal(m_dir.path()).recover(), c.recovery);
        EXPECT_EQ(readAll(app("velkorn")), c.recovery == R::Restored ? "old program" : "new program");
        EXPECT_EQ(QFileInfo::exists(app(".update-unfinished")), c.recovery == R::NotRestored);
        QDir(app(".update-unfinished")).removeRecursively();
        EXPECT_EQ(install(), RestartOutcome::NotRestarted);
        expectNewVersion();
    }
}

TEST_F(HelperTest, SetupProgramsRunAndAreDeleted)
{
    writeAll(app("setup.exe"), "#!/bin/sh\necho ran > ran.txt\n");
    writeAll(app("broken.exe"), QByteArray("\x7f"
                                           "ELF not really",
                                           15));
    installer().process("setup.exe", "{APP}\\");
    installer().process("broken.exe");
    EXPECT_EQ(readAll(app("ran.txt")), QByteArray("ran\n"));
    EXPECT_FALSE(QFileInfo::exists(app("setup.exe")));
    EXPECT_FALSE(QFileInfo::exists(app("broken.exe")));
    EXPECT_TRUE(log().contains("upd execute setup.exe {APP}\\"));
    EXPECT_TRUE(log().contains("upd execute broken.exe could not be started"));
}

TEST_F(HelperTest, CabinetsPatchesAndCompressedFiles)
{
    CabWriter good;
    good.add("lib\\one.txt", "one");
    writeAll(app("parts.cab"), good.build());
    writeAll(app("broken.cab"), good.build().left(60));
    writeAll(app("fix.pat"), "patch");
    writeAll(app("help.tx_"), archive::compressSzdd("help text", 't'));
    writeAll(app("doc.tx_"), archive::compressSzdd("doc text", 't'));
    writeAll(app("plain.txt"), "not compressed");

    ComponentInstaller i = installer();
    i.process("parts.cab", i.expandStandardMacros("{APP}\\plugins\\"));
    i.process("broken.cab");
    i.process("fix.pat");
    i.process("help.tx_");
    i.process("doc.tx_", "docs\\");
    i.process("plain.txt");

    EXPECT_EQ(readAll(app("plugins/lib/one.txt")), QByteArray("one"));
    EXPECT_FALSE(QFileInfo::exists(app("parts.cab")));
    EXPECT_TRUE(QFileInfo::exists(app("broken.cab")));
    EXPECT_TRUE(QFileInfo::exists(app("fix.pat")));
    EXPECT_EQ(readAll(app("help.txt")), QByteArray("help text"));
    EXPECT_TRUE(QFileInfo::exists(app("help.tx_")));
    EXPECT_EQ(readAll(app("docs/doc.txt")), QByteArray("doc text"));
    EXPECT_FALSE(QFileInfo::exists(app("doc.txt")));
    EXPECT_EQ(readAll(app("plain.txt")), QByteArray("not compressed"));
    EXPECT_TRUE(log().contains("upd lzexpand dest. filename help.txt"));
    EXPECT_TRUE(log().contains("upd cab extract parts.cab " + m_dir.path() + "\\plugins\\"));
}

TEST_F(HelperTest, RestartCommandWithBlanksInTheDirectory)
{
    QDir(m_dir.path()).mkpath("My Apps");
    const QString program = app("My Apps/velkorn");
    writeAll(program, "p");
    EXPECT_EQ(splitRestartCommand(program), qMakePair(program, QStringList()));
    EXPECT_EQ(splitRestartCommand(program + " -x \"a b\""), qMakePair(program, QStringList{"-x", "a b"}));
    EXPECT_EQ(splitRestartCommand(app("My Apps/\"velkorn\"") + " -y"), qMakePair(program, QStringList{"-y"}));
    EXPECT_EQ(splitRestartCommand("/no/such/prog arg"), qMakePair(QString("/no/such/prog"), QStringList{"arg"}));
}

TEST(ProcessWaiterTest, WaitsForTheProcessAndNotForAnother)
{
    EXPECT_EQ(helper::waitForProcessEnd(-1, 1s), helper::WaitResult::NotFound);
    EXPECT_EQ(helper::waitForProcessEnd(0, 1s), helper::WaitResult::NotFound);
    EXPECT_EQ(helper::waitForProcessEnd(0x3FFFFFF0, 1s), helper::WaitResult::NotFound);

    QProcess child;
    child.start("sleep", {"0.3"});
    ASSERT_TRUE(child.waitForStarted());
    EXPECT_EQ(helper::waitForProcessEnd(child.processId(), 30s), helper::WaitResult::Ended);
    child.waitForFinished();

    // The fallback by start time: the same answers without a pidfd.
    EXPECT_EQ(helper::waitByStartTime(0x3FFFFFF0, 1s), helper::WaitResult::NotFound);
    QProcess second;
    second.start("sleep", {"0.3"});
    ASSERT_TRUE(second.waitForStarted());
    EXPECT_EQ(helper::waitByStartTime(second.processId(), 30s), helper::WaitResult::Ended);
    second.waitForFinished();

    QProcess longer;
    longer.start("sleep", {"30"});
    ASSERT_TRUE(longer.waitForStarted());
    EXPECT_EQ(helper::waitForProcessEnd(longer.processId(), 100ms), helper::WaitResult::TimedOut);
    EXPECT_EQ(helper::waitByStartTime(longer.processId(), 100ms), helper::WaitResult::TimedOut);
    longer.kill();
    longer.waitForFinished();
}

// The carried copy must be the helper itself, and the helper must do its job as a real process.
TEST(HelperProgramTest, ResourceExpandsToARunningHelper)
{
    QTemporaryDir dir;
    const QString packed = dir.filePath("upd.ex_");
    QFile resource(":/UPD");
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    writeAll(packed, resource.readAll());
    ASSERT_EQ(archive::expandedSzddName(packed), dir.filePath("upd.exe"));
    ASSERT_TRUE(archive::expandSzdd(packed, dir.filePath("upd.exe"), nullptr));
    QFile::setPermissions(dir.filePath("upd.exe"), QFile::permissions(dir.filePath("upd.exe")) | QFile::ExeOwner);

    const QString appDir = dir.filePath("app");
    writeAll(appDir + "/data.txt", "old");
    writeAll(appDir + "/data.txt_NEW", "new");
    writeAll(appDir + "/restart.sh", "#!/bin/sh\necho \"$1\" > restarted.txt\ntouch \"$VELKORN_UPDATE_MARKER\"\n");
    QFile::setPermissions(appDir + "/restart.sh", QFile::permissions(appDir + "/restart.sh") | QFile::ExeOwner);

    QProcess application;
    application.start("sleep", {"0.3"});
    ASSERT_TRUE(application.waitForStarted());
    QProcess helperProcess;
    helperProcess.setWorkingDirectory(appDir);
    helperProcess.start(dir.filePath("upd.exe"),
                        {QString::number(application.processId()), "L", appDir + "/restart.sh again", "data.txt_NEW"});
    ASSERT_TRUE(helperProcess.waitForFinished(30000));
    application.waitForFinished();
    EXPECT_EQ(helperProcess.exitCode(), 0);
    EXPECT_EQ(readAll(appDir + "/data.txt"), QByteArray("new"));
    for (int i = 0; i < 100 && !QFileInfo::exists(appDir + "/restarted.txt"); ++i)
        QThread::msleep(50);
    EXPECT_EQ(readAll(appDir + "/restarted.txt"), QByteArray("again\n"));
    EXPECT_TRUE(QString(readAll(appDir + "/WUPDATE.LOG")).contains("upd restart "));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// A new version that does not come up is replaced by the old one again, which is started knowing why.
TEST_F(HelperTest, ANewVersionThatDoesNotComeUpIsRolledBack)
{
    writeAll(app("velkorn"), "old program");
    writeAll(app("velkorn_NEW"), "new program");
    writeAll(app("added_NEW"), "added");
    m_newVersionComesUp = false;
    EXPECT_EQ(run({"4242", "L", app("velkorn"), "velkorn_NEW", "added_NEW"}), RestartOutcome::RolledBack);
    EXPECT_EQ(readAll(app("velkorn")), "old program");
    EXPECT_FALSE(QFileInfo::exists(app("added")));
    ASSERT_EQ(m_started.size(), 2); // the new version, then the old one
    EXPECT_EQ(m_rolledBackFlags, (QList<QByteArray>{QByteArray(), "1"}));
    EXPECT_TRUE(log().contains("upd new version did not come up, rolling back"));
    EXPECT_TRUE(qgetenv(helper::RolledBackVariable).isEmpty());

    m_newVersionComesUp = true;
    m_started.clear();
    // The download is gone: nothing is replaced and the program is simply started, with nothing to go back to.
    EXPECT_EQ(run({"4242", "L", app("velkorn"), "velkorn_NEW"}), RestartOutcome::Restarted);
    EXPECT_EQ(readAll(app("velkorn")), "old program");
    writeAll(app("velkorn_NEW"), "new program");
    EXPECT_EQ(run({"4242", "L", app("velkorn"), "velkorn_NEW"}), RestartOutcome::Restarted);
    EXPECT_EQ(readAll(app("velkorn")), "new program");
    EXPECT_FALSE(QFileInfo::exists(app(".update-backup"))); // it came up: nothing to go back to
}

// With real programs: a "newer" program that crashes at start, and one that reports that it came up.
TEST(RestartWatchTest, ACrashingNewProgramIsRolledBackAndTheOldOneStarted)
{
    QTemporaryDir dir;
    const QString app = dir.path() + "/";
    const auto script = [&](const QString& name, const QByteArray& body) {
        writeAll(app + name, "#!/bin/sh\n" + body);
        QFile::setPermissions(app + name, QFile::permissions(app + name) | QFile::ExeOwner);
    };
    script("velkorn", "echo \"old ${VELKORN_UPDATE_ROLLED_BACK}\" > '" + app.toUtf8() + "ran'\n");
    script("velkorn_NEW", "exit 3\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(app);
    RestartEnvironment env;
    env.appDir = dir.path();
    env.waitForExit = [](qint64, std::chrono::milliseconds) { return helper::WaitResult::Ended; };
    env.sleep = [](int) {};
    env.startDetached = [](const QString& program, const QStringList& args) {
        return QProcess::startDetached(program, args);
    };
    EXPECT_EQ(runRestartHelper({"4242", "L", app + "velkorn", "velkorn_NEW"}, env), RestartOutcome::RolledBack);
    for (int i = 0; i < 100 && readAll(app + "ran").isEmpty(); ++i)
        QThread::msleep(50);
    EXPECT_EQ(readAll(app + "ran"), "old 1\n");

    // A new version that reports through the marker stays.
    script("velkorn_NEW", "touch \"$VELKORN_UPDATE_MARKER\"\nsleep 5\n");
    EXPECT_EQ(runRestartHelper({"4242", "L", app + "velkorn", "velkorn_NEW"}, env), RestartOutcome::Restarted);
    EXPECT_TRUE(readAll(app + "velkorn").contains("VELKORN_UPDATE_MARKER"));
    EXPECT_FALSE(QFileInfo::exists(app + ".update-backup"));
    QDir::setCurrent(previous);
}
