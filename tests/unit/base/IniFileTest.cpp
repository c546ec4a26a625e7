#include "base/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using base::IniFile;

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

} // namespace

TEST(Cp1254, MapsTurkishLettersAndSurvivesARoundTripOfEveryByte)
{
    const QString text = QStringLiteral("ĞİŞğış€„ü");
    EXPECT_EQ(IniFile::toCp1254(text), QByteArray("\xD0\xDD\xDE\xF0\xFD\xFE\x80\x84\xFC"));
    EXPECT_EQ(IniFile::fromCp1254("\xD0\xDD\xDE\xF0\xFD\xFE\x80\x84\xFC"), text);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(IniFile::toCp1254(IniFile::fromCp1254(all)), all);
    // Ž is in Windows-1252 but not 1254; the emoji is one code point in two UTF-16 units.
    EXPECT_EQ(IniFile::toCp1254(QStringLiteral("aŽ\U0001F600b")), QByteArray("a??b"));
}

TEST(IniRead, NamesIgnoreCaseAndValuesAreTrimmedUnquotedAndCut)
{
    const IniFile ini = parsed("[Main]\r\n  Title  =   Hello world   \r\ndq=\"quoted  \"\r\nsq='single'\r\n"
                               "mixed=\"half'\r\none=\"\r\nempty=\r\nlong=" +
                               QByteArray(100 * 1024, 'x') + "\r\n");
    EXPECT_EQ(ini.value("MAIN", "title"), "Hello world");
    EXPECT_EQ(ini.value("main", "DQ"), "quoted  ");
    EXPECT_EQ(ini.value("Main", "sq"), "single");
    EXPECT_EQ(ini.value("Main", "mixed"), "\"half'");
    EXPECT_EQ(ini.value("Main", "one"), "\"");
    EXPECT_EQ(ini.value("Main", "empty", "default"), "");
    EXPECT_EQ(ini.value("Main", "long").size(), IniFile::MaxValueLength);
    EXPECT_EQ(ini.value("Main", "absent", "default"), "default");
    EXPECT_EQ(ini.value("Other", "title", "default"), "default");
}

TEST(IniRead, SectionsAndKeysAreListedInFileOrderOnce)
{
    const IniFile ini = parsed("[Zeta]\nb=1\na=2\nB=3\n[alpha]\nx=1\n[ZETA]\nc=4\n[Empty]\n");
    EXPECT_EQ(ini.sections(), QStringList({"Zeta", "alpha", "Empty"}));
    // A repeated key keeps its first value; a repeated section adds its keys to the first.
    EXPECT_EQ(ini.keys("zeta"), QStringList({"b", "a", "c"}));
    EXPECT_EQ(ini.value("Zeta", "b"), "1");
    EXPECT_TRUE(ini.keys("Missing").isEmpty());

    // Lists end where the names no longer fit 16 KB, each with its terminator.
    QByteArray many = "[S]\n";
    for (int i = 0; i < 2000; ++i)
        many += QByteArray::number(10000000 + i) + "=v\n";
    EXPECT_EQ(parsed(many).keys("S").size(), (IniFile::ListBufferSize - 1) / 9);
}

TEST(IniRead, OddContentIsReadWithoutHarm)
{
    QByteArray bytes = "\xEF\xBB\xBForphan=before any section\njust a line without equals\n[Bin]\n";
    bytes += QByteArray("raw=\x00\x01\xFF\x81 end\n", 13);
    bytes += "=no key\n;comment=ignored\n[Unclosed\nk=v\n[Utf8]\n";
    bytes += "name=T\xC3\xBCrk\xC3\xA7"
             "e\n"; // UTF-8 read as Windows-1254 bytes
    const IniFile ini = parsed(bytes);

    EXPECT_EQ(ini.sections(), QStringList({"Bin", "Unclosed", "Utf8"}));
    EXPECT_EQ(ini.keys("Bin"), QStringList({"raw"}));
    EXPECT_EQ(ini.value("Bin", "raw").size(), 8);
    EXPECT_EQ(ini.value("Unclosed", "k"), "v");
    EXPECT_EQ(ini.value("Utf8", "name"), QStringLiteral("TÃ¼rkÃ§e"));
}

TEST(IniWrite, AppendsToTheSectionChangesInPlaceAndCreatesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lang.lng");
    IniFile ini(path);
    EXPECT_FALSE(ini.load());
    ASSERT_TRUE(ini.write("A", "One", QStringLiteral("Ğ")));
    ASSERT_TRUE(ini.write("B", "x", "1"));
    ASSERT_TRUE(ini.write("a", "two", "2"));
    ASSERT_TRUE(ini.write("A", "ONE", "uno"));
    // A line break in a value must not smuggle in an entry.
    ASSERT_TRUE(ini.write("B", "y", "first\r\nsneaky=1"));
    EXPECT_EQ(readAll(path), QByteArray("[A]\r\nOne=uno\r\ntwo=2\r\n[B]\r\nx=1\r\ny=first  sneaky=1\r\n"));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[A]\r\nOne=\xD0\r\n\r\n[B]\r\n");
    file.close();
    ASSERT_TRUE(ini.load());
    ASSERT_TRUE(ini.write("A", "new", "1"));
    EXPECT_EQ(readAll(path), QByteArray("[A]\r\nOne=\xD0\r\nnew=1\r\n\r\n[B]\r\n"));
}

TEST(IniWrite, FailsWhereNoFileCanBeWrittenAndKeepsItsContent)
{
    // Root may write anywhere, but not over a directory nor into a missing one.
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("taken.lng");
    for (const QString& target : {dir.filePath("taken.lng"), dir.filePath("missing/lang.lng")}) {
        IniFile ini(target);
        ini.loadFromBytes("[S]\nk=v\n");
        EXPECT_FALSE(ini.write("S", "new", "1")) << target.toStdString();
        EXPECT_FALSE(ini.contains("S", "new"));
        EXPECT_EQ(ini.value("S", "k"), "v");
    }
}

// Inputs found by fuzzing the reader (tests/fuzz/iniFuzz.cpp): what a file says must not change by being
// written back.
TEST(IniWrite, WritingBackKeepsWhatTheFileSays)
{
    // Two byte-order marks: the second one hides the section, and must keep hiding it after a save.
    const QByteArray twoMarks = "\xEF\xBB\xBF\xEF\xBB\xBF[a]\nk=v\n";
    const IniFile ini = parsed(twoMarks);
    EXPECT_TRUE(ini.sections().isEmpty());
    EXPECT_EQ(ini.toBytes(), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF[a]\r\nk=v\r\n"));
    EXPECT_TRUE(parsed(ini.toBytes()).sections().isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath("marked.lng");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF[S]\r\nk=v\r\n");
    file.close();
    IniFile marked(path);
    ASSERT_TRUE(marked.load());
    ASSERT_TRUE(marked.write("S", "new", "1"));
    EXPECT_EQ(readAll(path), QByteArray("\xEF\xBB\xBF[S]\r\nk=v\r\nnew=1\r\n"));
}
