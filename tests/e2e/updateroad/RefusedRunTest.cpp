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
    // Runs the published update unattended until the program shows `message`, and ends the program.
    void runUntilMessage(const QString& message)
    {
        m_installed = fileHash(m_app + "velkorn");
        startProgram(m_catalogHost, "1");
        const bool shown = waitUntil([&] { return output().contains(message); }, 40000);
        // A run that went on would fetch its next file within the wizard's pause between pages: give it the time.
        const int before = requestCount();
        waitUntil([&] { return requestCount() > before; }, 2000);
        ::kill(pid_t(m_program.processId()), SIGTERM);
        if (!m_program.waitForFinished(15000))
            m_program.kill();
        ASSERT_TRUE(shown) << output().toStdString() << serverLog().toStdString();
    }

    int requestCount()
    {
        requests({});
        return serverLog().count("GET ");
    }

    // The installed release is as it was: nothing placed, nothing left of the downloads.
    void expectNothingInstalled()
    {
        EXPECT_EQ(fileHash(m_app + "velkorn"), m_installed);
        EXPECT_EQ(readFile(m_app + "release.txt"), "catalog data 1.0.0\n");
        for (const char* name : {"velkorn_NEW", "release.txt_NEW", "docs"})
            EXPECT_FALSE(QFileInfo::exists(m_app + name)) << name;
        EXPECT_EQ(QDir(m_app).entryList({"WUPD*.tmp"}), QStringList());
        EXPECT_EQ(QDir(m_root.path() + "/tmp").entryList({"*.txt", "WUPD*.tmp"}), QStringList());
    }

    static QString sha256(const QByteArray& bytes) { return testsigning::sha256Hex(bytes); }

    QByteArray m_installed;
};

TEST_F(RefusedRunTest, ARefusedLicenceEndsTheRun)
{
    ASSERT_NO_FATAL_FAILURE(publishUpdate());
    writeFile(m_updateDir + "eula.txt", "You give up every right.\n");
    runUntilMessage("The update file eula.txt was refused: its bytes differ from the published SHA-256. It was "
                    "deleted and nothing was installed.");
    EXPECT_EQ(requests("/eula.txt"), 1);
    for (const char* path : {"/velkorn_NEW", "/release.txt_NEW", "/manual.txt"})
        EXPECT_EQ(requests(path), 0) << path;
    expectNothingInstalled();
}

TEST_F(RefusedRunTest, RefusedReleaseNotesEndTheRun)
{
    ASSERT_NO_FATAL_FAILURE(publishUpdate());
    writeFile(m_updateDir + "whatsnew.txt", "Nothing changed.\n");
    runUntilMessage("The update file whatsnew.txt was refused");
    for (const char* path : {"/eula.txt", "/velkorn_NEW", "/release.txt_NEW", "/manual.txt"})
        EXPECT_EQ(requests(path), 0) << path;
    expectNothingInstalled();
}

// Without appname nothing names the program, yet a lower version of it is still refused, by where it would go.
TEST_F(RefusedRunTest, TheProgramIsNotReplacedByALowerVersionUnderAnySection)
{
    QProcess lower;
    lower.start(NextVersion, {ApplicationCopy::distFile("velkorn"), m_updateDir + "velkorn", "0.0.1.0"});
    ASSERT_TRUE(lower.waitForFinished(30000) && lower.exitCode() == 0);
    ASSERT_NO_FATAL_FAILURE(publishUpdate([this](QString& control) {
        control = "[update]\nunconditional=1\n[application]\nappupdate=1\n[files]\ncount=1\n[file1]\nurl=http://" +
                  m_catalogHost + "/velkorn\ntargetdir={APP}\nsha256=" + sha256(readFile(m_updateDir + "velkorn")) +
                  "\n";
    }));
    runUntilMessage("The update file velkorn was refused: its program version is lower than the running one. It was "
                    "deleted and nothing was installed.");
    expectNothingInstalled();
}

// The program that runs after the downloads is checked before the first file is placed; the one lying in the
// Application directory is not the update's to delete, and the message says that it was not run.
TEST_F(RefusedRunTest, ASwappedRunAfterProgramStopsTheRunBeforeAnythingIsPlaced)
{
    const QString mark = m_root.path() + "/ran";
    writeFile(m_app + "post.sh", "#!/bin/sh\necho swapped > '" + mark.toUtf8() + "'\n");
    ASSERT_NO_FATAL_FAILURE(publishUpdate([&](QString& control) {
        control += "[action]\nrunafter={APP}\\post.sh\nrunaftersha256=" +
                   sha256("#!/bin/sh\necho genuine > '" + mark.toUtf8() + "'\n") + "\n";
    }));
    runUntilMessage("The program post.sh was refused: its bytes differ from the published SHA-256. It was not run and "
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
    const QString planted = m_root.path() + "/app\\prep.sh";
    writeFile(planted, "#!/bin/sh\necho planted >> '" + mark.toUtf8() + "'\n");
    QFile::setPermissions(planted, QFile::permissions(planted) | QFile::ExeOwner);
    ASSERT_NO_FATAL_FAILURE(publishUpdate([&](QString& control) {
        control =
            "[update]\nunconditional=1\n[action]\nrunbefore={APP}\\prep.sh first\nrunbeforesha256=" + sha256(genuine) +
            "\n";
    }));
    runUntilMessage("No files found for update");
    EXPECT_EQ(readFile(mark), "genuine first\n");
}

TEST_F(RefusedRunTest, AValueLongerThanTheReaderTakesRefusesTheControlFile)
{
    ASSERT_NO_FATAL_FAILURE(publishUpdate([](QString& control) {
        control.replace("appcomps=velkorn_NEW ", "appcomps=velkorn_NEW " + QString(2100, 'x') + ' ');
    }));
    runUntilMessage("The update control file velkorn.INF was refused: the value appcomps of section application is "
                    "longer than 2047 characters. It was deleted and nothing was installed.");
    for (const char* path : {"/whatsnew.txt", "/eula.txt", "/velkorn_NEW", "/release.txt_NEW", "/manual.txt"})
        EXPECT_EQ(requests(path), 0) << path;
    expectNothingInstalled();
}

} // namespace
