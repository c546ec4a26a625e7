#include "catalog/SearchCode.h"

#include <gtest/gtest.h>

using catalog::normaliseSearchText;

TEST(SearchCode, RemovesSeparatorsAndLowersOnlyAsciiLetters)
{
    EXPECT_EQ(normaliseSearchText(QStringLiteral(" 81.436-01/6091, AbZ ")), QStringLiteral("81436016091abz"));
    EXPECT_EQ(normaliseSearchText(QStringLiteral(" .,-/ ")), QString());
    // Turkish and accented letters, including the dotted capital I, stay as typed.
    EXPECT_EQ(normaliseSearchText(QString::fromUtf8("İIıŞÇÄé")), QString::fromUtf8("İiıŞÇÄé"));
    // Wildcards, quotes and control characters are not separators.
    EXPECT_EQ(normaliseSearchText(QStringLiteral("a_b%c'd;\t")), QStringLiteral("a_b%c'd;\t"));
    EXPECT_EQ(catalog::searchPattern(QStringLiteral("x_")), QStringLiteral("%x_%"));
}

// The parameter may be no longer than the column; longer patterns must still give the rows LIKE would give.
TEST(SearchCode, LongPatternsFitTheParameter)
{
    using catalog::searchParameter;
    EXPECT_EQ(searchParameter(QStringLiteral("%%a%%%b%")).toString(), QStringLiteral("%a%b%"));
    EXPECT_EQ(searchParameter(QString(10000, QLatin1Char('%'))).toString(), QStringLiteral("%"));
    const QVariant impossible = searchParameter(QLatin1Char('%') + QString(65, QLatin1Char('_')) + QLatin1Char('%'));
    EXPECT_TRUE(impossible.isNull());
    const QString longest = QStringLiteral("%x").repeated(64) + QLatin1Char('%');
    EXPECT_EQ(searchParameter(longest).toString(), longest);
    EXPECT_LE(longest.size(), catalog::kSearchParameterLength);
}
