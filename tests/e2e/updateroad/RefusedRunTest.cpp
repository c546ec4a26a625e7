// Update runs of the real program that must end at a file the publisher did not vouch for, or at a control file that
// cannot be carried out as written: before anything is placed, with a message that says what happened, and with
// nothing fetched after the refused file.
#include "RoadFixture.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace road;

namespace {

class RefusedRunTest : public UpdateRoadTest
{
protected:
    void SetUp() override
    {
        UpdateRoadTest::SetUp();
        installProgram();
        prepareUpdateFolder();
        m_port = startServer();
        ASSERT_GT(m_port, 0) << m_serverLog.toStdString();
        m_base = QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
        m_installed = testsigning::fileSha256Hex(m_app + "velkorn");
    }

    // Publishes the control file, runs the program until it shows `message`, and ends it.
    void runUntilMessage(const QString& control, const QString& message)
    {
        publishControlFile(control);
        startProgram(m_port);
        const bool shown = waitUntil([&] { return programOutput().contains(message); }, 40000);
        // A run that went on would fetch its next file within the wizard's pause between pages: give it the time.
        const int before = requestCount();
        waitUntil([&] { return requestCount() > before; }, 2000);
        ::kill(pid_t(m_program.processId()), SIGTERM);
        if (!m_program.waitForFinished(15000))
            m_program.kill();
        ASSERT_TRUE(shown) << programOutput().toStdString() << m_serverLog.toStdString();
    }

    // The installed release is as it was: nothing placed, nothing left of the downloads.
    void expectNothingInstalled()
    {
        EXPECT_EQ(testsigning::fileSha256Hex(m_app + "velkorn"), m_installed);
        EXPECT_EQ(readFile(m_app + "release.txt"), "catalog data 1.0.0\n");
        for (const char* name : {"velkorn_NEW", "release.txt_NEW", "docs"})
            EXPECT_FALSE(QFileInfo::exists(m_app + name)) << name;
        EXPECT_EQ(QDir(m_app).entryList({"WUPD*.tmp"}), QStringList());
        EXPECT_EQ(QDir(m_root.path() + "/tmp").entryList({"*.txt", "WUPD*.tmp"}), QStringList());
    }

    static QString sha256(const QByteArray& bytes) { return testsigning::sha256Hex(bytes); }

    int m_port = 0;
    QString m_base;
    QString m_installed;
};

TEST_F(RefusedRunTest, ARefusedLicenceEndsTheRun)
{
    const QString control = standardControlFile(m_port);
    writeFile(m_updateDir + "eula.txt", "You give up every right.\n");
    runUntilMessage(control, "The update file eula.txt was refused: its bytes differ from the published SHA-256. It "
                             "was deleted and nothing was installed.");
    EXPECT_EQ(requests("/eula.txt"), 1);
    for (const char* path : {"/velkorn_NEW", "/release.txt_NEW", "/manual.txt"})
        EXPECT_EQ(requests(path), 0) << path;
    expectNothingInstalled();
}

TEST_F(RefusedRunTest, RefusedReleaseNotesEndTheRun)
{
    const QString control = standardControlFile(m_port);
    writeFile(m_updateDir + "whatsnew.txt", "Nothing changed.\n");
    runUntilMessage(control, "The update file whatsnew.txt was refused");
    for (const char* path : {"/eula.txt", "/velkorn_NEW", "/release.txt_NEW", "/manual.txt"})
        EXPECT_EQ(requests(path), 0) << path;
    expectNothingInstalled();
}

// Without appname nothing names the program, yet a lower version of it is still refused, by where it would go.
TEST_F(RefusedRunTest, TheProgramIsNotReplacedByALowerVersionUnderAnySection)
{
    ASSERT_FALSE(copyOfProgram(m_updateDir + "velkorn", "0.0.1.0").isEmpty());
    runUntilMessage("[update]\nunconditional=1\n[application]\nappupdate=1\n[files]\ncount=1\n[file1]\nurl=" + m_base +
                        "velkorn\ntargetdir={APP}\nsha256=" + sha256(readFile(m_updateDir + "velkorn")) + "\n",
                    "The update file velkorn was refused: its program version is lower than the running one. It "
                    "was deleted and nothing was installed.");
    expectNothingInstalled();
}

// The program that runs after the downloads is checked before the first file is placed; the one lying in the
// Application directory is not the update's to delete, and the message says that it was not run.
TEST_F(RefusedRunTest, ASwappedRunAfterProgramStopsTheRunBeforeAnythingIsPlaced)
{
    const QString mark = m_root.path() + "/ran";
    writeFile(m_app + "post.sh", "#!/bin/sh\necho swapped > '" + mark.toUtf8() + "'\n");
    runUntilMessage(standardControlFile(m_port) + "[action]\nrunafter={APP}\\post.sh\nrunaftersha256=" +
                        sha256("#!/bin/sh\necho genuine > '" + mark.toUtf8() + "'\n") + "\n",
                    "The program post.sh was refused: its bytes differ from the published SHA-256. It was not run and "
                    "nothing was installed.");
    EXPECT_EQ(requests("/velkorn_NEW"), 1);
    expectNothingInstalled();
    EXPECT_TRUE(QFile::exists(m_app + "post.sh"));
    EXPECT_FALSE(QFile::exists(mark));
}

// {APP}\prep.sh is the file prep.sh in the Application directory: that file is checked and that file runs, never a
// file named "app\prep.sh" planted beside the Application directory.
TEST_F(RefusedRunTest, TheProgramThatRunsIsTheFileThatWasChecked)
{
    const QString mark = m_root.path() + "/ran";
    const QByteArray genuine = "#!/bin/sh\necho genuine \"$1\" >> '" + mark.toUtf8() + "'\n";
    writeFile(m_app + "prep.sh", genuine);
    writeFile(m_root.path() + "/app\\prep.sh", "#!/bin/sh\necho planted >> '" + mark.toUtf8() + "'\n");
    QFile::setPermissions(m_root.path() + "/app\\prep.sh", QFile::permissions(m_app + "prep.sh") | QFile::ExeOwner);
    runUntilMessage("[update]\nunconditional=1\n[action]\nrunbefore={APP}\\prep.sh first\nrunbeforesha256=" +
                        sha256(genuine) + "\n",
                    "No files found for update");
    EXPECT_EQ(readFile(mark), "genuine first\n");
}

TEST_F(RefusedRunTest, AValueLongerThanTheReaderTakesRefusesTheControlFile)
{
    QString control = standardControlFile(m_port);
    control.replace("appcomps=velkorn_NEW ", "appcomps=velkorn_NEW " + QString(2100, 'x') + ' ');
    runUntilMessage(control, "The update control file velkorn.INF was refused: the value appcomps of section "
                             "application is longer than 2047 characters. It was deleted and nothing was installed.");
    for (const char* path : {"/whatsnew.txt", "/eula.txt", "/velkorn_NEW", "/release.txt_NEW", "/manual.txt"})
        EXPECT_EQ(requests(path), 0) << path;
    expectNothingInstalled();
}

} // namespace
