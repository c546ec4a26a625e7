#include "app/Anchors.h"
#include "app/BackgroundJobs.h"
#include "app/ProfileScrollRule.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <gtest/gtest.h>

using app::Anchors;
using app::BackgroundJobs;

// Anchoring decides where the header pieces, slogans and page buttons end up when the window is resized.
TEST(Anchors, PlacesChildrenByTheEdgesTheyHold)
{
    const QSize design(915, 519);
    const QSize bigger(1200, 700);
    const QRect button(873, 2, 24, 24);
    EXPECT_EQ(Anchors::place(button, Anchors::TopRight, design, bigger), QRect(873 + 285, 2, 24, 24));
    EXPECT_EQ(Anchors::place(button, Anchors::TopLeft, design, bigger), button);
    EXPECT_EQ(Anchors::place(QRect(8, 8, 882, 506), Anchors::All, design, bigger), QRect(8, 8, 882 + 285, 506 + 181));
    const QRect logo(112, 87, 690, 344);
    EXPECT_EQ(Anchors::place(logo, Anchors::CenterH | Anchors::CenterV, design, bigger),
              QRect((1200 - 690) / 2, (700 - 344) / 2, 690, 344));
    // Shrinking below the design never gives a negative size.
    EXPECT_EQ(Anchors::place(QRect(0, 0, 100, 10), Anchors::Left | Anchors::Right, design, QSize(700, 519)).width(), 0);
}

TEST(ProfileScrollRule, AppearsWhenNeededAndThenStays)
{
    app::ProfileScrollState state;
    state = app::applyProfileScrollRule(state, 1200, 1090);
    EXPECT_FALSE(state.visible);
    state = app::applyProfileScrollRule(state, 519, 1090);
    EXPECT_TRUE(state.visible);
    EXPECT_EQ(state.maximum, 1090 - 519);
    state = app::applyProfileScrollRule(state, 2000, 1090);
    EXPECT_TRUE(state.visible);
    EXPECT_EQ(state.maximum, 1090 - 519);
    // At the maximum the picture's bottom lies 8 pixels below the page's bottom edge.
    EXPECT_EQ(app::profilePictureTop(state.maximum) + 1090, 519 + 8);
}

namespace {
// Works until asked to stop; on its way out it calls into the main thread and waits, as the synchronisation's
// information box does.
class BlockingWorker : public QThread
{
public:
    std::atomic_bool reachedMainThread{false};

protected:
    void run() override
    {
        while (!isInterruptionRequested())
            msleep(5);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [this] { reachedMainThread = true; }, Qt::BlockingQueuedConnection);
    }
};
} // namespace

TEST(BackgroundJobs, StopAllStopsAndAwaitsThreadsThatWaitForTheMainThread)
{
    BackgroundJobs jobs;
    BlockingWorker worker;
    jobs.add(&worker);
    worker.start();
    QThread::msleep(20);
    EXPECT_EQ(jobs.runningCount(), 1);
    jobs.stopAll();
    EXPECT_TRUE(worker.isFinished());
    EXPECT_TRUE(worker.reachedMainThread);
    EXPECT_TRUE(jobs.stopping());
    EXPECT_EQ(jobs.runningCount(), 0);
}
