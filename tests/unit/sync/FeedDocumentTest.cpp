#include "sync/FeedDocument.h"
#include "sync/FeedError.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

using namespace catalogsync;

namespace {

QStringList ids(const FeedDocument& doc)
{
    QStringList out;
    for (const FeedRecord r : doc)
        out << r.field("id");
    return out;
}

} // namespace

TEST(FeedDocument, RecordsStartAtTheFirstItemChild)
{
    const auto doc = FeedDocument::parseBytes("<?xml version=\"1.0\"?>\n<anything>\n  <header><id>0</id></header>\n"
                                              "  <item><id>1</id></item>\n  <item><id>2</id></item>\n"
                                              "  <!-- note -->\n  <item><id>3</id></item>\n</anything>\n");
    ASSERT_TRUE(doc);
    EXPECT_EQ(ids(*doc), QStringList({"1", "2", "3"}));
}

TEST(FeedDocument, NoItemChildMeansNoRecords)
{
    const auto doc = FeedDocument::parseBytes("<feed><row><id>1</id></row></feed>");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->recordCount(), 0);
}

TEST(FeedRecord, FieldsByNameFirstOccurrenceEmptyAndAbsent)
{
    const auto doc = FeedDocument::parseBytes(
        "<f><item><b>x</b><id>7</id><id>8</id><e/><c><![CDATA[a<b]]></c><t>&amp;&#x130;</t></item></f>");
    ASSERT_TRUE(doc);
    const FeedRecord r = *doc->begin();
    EXPECT_EQ(r.field("id"), "7");
    EXPECT_EQ(r.field("e"), "");
    EXPECT_EQ(r.field("missing"), "");
    EXPECT_FALSE(r.hasField("missing"));
    EXPECT_EQ(r.field("c"), "a<b");
    EXPECT_EQ(r.field("t"), QString::fromUtf8("&\xC4\xB0"));
}

TEST(FeedRecord, DeclaredEncodingIsHonoured)
{
    const QByteArray latin5 = "<?xml version=\"1.0\" encoding=\"ISO-8859-9\"?><f><item><n>\xDD\xFE</n></item></f>";
    const auto doc = FeedDocument::parseBytes(latin5);
    ASSERT_TRUE(doc);
    EXPECT_EQ((*doc->begin()).field("n"), QString::fromUtf8("\xC4\xB0\xC5\x9F")); // İş
}

TEST(FeedRecord, FieldWithChildElementsCannotBeRead)
{
    const auto doc = FeedDocument::parseBytes("<f><item><id>1<b>2</b></id><code>ok</code></item></f>");
    ASSERT_TRUE(doc);
    EXPECT_THROW((*doc->begin()).field("id"), FeedError);
    EXPECT_EQ((*doc->begin()).field("code"), "ok");
}

TEST(FeedDocument, BrokenInputIsAbsent)
{
    for (const QByteArray& bad : {QByteArray(), QByteArray("   "),
                                  QByteArray("<html><body><h1>500 Internal Server Error</h1><br></body></html>"),
                                  QByteArray("<?xml version=\"1.0\"?><feed><item><id>1</id></item><item><id>2</i"),
                                  QByteArray("<f><item>a</item></f><second/>"), QByteArray("\xFF\xFE\x00garbage", 10)})
        EXPECT_FALSE(FeedDocument::parseBytes(bad)) << bad.constData();
    EXPECT_FALSE(FeedDocument::parseFile("/nonexistent/item.xml"));
}

// The classic entity bomb: entities are never expanded, so parsing is instant and the field is refused.
TEST(FeedDocument, EntityBombIsNotExpanded)
{
    QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE f [<!ENTITY lol \"lol\">";
    for (int i = 1; i <= 9; ++i)
        bomb += QByteArray("<!ENTITY lol") + QByteArray::number(i) + " \"" + QByteArray("&lol") +
                (i > 1 ? QByteArray::number(i - 1) : QByteArray()) + ";" + QByteArray("&lol") +
                (i > 1 ? QByteArray::number(i - 1) : QByteArray()) + ";" + QByteArray("&lol") +
                (i > 1 ? QByteArray::number(i - 1) : QByteArray()) + ";\">";
    bomb += "]><f><item><id>&lol9;</id><code>x</code></item></f>";
    const auto doc = FeedDocument::parseBytes(bomb);
    if (doc) {
        EXPECT_THROW((*doc->begin()).field("id"), FeedError);
        EXPECT_EQ((*doc->begin()).field("code"), "x");
    }
}

// An external entity must not pull a local file into a value.
TEST(FeedDocument, ExternalEntityIsNotLoaded)
{
    QTemporaryDir dir;
    QFile secret(dir.filePath("secret.txt"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("TOPSECRET");
    secret.close();
    const QByteArray xml = "<?xml version=\"1.0\"?><!DOCTYPE f [<!ENTITY x SYSTEM \"file://" +
                           secret.fileName().toUtf8() + "\">]><f><item><code>&x;</code><id>1</id></item></f>";
    const auto doc = FeedDocument::parseBytes(xml);
    if (doc) {
        QString code;
        try {
            code = (*doc->begin()).field("code");
        } catch (const FeedError&) {
        }
        EXPECT_FALSE(code.contains("TOPSECRET"));
        EXPECT_EQ((*doc->begin()).field("id"), "1");
    }
}

// A 100 MB document: it is read (or refused by the parser's limits), and its giant value is refused.
TEST(FeedDocument, HugeValueIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("item.xml");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<f><item><code>");
    const QByteArray chunk(1 << 20, 'A');
    for (int i = 0; i < 100; ++i)
        f.write(chunk);
    f.write("</code><id>5</id></item></f>");
    f.close();
    const auto doc = FeedDocument::parseFile(path);
    if (doc) {
        EXPECT_THROW((*doc->begin()).field("code"), FeedError);
        EXPECT_EQ((*doc->begin()).field("id"), "5");
    }
}

TEST(FeedDocument, DeepNestingIsRefused)
{
    QByteArray deep = "<f><item><id>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_FALSE(FeedDocument::parseBytes(deep));
}

namespace {

// The resident memory of this process now, in MB.
long residentMb()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) / 1024 : 0;
}

} // namespace

// The feed of a catalog that was never synchronised is large: a document is read record by record and never held
// whole (as a tree these records take some 300 MB), and it stays readable after its file has been removed, as the
// feed files are removed before the records are applied.
TEST(FeedDocument, LongFeedIsReadRecordByRecord)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("item_code.xml");
    const int n = 150000;
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed>\n");
        for (int i = 0; i < n; ++i)
            f.write("<item><item_id>" + QByteArray::number(i / 6) + "</item_id><id>" + QByteArray::number(i) +
                    "</id><code_type_id>3</code_type_id><code>VK.000123.4</code><search_code>vk0001234"
                    "</search_code></item>\n");
        f.write("</feed>\n");
    }
    const long before = residentMb();
    const auto doc = FeedDocument::parseFile(path);
    ASSERT_TRUE(doc);
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(doc->recordCount(), n);
    long peak = residentMb();
    qint64 sum = 0;
    int count = 0;
    for (const FeedRecord r : *doc) {
        sum += r.field("id").toLongLong();
        if (++count % 10000 == 0)
            peak = std::max(peak, residentMb());
    }
    EXPECT_EQ(count, n);
    EXPECT_EQ(sum, qint64(n) * (n - 1) / 2);
    EXPECT_LT(peak - before, 40) << "MB more while walking the records";
}
