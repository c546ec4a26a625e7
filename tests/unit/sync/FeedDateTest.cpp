#include "sync/FeedDate.h"
#include "sync/FeedError.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace catalogsync;

TEST(FeedDateText, RendersYearMonthDotDayAndTime)
{
    EXPECT_EQ(FeedDateText(QDateTime(QDate(2008, 5, 12), QTime(14, 30, 5))), "2008-05.12 14:30:05");
    EXPECT_EQ(FeedDateText(QDateTime(QDate(2008, 12, 1), QTime(0, 0, 1))), "2008-12.01 00:00:01");
}

// At midnight the rendering has no time part, but keeps the blank.
TEST(FeedDateText, MidnightAndEmptyValues)
{
    EXPECT_EQ(FeedDateText(QDateTime(QDate(2008, 1, 1), QTime(0, 0))), "2008-01.01 ");
    EXPECT_EQ(FeedDateText(QDateTime()), "1899-12.30 ");
    EXPECT_EQ(FeedDateText(zeroDateTime()), "1899-12.30 ");
}

TEST(FeedDateTime, ReadsByPositionWhateverTheSeparators)
{
    const QDateTime expected(QDate(2008, 5, 12), QTime(14, 30, 5));
    EXPECT_EQ(FeedDateTime("2008-05-12 14:30:05"), expected);
    EXPECT_EQ(FeedDateTime("2008/05/12T14:30:05"), expected);
    EXPECT_EQ(FeedDateTime("2008-05.12 14:30:05"), expected); // our own request text reads back
    EXPECT_EQ(FeedDateTime("2008-05-12 14:30:05.123+02"), expected);
    EXPECT_EQ(FeedDateTime("2008-05-12"), QDateTime(QDate(2008, 5, 12), QTime(0, 0)));
    EXPECT_EQ(FeedDateTime("2008-01.01 "), QDateTime(QDate(2008, 1, 1), QTime(0, 0)));
}

TEST(FeedDateTime, RoundTripsFeedDateText)
{
    for (const QDateTime& v :
         {QDateTime(QDate(1999, 2, 28), QTime(23, 59, 59)), QDateTime(QDate(2024, 2, 29), QTime(0, 0)), zeroDateTime()})
        EXPECT_EQ(FeedDateTime(FeedDateText(v)), v);
}

TEST(FeedDateTime, RefusesDatesThatDoNotExistOrDoNotFit)
{
    for (const char* bad : {"2008-13-45 25:61:00", "2008-02-30 10:00:00", "2008-05-12 24:00:00", "2008-05-12 10:60:00",
                            "", "2008-05", "2008-05-12 14:30", "20x8-05-12 14:30:05", "2008-05-12 14-30-05",
                            "2008-05-12 +4:30:05", "-008-05-12 14:30:05", "2008-05-12 ab:cd:ef"})
        EXPECT_THROW(FeedDateTime(QString::fromLatin1(bad)), FeedError) << bad;
}
