#include "TestCatalog.h"

#include "catalog/ItemHistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

using catalog::HistoryEntry;
using catalog::ItemHistory;

namespace {

QVector<int> ids(const ItemHistory& history)
{
    QVector<int> shown;
    for (const HistoryEntry& e : history.entries())
        shown << e.itemId;
    return shown;
}

HistoryEntry item(int id)
{
    return {id, QStringLiteral("VK %1").arg(id), 1};
}

} // namespace

// Newest first, each item once, at most 30. Back and Forward walk the list without reordering it; the next item
// shown goes on top with the one the user was looking at just under it, so Back leads there.
TEST(ItemHistory, NewestFirstLimitedAndBackLeadsToTheItemSeenBefore)
{
    ItemHistory history;
    EXPECT_FALSE(history.back());
    for (int id = 1; id <= 35; ++id)
        history.shown(item(id));
    EXPECT_EQ(history.entries().size(), ItemHistory::Limit);
    EXPECT_EQ(history.entries().first().itemId, 35);
    EXPECT_EQ(history.entries().last().itemId, 6);
    history.shown(item(20));
    EXPECT_EQ(ids(history).mid(0, 3), QVector<int>({20, 35, 34}));
    EXPECT_EQ(ids(history).size(), ItemHistory::Limit);

    EXPECT_FALSE(history.forward());
    EXPECT_EQ(history.back(), 35);
    EXPECT_EQ(history.back(), 34);
    history.shown(item(34)); // the window shows what Back chose: nothing moves
    EXPECT_EQ(ids(history).mid(0, 3), QVector<int>({20, 35, 34}));
    EXPECT_EQ(history.forward(), 35);
    EXPECT_EQ(history.back(), 34);
    history.shown(item(99));
    EXPECT_EQ(ids(history).mid(0, 4), QVector<int>({99, 34, 20, 35}));
    EXPECT_EQ(history.back(), 34);
    EXPECT_EQ(history.back(), 20);
}

// The history outlives the program in its file; a synchronisation's deletions drop out quietly, and the codes
// follow the catalog.
TEST(ItemHistory, KeptAcrossStartsAndDeletedItemsDropOut)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config/velkorn/history");
    {
        ItemHistory history(path);
        history.load();
        for (int id : {1, 2, 3, 4})
            history.shown(item(id));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("4\tVK 4\n3\tVK 3\n"));
    file.close();

    TestCatalog catalog;
    catalog.addCodeType(1, "VLK", "Velkorn");
    for (int id : {1, 2, 4}) {
        catalog.addItem(id, id + 2);
        catalog.addCode(id, 1, QStringLiteral("NEW %1").arg(id));
    }
    ItemHistory restarted(path);
    restarted.load();
    EXPECT_EQ(ids(restarted), QVector<int>({4, 3, 2, 1}));
    EXPECT_EQ(restarted.current(), -1);
    EXPECT_EQ(restarted.back(), 4) << "Back after a start shows the item seen last";
    restarted.refresh(catalog.db());
    EXPECT_EQ(ids(restarted), QVector<int>({4, 2, 1}));
    EXPECT_EQ(restarted.entries().first().code, "NEW 4");
    EXPECT_EQ(restarted.entries().first().style, 6);
    EXPECT_EQ(restarted.current(), 0);

    ItemHistory again(path);
    again.load();
    EXPECT_EQ(ids(again), QVector<int>({4, 2, 1}));
    again.clear();
    ItemHistory cleared(path);
    cleared.load();
    EXPECT_TRUE(cleared.entries().isEmpty());
}

// The test program started again by the test below, as a writer to kill: records items until it is killed.
int recordHistoryUntilKilled(const QString& path)
{
    ItemHistory history(path);
    for (int id = 1;; ++id)
        history.shown(item(id % 1000 + 1));
}

// A program killed (kill -9) while it writes leaves a whole history: the file is written beside and renamed.
TEST(ItemHistory, SurvivesAKillWhileWriting)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("velkorn/history");
    for (int round = 0; round < 5; ++round) {
        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELKORN_HISTORY_WRITER", path);
        writer.setProcessEnvironment(env);
        writer.start(QCoreApplication::applicationFilePath(), {});
        ASSERT_TRUE(writer.waitForStarted());
        while (!QFile::exists(path))
            QThread::msleep(5);
        QThread::msleep(20 + 17 * round);
        ::kill(pid_t(writer.processId()), SIGKILL);
        writer.waitForFinished();

        ItemHistory history(path);
        history.load();
        const QVector<int> shown = ids(history);
        ASSERT_FALSE(shown.isEmpty()) << "round " << round;
        // Consecutive items, newest first, as the writer recorded them.
        for (int i = 1; i < shown.size(); ++i)
            EXPECT_EQ(shown.at(i), shown.at(i - 1) == 1 ? 1000 : shown.at(i - 1) - 1) << "round " << round;
    }
}
