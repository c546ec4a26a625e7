#include "base/MainThread.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace {

// Runs `body` on a worker thread while the main thread keeps its event loop turning (or not), then joins it.
void onWorker(const std::function<void()>& body, bool serveEvents = true)
{
    std::unique_ptr<QThread> worker(QThread::create(body));
    worker->start();
    while (!worker->wait(5))
        if (serveEvents)
            QCoreApplication::processEvents();
}

} // namespace

TEST(MainThread, RunsOnTheContextThreadAndCarriesExceptionsBack)
{
    QObject context;
    QThread* ranOn = nullptr;
    bool returned = false;
    bool thrown = false;
    onWorker([&] {
        returned = base::runOnMainThreadAndWait(&context, [&] { ranOn = QThread::currentThread(); }, {});
        try {
            base::runOnMainThreadAndWait(&context, [] { throw std::runtime_error("x"); }, {});
        } catch (const std::runtime_error&) {
            thrown = true;
        }
    });
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranOn, QThread::currentThread());
    EXPECT_TRUE(thrown);
    // On the context's own thread the call runs at once.
    bool direct = false;
    EXPECT_TRUE(base::runOnMainThreadAndWait(&context, [&] { direct = true; }, {}));
    EXPECT_TRUE(direct);
}

// A shutdown raises the stop while the main thread is busy waiting for the worker: the worker's wait must end, and
// the queued call must not run later.
TEST(MainThread, StopEndsTheWaitAndDropsTheCall)
{
    QObject context;
    base::StopSource stop;
    std::atomic_bool ran{false};
    bool returned = true;
    onWorker(
        [&] {
            stop.requestStop();
            returned = base::runOnMainThreadAndWait(
                &context, [&] { ran = true; }, stop.token());
        },
        false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(returned);
    EXPECT_FALSE(ran);
}

TEST(MainThread, InterruptedWorkerStopsWaiting)
{
    QObject context;
    bool returned = true;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { returned = base::runOnMainThreadAndWait(&context, [] {}, {}); }));
    worker->start();
    worker->requestInterruption();
    // The main thread serves no events, so only the interruption can end the wait.
    ASSERT_TRUE(worker->wait(10000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(returned);
}

TEST(StopToken, SharedFlagAndThreadInterruption)
{
    base::StopSource source;
    const base::StopSource copy = source;
    const base::StopToken token = source.token();
    EXPECT_FALSE(token.stopRequested());
    copy.requestStop();
    EXPECT_TRUE(source.stopRequested());
    EXPECT_TRUE(token.stopRequested());
    EXPECT_FALSE(base::StopToken().stopRequested());

    bool seen = false;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        while (!base::StopToken().stopRequested())
            QThread::msleep(1);
        seen = true;
    }));
    worker->start();
    worker->requestInterruption();
    ASSERT_TRUE(worker->wait(10000));
    EXPECT_TRUE(seen);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
