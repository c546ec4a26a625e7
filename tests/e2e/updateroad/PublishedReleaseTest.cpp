// A release published by the maker's command, not written by hand: the installed program finds it, the restart
// helper installs it, and the program starts again as the new version.
#include "RoadFixture.h"

#include "support/PublishCommand.h"

#include <csignal>

using namespace road;

namespace {

TEST_F(UpdateRoadTest, AReleasePublishedWithVelkornPublishIsInstalled)
{
    installProgram();
    ASSERT_NO_FATAL_FAILURE(prepareUpdateFolder());
    const int port = startServer();
    const Finished published = runPublish({"release", m_updateDir, "--key", VELKORN_TEST_SIGNING_KEY, "--url",
                                           QStringLiteral("http://127.0.0.1:%1/").arg(port)});
    ASSERT_EQ(published.exitCode, 0) << ::testing::PrintToString(published);

    startProgram(m_catalogHost, "1");
    ASSERT_TRUE(m_program.waitForFinished(45000)) << "the program did not end for the update";
    const qint64 restarted = restartedProgram(3);
    ASSERT_NE(restarted, 0) << "the program was not started again\n" << serverLog().toStdString();
    expectNewVersionIn(restarted);
    EXPECT_EQ(readFile(m_app + "manual.txt"), "How to use the catalog.\n");
    ::kill(pid_t(restarted), SIGKILL);
    EXPECT_TRUE(waitUntil([&] { return processesIn(m_app).isEmpty(); }, 10000));
}

} // namespace
