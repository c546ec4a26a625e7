// Applying parsed feed documents to a real catalog file, without the network: what is written, what
// LAST_UPDATE becomes, and that a bad record leaves the catalog exactly as it was.

#include "support/SyncTestSupport.h"

#include "sync/FeedError.h"
#include "sync/SyncLease.h"
#include "sync/TThread2.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/DatabaseCreator.h"

#include <gtest/gtest.h>

using namespace catalogsync;

namespace {

QByteArray wrap(const QByteArray& records)
{
    return "<?xml version=\"1.0\"?><feed>" + records + "</feed>";
}

QByteArray itemRecord(int id, const QByteArray& time, const QByteArray& extra = {})
{
    return "<item><id>" + QByteArray::number(id) +
           "</id><total_weight>2,5</total_weight><operation_pressure_default>6</operation_pressure_default>"
           "<operation_pressure_max>10</operation_pressure_max><operation_pressure_min>0.5</operation_pressure_min>"
           "<operation_space>250</operation_space><assembly_height>310.5</assembly_height><piston_type>3</piston_type>"
           "<loading_capacity>1000-2000</loading_capacity><type>2</type><vehicle1>3</vehicle1><vehicle2></vehicle2>"
           "<update_time>" +
           time + "</update_time>" + extra + "</item>";
}

FeedDocumentPtr doc(const QByteArray& records)
{
    auto d = FeedDocument::parseBytes(wrap(records));
    EXPECT_TRUE(d);
    return d;
}

class FeedApply : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalog.create({1, 2, 3}, QDateTime(QDate(2008, 5, 12), QTime(14, 30, 5)));
        settings.appDir = catalog.appDir();
        settings.catalogHost = QStringLiteral("127.0.0.1:1"); // nothing listens: no picture records here
    }

    // The whole catalog as text, to compare before and after a failed run.
    QString snapshot() const
    {
        return catalog.column("select id, total_weight, vehicle1 from item order by id") + "|" +
               catalog.column("select id, item_id, code from item_code order by id") + "|" +
               catalog.column("select id, picture_url from item_pictures order by id") + "|" +
               catalog.lastUpdate().toString(Qt::ISODate);
    }

    void expectRolledBack(const FeedDocuments& docs)
    {
        const QString before = snapshot();
        EXPECT_ANY_THROW(TThread2::applyFeed(settings, docs));
        EXPECT_EQ(snapshot(), before);
    }

    TestCatalog catalog;
    SyncSettings settings;
};

} // namespace

TEST_F(FeedApply, ReplacesItemsCodesAndRecordsTheLastTimes)
{
    FeedDocuments docs;
    docs.xmlItem = doc(itemRecord(2, "2009-01-01 10:00:00") + itemRecord(7, "2009-01-01 12:00:00") +
                       itemRecord(8, "2009-01-01 11:00:00"));
    // Item 7, then 8, then 7 again: the second group of 7 replaces the first.
    docs.xmlItemCode = doc("<item><item_id>7</item_id><id>70</id><code_type_id>1</code_type_id><code>A</code>"
                           "<search_code>a</search_code></item>"
                           "<item><item_id>8</item_id><id>80</id><code_type_id>1</code_type_id><code>B</code></item>"
                           "<item><item_id>7</item_id><id>71</id><code_type_id>1</code_type_id><code>" +
                           QByteArray(500, 'C') +
                           "</code></item>"
                           "<item><item_id>2</item_id><id>20</id><code_type_id>1</code_type_id><code>" +
                           QString(60, QChar(0x15E)).toUtf8() + "</code><search_code>\xC3\xA7ift</search_code></item>");
    docs.xmlItemPictures = doc("");
    docs.xmlItemDeleted = doc("<item><id>3</id><delete_time>2009-01-01 09:00:00</delete_time></item>");

    const FeedApplier::Result r = TThread2::applyFeed(settings, docs);
    EXPECT_TRUE(r.recorded);
    EXPECT_EQ(catalog.column("select id from item order by id"), "1,2,7,8");
    // A replaced row keeps nothing of the old one (stud, update time empty); vehicle2 empty reads as 0.
    EXPECT_EQ(catalog.column(
                  "select total_weight, assembly_height, vehicle1, vehicle2, stud, update_time from item where id = 2"),
              "2.5:310.5:3:0:null:null");
    EXPECT_EQ(catalog.column("select id from item_code order by id"), "20,71,80,100");
    EXPECT_EQ(catalog.column("select code from item_code where id = 71"), QString(50, 'C'));
    // Turkish letters arrive intact, and the cut counts characters, not bytes.
    EXPECT_EQ(catalog.column("select code, search_code from item_code where id = 20"),
              QString(50, QChar(0x15E)) + QString::fromUtf8(":\xC3\xA7ift"));
    EXPECT_EQ(catalog.column("select count(*) from item_pictures where item_id = 3"), "0");
    // The last item record (11:00), not the greatest time (12:00); the earlier delete time loses.
    EXPECT_EQ(catalog.lastUpdate(), QDateTime(QDate(2009, 1, 1), QTime(11, 0)));
}

TEST_F(FeedApply, LastUpdateTakesTheLaterOfItemAndDeleteTimes)
{
    struct Case
    {
        QByteArray itemTime, deleteTime;
        QTime expected;
    };
    for (const Case& c : {Case{"2009-02-02 12:00:00", "2009-02-02 13:00:00", QTime(13, 0)},
                          Case{"2009-02-02 12:00:00", "2009-02-02 12:00:00", QTime(12, 0)},
                          Case{"2009-02-02 12:00:00", "2009-02-02 09:00:00", QTime(12, 0)},
                          Case{"", "2009-02-02 08:00:00", QTime(8, 0)}}) {
        FeedDocuments docs;
        if (!c.itemTime.isEmpty()) {
            docs.xmlItem = doc(itemRecord(9, c.itemTime));
            docs.xmlItemCode = doc("");
            docs.xmlItemPictures = doc("");
        }
        docs.xmlItemDeleted = doc("<item><id>99</id><delete_time>" + c.deleteTime + "</delete_time></item>");
        TThread2::applyFeed(settings, docs);
        EXPECT_EQ(catalog.lastUpdate(), QDateTime(QDate(2009, 2, 2), c.expected)) << c.deleteTime.constData();
    }
}

// Without a time on the last item, nothing is kept: codes and pictures are not even looked at.
TEST_F(FeedApply, NothingRecordedKeepsNothing)
{
    const QString before = snapshot();
    FeedDocuments docs;
    docs.xmlItem = doc(itemRecord(1, "2009-01-01 10:00:00") + itemRecord(2, ""));
    docs.xmlItemCode = doc("<item><item_id>x</item_id></item>");
    EXPECT_FALSE(TThread2::applyFeed(settings, docs).recorded);
    EXPECT_EQ(snapshot(), before);

    FeedDocuments none;
    EXPECT_FALSE(TThread2::applyFeed(settings, none).recorded);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(FeedApply, DuplicateItemRecordsReplaceEachOther)
{
    FeedDocuments docs;
    docs.xmlItem = doc(itemRecord(5, "2009-01-01 10:00:00") +
                       itemRecord(5, "2009-01-01 10:00:01").replace("<type>2</type>", "<type>4</type>"));
    docs.xmlItemCode = doc("");
    docs.xmlItemPictures = doc("");
    TThread2::applyFeed(settings, docs);
    EXPECT_EQ(catalog.column("select type from item where id = 5"), "4");
}

// Each bad record ends the run: everything the run did before it is rolled back, LAST_UPDATE keeps its value.
TEST_F(FeedApply, BadRecordsRollBackTheWholeRun)
{
    const QByteArray good = itemRecord(1, "2009-01-01 10:00:00");
    const QByteArray goodCode =
        "<item><item_id>1</item_id><id>500</id><code_type_id>1</code_type_id><code>N</code></item>";
    const QByteArray goodPic = "<item><item_id>1</item_id><id>600</id><pic>ok.jpg</pic></item>";
    struct Case
    {
        const char* name;
        QByteArray items, codes, pictures, deleted;
    };
    const QList<Case> cases{
        {"missing id", good + itemRecord(2, "2009-01-01 11:00:00").replace("<id>2</id>", ""), "", "", ""},
        {"empty weight", good + itemRecord(2, "2009-01-01 11:00:00").replace("<total_weight>2,5</total_weight>", ""),
         "", "", ""},
        {"non-numeric weight",
         good + itemRecord(2, "2009-01-01 11:00:00")
                    .replace("<total_weight>2,5</total_weight>", "<total_weight>1.234,5</total_weight>"),
         "", "", ""},
        {"negative vehicle1",
         good + itemRecord(2, "2009-01-01 11:00:00").replace("<vehicle1>3</vehicle1>", "<vehicle1>-1</vehicle1>"), "",
         "", ""},
        {"field with children",
         good + itemRecord(2, "2009-01-01 11:00:00").replace("<type>2</type>", "<type><b>2</b></type>"), "", "", ""},
        {"impossible date", itemRecord(1, "2008-13-45 25:61:00"), "", "", ""},
        {"item_id 7x", good, goodCode + "<item><item_id>7x</item_id><id>501</id><code>Z</code></item>", goodPic, ""},
        {"duplicate code ids", good, goodCode + goodCode, goodPic, ""},
        {"codes missing", good, QByteArray(), goodPic, ""},
        {"picture with directory", good, goodCode,
         goodPic + "<item><item_id>1</item_id><id>601</id><pic>../../evil.jpg</pic></item>", ""},
        {"picture with drive", good, goodCode, "<item><item_id>1</item_id><id>601</id><pic>C:evil.jpg</pic></item>",
         ""},
        {"absolute picture", good, goodCode, "<item><item_id>1</item_id><id>601</id><pic>/tmp/evil.jpg</pic></item>",
         ""},
        {"deletion id with SQL", "", "", "",
         "<item><id>1</id><delete_time>2009-01-01 10:00:00</delete_time></item>"
         "<item><id>1 or 1=1</id><delete_time>2009-01-01 10:00:01</delete_time></item>"},
        {"deletion id empty", "", "", "", "<item><id></id><delete_time>2009-01-01 10:00:00</delete_time></item>"},
        {"bad delete time", "", "", "", "<item><id>1</id><delete_time>yesterday</delete_time></item>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FeedDocuments docs;
        if (!c.items.isEmpty())
            docs.xmlItem = doc(c.items);
        if (!c.codes.isNull())
            docs.xmlItemCode = doc(c.codes);
        if (!c.pictures.isNull())
            docs.xmlItemPictures = doc(c.pictures);
        if (!c.deleted.isEmpty())
            docs.xmlItemDeleted = doc(c.deleted);
        expectRolledBack(docs);
    }
    EXPECT_FALSE(QFile::exists(catalog.appDir() + "../evil.jpg"));
}

// One seat applies a feed at a time, and only a feed asked for at the catalog's present LAST_UPDATE. A catalog from
// before there were several seats gets the lease's table; one that cannot be written says so instead of failing.
TEST_F(FeedApply, OnlyTheLeaseHolderAppliesAFeedThatStillFits)
{
    FeedDocuments docs;
    docs.xmlItemDeleted = doc("<item><id>3</id><delete_time>2009-01-01 10:00:00</delete_time></item>");
    QString before = snapshot();
    const auto skipped = [&](bool cannotWrite) {
        try {
            TThread2::applyFeed(settings, docs);
        } catch (const SyncSkipped& e) {
            EXPECT_EQ(e.cannotWrite, cannotWrite) << e.what();
            return snapshot() == before;
        }
        return false;
    };
    {
        const SyncLease otherSeat(catalog::openDatabase(catalog.file(), "other-seat"));
        ASSERT_TRUE(otherSeat.held()) << qPrintable(otherSeat.refusal());
        EXPECT_TRUE(skipped(false));
    }
    catalog::closeDatabase("other-seat");
    docs.askedFrom = QDateTime(QDate(2008, 1, 1), QTime(0, 0)); // another seat has synchronised since
    EXPECT_TRUE(skipped(false));

    catalog.exec({"drop table sync_lease"});
    docs.askedFrom = catalog.lastUpdate();
    EXPECT_TRUE(TThread2::applyFeed(settings, docs).recorded);
    EXPECT_EQ(catalog.column("select count(*) from rdb$relations where rdb$relation_name = 'SYNC_LEASE'"), "1");

    catalog.exec({"drop table sync_lease"});
    catalog::closeDatabase(catalog.connection);
    catalog.connection.clear();
    catalog::setReadOnly(catalog.file(), true);
    docs.askedFrom = {};
    before = snapshot();
    EXPECT_TRUE(skipped(true));
}
