#include <QCoreApplication>
#include <gtest/gtest.h>

int recordHistoryUntilKilled(const QString& path);

int main(int argc, char** argv)
{
    // Image plug-ins and the SQL driver are found through the application object.
    QCoreApplication app(argc, argv);
    // ItemHistoryTest starts this program again as a writer that it kills.
    if (qEnvironmentVariableIsSet("VELKORN_HISTORY_WRITER"))
        return recordHistoryUntilKilled(qEnvironmentVariable("VELKORN_HISTORY_WRITER"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
