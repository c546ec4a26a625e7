#include "i18n/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

IniFile parsed(const QByteArray& bytes)
{
    IniFile ini(QStringLiteral("unused.ini"));
    ini.loadFromBytes(bytes);
    return ini;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(Cp1254, TurkishLettersAndPunctuationUseTheirCodePage)
{
    const QString text = QStringLiteral("ĞİŞğış€„…ü");
    EXPECT_EQ(IniFile::toCp1254(text), QByteArray("\xD0\xDD\xDE\xF0\xFD\xFE\x80\x84\x85\xFC"));
    EXPECT_EQ(IniFile::fromCp1254("\xD0\xDD\xDE\xF0\xFD\xFE\x80\x84\x85\xFC"), text);
}

TEST(Cp1254, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(IniFile::toCp1254(IniFile::fromCp1254(all)), all);
}

TEST(Cp1254, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach)
{
    // Ž is in Windows-1252 but not in 1254; the emoji is one code point in two UTF-16 units.
    EXPECT_EQ(IniFile::toCp1254(QStringLiteral("aŽ\U0001F600b")), QByteArray("a??b"));
}

TEST(IniRead, NamesIgnoreCaseAndValuesAreTrimmedAndUnquoted)
{
    const IniFile ini = parsed("[Main]\r\n"
                               "  Title  =   Hello world   \r\n"
                               "dq=\"quoted  \"\r\n"
                               "sq='single'\r\n"
                               "mixed=\"half'\r\n"
                               "inner=a \"b\" c\r\n"
                               "one=\"\r\n"
                               "empty=\r\n");
    EXPECT_EQ(ini.value("MAIN", "title"), "Hello world");
    EXPECT_EQ(ini.value("main", "DQ"), "quoted  ");
    EXPECT_EQ(ini.value("Main", "sq"), "single");
    EXPECT_EQ(ini.value("Main", "mixed"), "\"half'");
    EXPECT_EQ(ini.value("Main", "inner"), "a \"b\" c");
    EXPECT_EQ(ini.value("Main", "one"), "\"");
    EXPECT_TRUE(ini.contains("Main", "empty"));
    EXPECT_EQ(ini.value("Main", "empty", "default"), "");
    EXPECT_EQ(ini.value("Main", "absent", "default"), "default");
    EXPECT_EQ(ini.value("Other", "title", "default"), "default");
}

TEST(IniRead, TurkishNamesAndValuesAreReadFromWindows1254)
{
    const IniFile ini = parsed("[Dil]\r\nBa\xFEl\xFDk=\xDDstanbul \xC7"
                               "ekici\r\n");
    EXPECT_EQ(ini.value(QStringLiteral("Dil"), QStringLiteral("Başlık")), QStringLiteral("İstanbul Çekici"));
}

TEST(IniRead, ValuesAreCutAt2047Characters)
{
    const QByteArray longValue(100 * 1024, 'x');
    const IniFile ini = parsed("[S]\nlong=" + longValue + "\nafter=1\n");
    EXPECT_EQ(ini.value("S", "long").size(), IniFile::MaxValueLength);
    EXPECT_EQ(ini.value("S", "after"), "1");
}

TEST(IniRead, SectionsAndKeysAreListedInFileOrderOnce)
{
    const IniFile ini = parsed("[Zeta]\nb=1\na=2\nB=3\n[alpha]\nx=1\n[ZETA]\nc=4\n[Empty]\n");
    EXPECT_EQ(ini.sections(), QStringList({"Zeta", "alpha", "Empty"}));
    // A repeated key keeps its first value; a repeated section adds its keys to the first.
    EXPECT_EQ(ini.keys("zeta"), QStringList({"b", "a", "c"}));
    EXPECT_EQ(ini.value("Zeta", "b"), "1");
    EXPECT_EQ(ini.value("Zeta", "c"), "4");
    EXPECT_TRUE(ini.keys("Empty").isEmpty());
    EXPECT_TRUE(ini.keys("Missing").isEmpty());
}

TEST(IniRead, ListsStopWhenTheyNoLongerFitTheBuffer)
{
    QByteArray bytes = "[S]\n";
    for (int i = 0; i < 2000; ++i)
        bytes += QStringLiteral("key%1=v\n").arg(i, 5, 10, QLatin1Char('0')).toLatin1(); // 8-character keys
    const QStringList keys = parsed(bytes).keys("S");
    EXPECT_EQ(keys.size(), (IniFile::ListBufferSize - 1) / 9);
    EXPECT_EQ(keys.first(), "key00000");
}

TEST(IniRead, OddContentIsReadWithoutHarm)
{
    QByteArray bytes;
    bytes += "orphan=before any section\n";
    bytes += "just a line without equals\n";
    bytes += "[Bin]\n";
    bytes += QByteArray("raw=\x00\x01\xFF\x81 end\n", 13);
    bytes += "=no key\n";
    bytes += ";comment=ignored\n";
    bytes += "[Unclosed\n";
    bytes += "k=v\n";
    bytes += "[Utf8]\n";
    bytes += "name=T\xC3\xBCrk\xC3\xA7\x65\n"; // UTF-8 read as Windows-1254 bytes
    const IniFile ini = parsed(bytes);

    EXPECT_EQ(ini.sections(), QStringList({"Bin", "Unclosed", "Utf8"}));
    EXPECT_EQ(ini.keys("Bin"), QStringList({"raw"}));
    EXPECT_EQ(ini.value("Bin", "raw").size(), 8);
    EXPECT_EQ(ini.value("Unclosed", "k"), "v");
    EXPECT_EQ(ini.value("Utf8", "name"), QStringLiteral("TÃ¼rkÃ§e"));
    EXPECT_EQ(ini.value("Bin", ";comment", "none"), "none");
}

TEST(IniRead, AUtf8MarkDoesNotHideTheFirstSection)
{
    const IniFile ini = parsed("\xEF\xBB\xBF[First]\nk=v\n");
    EXPECT_EQ(ini.value("First", "k"), "v");
}

class IniWrite : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("lang.lng"); }
};

TEST_F(IniWrite, CreatesTheFileWithSectionAndEntryInWindows1254)
{
    IniFile ini(path());
    EXPECT_FALSE(ini.load());
    ASSERT_TRUE(ini.write("frmMain", "lblPistonType", QStringLiteral("Piston Tipi Ğ")));
    ASSERT_TRUE(ini.write("frmMain", "Label1", "(kg)"));
    ASSERT_TRUE(ini.write("Other", "k", "v"));
    EXPECT_EQ(readAll(path()),
              QByteArray("[frmMain]\r\nlblPistonType=Piston Tipi \xD0\r\nLabel1=(kg)\r\n[Other]\r\nk=v\r\n"));
}

TEST_F(IniWrite, NewKeysGoToTheEndOfTheirSectionAndExistingOnesChangeInPlace)
{
    writeAll(path(), "[A]\r\nOne=1\r\n\r\n[B]\r\nx=1\r\n; note\r\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.load());
    ASSERT_TRUE(ini.write("a", "two", "2"));
    ASSERT_TRUE(ini.write("A", "ONE", "uno"));
    ASSERT_TRUE(ini.write("b", "y", "2"));
    EXPECT_EQ(readAll(path()), QByteArray("[A]\r\nOne=uno\r\ntwo=2\r\n\r\n[B]\r\nx=1\r\n; note\r\ny=2\r\n"));

    IniFile reread(path());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.keys("A"), QStringList({"One", "two"}));
}

TEST_F(IniWrite, ALineBreakInAValueCannotAddAnEntry)
{
    IniFile ini(path());
    ASSERT_TRUE(ini.write("S", "k", "first\r\nsneaky=1"));
    IniFile reread(path());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.keys("S"), QStringList({"k"}));
}

TEST_F(IniWrite, FailsWhereNoFileCanBeWrittenAndKeepsItsContent)
{
    // Root may write anywhere, but not over a directory nor into a missing one.
    QDir(dir.path()).mkdir("taken.lng");
    for (const QString& target : {dir.filePath("taken.lng"), dir.filePath("missing/lang.lng")}) {
        IniFile ini(target);
        ini.loadFromBytes("[S]\nk=v\n");
        EXPECT_FALSE(ini.write("S", "new", "1")) << target.toStdString();
        EXPECT_FALSE(ini.contains("S", "new"));
        EXPECT_EQ(ini.value("S", "k"), "v");
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
}
