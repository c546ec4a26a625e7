#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

// The embedded database engine catches SIGTERM itself and then waits for attachments that the main
// thread never closes; the program must instead turn the signal into its ordinary shutdown, also after
// someone else has replaced the handler.
TEST(TerminationSignals, SignalRunsTheCallbackOnTheEventLoop)
{
    int argc = 1;
    char name[] = "platform_test";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    int calls = 0;
    platform::installTerminationHandler([&] {
        ++calls;
        app.quit();
    });

    std::signal(SIGTERM, SIG_IGN); // another library takes the signal over
    platform::reassertTerminationHandler();

    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    QTimer::singleShot(5000, &app, &QCoreApplication::quit); // never hang the suite
    app.exec();
    EXPECT_EQ(calls, 1);
}
