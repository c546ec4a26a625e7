#include "sync/FeedDate.h"
#include "sync/FeedError.h"

#include <QLocale>
#include <QVariant>

#include <gtest/gtest.h>

#include <ctime>
#include <ostream>

using namespace catalogsync;

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Puts the process into a time zone for one test; the C library, and Qt's local time through it, rereads TZ.
class TimeZone
{
public:
    explicit TimeZone(const char* zone) : m_saved(qgetenv("TZ")), m_wasSet(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZone()
    {
        if (m_wasSet)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_saved;
    bool m_wasSet;
};

} // namespace

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
    const QDateTime expected = naiveDateTime(QDate(2008, 5, 12), QTime(14, 30, 5));
    EXPECT_EQ(FeedDateTime("2008-05-12 14:30:05"), expected);
    EXPECT_EQ(FeedDateTime("2008/05/12T14:30:05"), expected);
    EXPECT_EQ(FeedDateTime("2008-05.12 14:30:05"), expected); // our own request text reads back
    EXPECT_EQ(FeedDateTime("2008-05-12 14:30:05.123+02"), expected);
    EXPECT_EQ(FeedDateTime("2008-05-12"), naiveDateTime(QDate(2008, 5, 12), QTime(0, 0)));
    EXPECT_EQ(FeedDateTime("2008-01.01 "), naiveDateTime(QDate(2008, 1, 1), QTime(0, 0)));
}

TEST(FeedDateTime, RoundTripsFeedDateText)
{
    for (const QDateTime& v : {naiveDateTime(QDate(1999, 2, 28), QTime(23, 59, 59)),
                               naiveDateTime(QDate(2024, 2, 29), QTime(0, 0)), zeroDateTime()})
        EXPECT_EQ(FeedDateTime(FeedDateText(v)), v);
}

TEST(FeedDateTime, RefusesDatesThatDoNotExistOrDoNotFit)
{
    for (const char* bad : {"2008-13-45 25:61:00", "2008-02-30 10:00:00", "2008-05-12 24:00:00", "2008-05-12 10:60:00",
                            "", "2008-05", "2008-05-12 14:30", "20x8-05-12 14:30:05", "2008-05-12 14-30-05",
                            "2008-05-12 +4:30:05", "-008-05-12 14:30:05", "2008-05-12 ab:cd:ef"})
        EXPECT_THROW(FeedDateTime(QString::fromLatin1(bad)), FeedError) << bad;
}

// Stored and fed times name no zone. On a machine whose clocks go forward at 02:00 the times of the skipped hour
// were read as invalid (sent as the never-synchronised date, recorded as NULL) and the whole catalog came again;
// the hour that repeats in autumn must not move either.
TEST(FeedDateTime, TimesOfTheClockChangesPassThroughUnchanged)
{
    const TimeZone berlin("Europe/Berlin");
    ASSERT_FALSE(QDateTime(QDate(2011, 3, 27), QTime(2, 15)).isValid()) << "the zone has no spring-forward gap here";

    for (const char* text : {"2011-03.27 02:15:00", "2010-03.28 02:30:00", "2010-10.31 02:30:00"}) {
        const QDateTime value = FeedDateTime(QString::fromLatin1(text));
        EXPECT_TRUE(value.isValid()) << text;
        EXPECT_EQ(FeedDateText(value), text);
    }

    // The SQL driver hands timestamps over in local time; within the gap such a value is invalid yet keeps its parts.
    const QVariant fromDriver = QDateTime(QDate(2010, 3, 28), QTime(2, 30));
    EXPECT_EQ(FeedDateText(naiveDateTime(fromDriver)), "2010-03.28 02:30:00");
    EXPECT_FALSE(naiveDateTime(QVariant(QMetaType(QMetaType::QDateTime))).isValid()); // NULL stays empty
}
