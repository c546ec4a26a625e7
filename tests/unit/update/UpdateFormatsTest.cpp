#include "update/UpdateFormats.h"
#include "update/FileVersion.h"
#include "update/StatusTable.h"

#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace update;

namespace {
QString parsed(const QString& text)
{
    const PackedVersion v = ParseVersion(text);
    if (v.high == -1 && v.low == -1)
        return "invalid";
    return QString("%1/%2").arg(v.high).arg(v.low);
}
} // namespace

TEST(ParseVersion, WellFormedTexts)
{
    EXPECT_EQ(parsed("2"), "131072/0");
    EXPECT_EQ(parsed("2.1"), "131073/0");
    EXPECT_EQ(parsed("2.1.3"), "131073/196608");
    EXPECT_EQ(parsed("2.1.3.4"), "131073/196612");
    EXPECT_EQ(parsed("2,1"), "131073/0");
    // With both characters, "," separates and the dots become bad characters of a part.
    EXPECT_EQ(parsed("1.5,2"), "65538/0");
    EXPECT_EQ(versionText(ParseVersion("65535.0.7.9").high, ParseVersion("65535.0.7.9").low), "65535.0.7.9");
    EXPECT_EQ(versionText(-1, -1), "65535.65535.65535.65535");
}

TEST(ParseVersion, MalformedTexts)
{
    EXPECT_EQ(parsed(""), "invalid");
    EXPECT_EQ(parsed("abc"), "invalid");
    // Five parts: the build part "4.5" is not a number.
    const PackedVersion five = ParseVersion("2.1.3.4.5");
    EXPECT_EQ(five.high, 131073);
    EXPECT_EQ(five.low, -1);
    EXPECT_FALSE(five.valid());
    // Only the low 16 bits of a part count.
    EXPECT_EQ(parsed("65536.1"), "1/0");
    // An empty minor part is bad, so the rest is the release part.
    EXPECT_EQ(parsed("1..2"), "65536/131072");
    // A bad major part swallows the rest as the minor part.
    EXPECT_EQ(parsed("a.b.c.d"), "0/0");
    EXPECT_EQ(parsed(" 3.x1"), "196608/0");
    EXPECT_EQ(parsed("99999999999999999999.1"), parsed("99999999999999999999.1")); // no overflow trap
}

TEST(ParseInteger, DecimalHexAndJunk)
{
    EXPECT_EQ(parseInteger("42"), 42);
    EXPECT_EQ(parseInteger(" -5 "), -5);
    EXPECT_EQ(parseInteger("0x1F"), 31);
    EXPECT_EQ(parseInteger("$ff"), 255);
    EXPECT_EQ(parseInteger("0xFFFFFFFF"), -1);
    EXPECT_EQ(parseInteger("-2147483648"), std::numeric_limits<qint32>::min());
    EXPECT_FALSE(parseInteger("2147483648"));
    EXPECT_FALSE(parseInteger("99999999999999999999"));
    EXPECT_FALSE(parseInteger("12abc"));
    EXPECT_FALSE(parseInteger(""));
    EXPECT_FALSE(parseInteger("0x"));
    EXPECT_FALSE(parseInteger("0x123456789"));
}

TEST(ParseDateTime, ByFormatAndSeparators)
{
    auto p = [](const QString& d, const QString& t) { return parseDateTime(d, t, "dd/mm/yyyy", '/', "hh:nn", ':'); };
    EXPECT_EQ(p("05/03/2008", "13:45"), QDateTime(QDate(2008, 3, 5), QTime(13, 45)));
    EXPECT_EQ(p("05/03/2008", "13:45:10"), QDateTime(QDate(2008, 3, 5), QTime(13, 45, 10)));
    EXPECT_EQ(p("05/03/08", ""), QDateTime(QDate(2008, 3, 5), QTime(0, 0)));
    // Unreadable dates count as 1 January 1980; an unreadable time is ignored.
    EXPECT_EQ(p("31/02/2008", ""), defaultStamp());
    EXPECT_EQ(p("99/99/9999", "10:00"), defaultStamp().addSecs(36000));
    EXPECT_EQ(p("2008-03-05", ""), defaultStamp());
    EXPECT_EQ(p("05/03/2008", "25:00"), QDateTime(QDate(2008, 3, 5), QTime(0, 0)));
    EXPECT_EQ(p("", "xx"), defaultStamp());
    // Another order and separator.
    EXPECT_EQ(parseDateTime("2008.03.05", "", "yyyy.mm.dd", '.', "hh:nn", ':'),
              QDateTime(QDate(2008, 3, 5), QTime(0, 0)));
}

TEST(Checksums, ByteSumAndCrcMode)
{
    QTemporaryDir dir;
    const QString empty = dir.filePath("empty"), abc = dir.filePath("abc"), high = dir.filePath("high");
    writeFile(empty, {});
    writeFile(abc, "abc");
    writeFile(high, QByteArray(3, char(0xFF)));
    EXPECT_EQ(byteSumChecksum(empty), -1);
    EXPECT_EQ(byteSumChecksum(abc), 97 + 98 + 99 - 1);
    EXPECT_EQ(byteSumChecksum(high), 3 * 255 - 1); // bytes count as 0..255, not signed
    EXPECT_EQ(byteSumChecksum(dir.filePath("missing")), -1);
    EXPECT_EQ(crcSumChecksum(dir.filePath("missing")), 0);
    EXPECT_EQ(crcSumChecksum(empty), 0);
    // The CRC mode differs from both the byte sum and the standard CRC-32 (0x352441C2 for "abc").
    EXPECT_NE(crcSumChecksum(abc), byteSumChecksum(abc));
    EXPECT_NE(quint32(crcSumChecksum(abc)), 0x352441C2u);
    // The running form gives the same as the file form across block borders.
    ByteSum sum;
    sum.add("ab", 2);
    sum.add("c", 1);
    EXPECT_EQ(sum.value(), byteSumChecksum(abc));
}

TEST(Macros, ExpansionRules)
{
    const MacroLookup lookup = [](const QString& name) -> std::optional<QString> {
        if (name.compare("APP", Qt::CaseInsensitive) == 0)
            return QString("/opt/{APP}dir");
        if (name.compare("TMP", Qt::CaseInsensitive) == 0)
            return QString("/tmp");
        return std::nullopt;
    };
    EXPECT_EQ(expandMacros("{tmp}\\a.txt", lookup), "/tmp\\a.txt");
    EXPECT_EQ(expandMacros("{Tmp}{TMP}", lookup), "/tmp/tmp");
    // A directory that holds a macro name is not expanded again (and does not loop).
    EXPECT_EQ(expandMacros("{APP}\\x", lookup), "/opt/{APP}dir\\x");
    EXPECT_EQ(expandMacros("{NOPE}\\{TMP}", lookup), "{NOPE}\\/tmp");
    EXPECT_EQ(expandMacros("{TMP", lookup), "{TMP");
    EXPECT_EQ(expandMacros("a{{TMP}}b", lookup), "a{/tmp}b");
    EXPECT_EQ(expandMacros("}{", lookup), "}{");

    EXPECT_EQ(macroDirectory("C:\\Windows\\"), "C:\\Windows");
    EXPECT_EQ(macroDirectory("C:\\"), "C:\\.");
    EXPECT_EQ(macroDirectory("/etc/"), "/etc");
    EXPECT_EQ(macroDirectory("/"), "/.");
    EXPECT_EQ(macroDirectory(""), ".");
}

TEST(Names, FileNameFromUrlAndAuthorization)
{
    EXPECT_EQ(fileNameFromUrl("http://h/dir/velkorn.INF"), "velkorn.INF");
    EXPECT_EQ(fileNameFromUrl("http://h/dir\\sub\\a.ex_"), "a.ex_");
    EXPECT_EQ(fileNameFromUrl("http://h/"), "");
    EXPECT_EQ(toLocalPath("{APP}\\dir\\a.txt"), "{APP}/dir/a.txt");
    EXPECT_EQ(basicAuthorization("update", "refreshx"), "Basic dXBkYXRlOnJlZnJlc2h4");
    EXPECT_EQ(basicAuthorization("", ""), "Basic Og==");
}

TEST(StatusTable, TextsAndCodes)
{
    EXPECT_EQ(statusText(916, "401"), "Http status : 401");
    EXPECT_EQ(statusText(925, "ignored"), "Update control file not found");
    EXPECT_EQ(statusEntry(927).statusCode, 11);
    EXPECT_EQ(statusEntry(927).errCode, 4);
    EXPECT_EQ(statusEntry(917).errCode, 1);
    EXPECT_TRUE(statusText(964, "x").isEmpty());
    EXPECT_TRUE(statusText(1234, "x").isEmpty());
}

TEST(FileVersionBlock, ReadFromFiles)
{
    QTemporaryDir dir;
    const QString versioned = dir.filePath("app.exe");
    writeFile(versioned, versionedBytes(0x00020001u, 0x00030004u));
    const PackedVersion v = GetFileVersion(versioned);
    EXPECT_EQ(versionText(v.high, v.low), "2.1.3.4");

    // A signature without the structure version is not a block; neither is a truncated one.
    QByteArray fake = versionedBytes(0x00020001u, 0x00030004u);
    fake[104] = 0;
    fake[106] = 0;
    writeFile(dir.filePath("fake"), fake);
    EXPECT_FALSE(GetFileVersion(dir.filePath("fake")).valid());
    writeFile(dir.filePath("cut"), versionedBytes(1, 1).left(110));
    EXPECT_FALSE(GetFileVersion(dir.filePath("cut")).valid());
    EXPECT_FALSE(GetFileVersion(dir.filePath("missing")).valid());

    // A block across the scanner's 1 MiB chunk border.
    QByteArray big((1 << 20) - 7, 'y');
    big += versionedBytes(0x00050000u, 0).mid(100);
    writeFile(dir.filePath("big"), big);
    EXPECT_EQ(GetFileVersion(dir.filePath("big")).high, 0x00050000);

    // This test program links the version block, so its own file carries the project's version.
    const PackedVersion own = GetFileVersion("/proc/self/exe");
    ASSERT_TRUE(own.valid());
    const PackedVersion expected = ParseVersion(VELKORN_TEST_VERSION);
    EXPECT_EQ(own.high, expected.high);
    EXPECT_EQ(own.low, expected.low);
}
