#include "sync/FeedValues.h"
#include "sync/FeedError.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace catalogsync;

TEST(FeedNumber, ReadsEitherDecimalSeparatorAndASign)
{
    EXPECT_DOUBLE_EQ(feedNumber("12"), 12.0);
    EXPECT_DOUBLE_EQ(feedNumber("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(feedNumber("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(feedNumber("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(feedNumber("+3"), 3.0);
}

// Whatever the locale says: a German locale must not turn "1.500" into 1500.
TEST(FeedNumber, IgnoresTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(feedNumber("1.500"), 1.5);
    QLocale::setDefault(saved);
}

TEST(FeedNumber, RefusesAnythingElse)
{
    for (const char* bad : {"", " 1", "1 ", "1.2.3", "1,234.5", "1e5", "0x10", "abc", "12a", "-", ".5", "5.", "nan",
                            "inf", "1 000", "--1"})
        EXPECT_THROW(feedNumber(QString::fromLatin1(bad)), FeedError) << bad;
}

TEST(FeedInteger, ReadsDecimalIntegersInRange)
{
    EXPECT_EQ(feedInt32("7"), 7);
    EXPECT_EQ(feedInt32("-2147483648"), -2147483648LL);
    EXPECT_EQ(feedInt16("32767"), 32767);
    for (const char* bad : {"7x", "", "+", "7.0", " 7", "2147483648", "99999999999999999999999"})
        EXPECT_THROW(feedInt32(QString::fromLatin1(bad)), FeedError) << bad;
    EXPECT_THROW(feedInt16("32768"), FeedError);
}

TEST(FeedZeroPrefixed, EmptyIsZeroSignsAreRefused)
{
    EXPECT_EQ(feedZeroPrefixedInt16(""), 0);
    EXPECT_EQ(feedZeroPrefixedInt16("3"), 3);
    EXPECT_EQ(feedZeroPrefixedInt16("007"), 7);
    for (const char* bad : {"-1", "+1", "1.0", "x", " 3", "40000"})
        EXPECT_THROW(feedZeroPrefixedInt16(QString::fromLatin1(bad)), FeedError) << bad;
}

TEST(FeedText, CutsToTheColumnWidth)
{
    EXPECT_EQ(feedText(QString(500, 'A'), 50).size(), 50);
    EXPECT_EQ(feedText("short", 50), "short");
    EXPECT_EQ(feedText("any", 0), "any");
    // A surrogate pair at the cut is not split.
    const QString emoji = QString(49, 'a') + QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(feedText(emoji, 50), QString(49, 'a'));
}

// Only names that leave the images folder are refused; two dots inside a name are an ordinary file name, and a
// refusal would end every run at the same record, so the catalog could never catch up.
TEST(PictureNames, OnlyNamesThatLeaveTheFolderAreRefused)
{
    for (const char* good : {"style1_2.jpg", "with blank.jpg", "v1..final.jpg", "x..jpg", "..jpg", "a..", ".hidden",
                             "ab:c.jpg", "1:x.jpg", "a\nb"})
        EXPECT_TRUE(isPlainFileName(QString::fromLatin1(good))) << good;
    for (const char* bad : {"", ".", "..", "...", ". .", ".. ", "../x.jpg", "a/b.jpg", "a\\b.jpg", "/etc/passwd",
                            "\\\\server\\x.jpg", "C:x.jpg", "c:\\x.jpg", "..\\x", "a/..", "x/"})
        EXPECT_FALSE(isPlainFileName(QString::fromLatin1(bad))) << bad;
    EXPECT_FALSE(isPlainFileName(QStringLiteral("..") + QChar(0) + QStringLiteral("x")));
}
