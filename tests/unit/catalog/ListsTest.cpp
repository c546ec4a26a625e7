#include "TestCatalog.h"

#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using catalog::CatalogBrowser;
using catalog::ListPage;

namespace {

// Items 1..3 of style 1, item 4 of style 2; item 5 has no type-1 code. Code type 2 is an OEM type carried by
// items 1 and 3 (item 3 twice), type 3 a cross-reference type nobody carries.
class ListsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalog.addCodeType(1, QStringLiteral("VLK"), QStringLiteral("Velkorn"));
        catalog.addCodeType(2, QStringLiteral("OEM"), QStringLiteral("Dorvan"));
        catalog.addCodeType(3, QStringLiteral("XR"), QStringLiteral("Brenmoor"));
        catalog.addItem(1, 1, 3, 3);
        catalog.addItem(2, 1, 1, 3);
        catalog.addItem(3, 1, 2, 0);
        catalog.addItem(4, 2, 4, 1);
        catalog.addItem(5, 1, 3, 0);
        for (int id = 1; id <= 4; ++id)
            catalog.addCode(id, 1, QStringLiteral("VK-%1").arg(id));
        catalog.addCode(1, 2, QStringLiteral("81.436-01/6091"));
        catalog.addCode(3, 2, QStringLiteral("A 942 328"));
        catalog.addCode(3, 2, QStringLiteral("A 942 329"));
        catalog.addCode(5, 2, QStringLiteral("ORPHAN 1"));

        QObject::connect(&browser, &CatalogBrowser::itemLoaded,
                         [this](const catalog::ItemDetails& d) { loaded << d.itemId; });
    }

    // Item ids in the list's row order.
    static QList<int> rows(const catalog::TQuery* list)
    {
        QList<int> ids;
        for (int row = 0; row < list->recordCount(); ++row)
            ids << list->value(row, list->fieldIndex(QStringLiteral("ITEM_ID"))).toInt();
        return ids;
    }

    // Statements committed by another connection, as another seat's synchronisation does.
    void commitElsewhere(const QStringList& statements)
    {
        {
            QSqlDatabase writer = catalog::openDatabase(catalog.databasePath(), QStringLiteral("writer"));
            ASSERT_TRUE(writer.transaction());
            QSqlQuery query(writer);
            for (const QString& statement : statements)
                ASSERT_TRUE(query.exec(statement)) << qPrintable(statement);
            ASSERT_TRUE(writer.commit());
        }
        catalog::closeDatabase(QStringLiteral("writer"));
    }

    TestCatalog catalog;
    CatalogBrowser browser{catalog.connectionName(), catalog.appDir(), [](const QString& key) { return key; }};
    QList<int> loaded;
};

} // namespace

TEST_F(ListsTest, CodeTypeMenusTestThePrefixExactlyInKeyOrder)
{
    catalog.addCodeType(7, QStringLiteral("oem"), QStringLiteral("Lower"));
    catalog.addCodeType(5, QStringLiteral("OEM "), QStringLiteral("Padded"));
    catalog.addCodeType(6, QStringLiteral("OEM"), QStringLiteral("Halvard"));

    const auto entries = browser.localDbAfterConnect();
    QStringList names;
    QList<bool> oem;
    for (const auto& e : entries) {
        names << e.name;
        oem << e.oem;
    }
    EXPECT_EQ(names, (QStringList{"codeType2", "codeType3", "codeType5", "codeType6", "codeType7"}));
    EXPECT_EQ(oem, (QList<bool>{true, false, false, true, false}));
    EXPECT_EQ(entries.at(3).caption, QStringLiteral("Halvard"));
    EXPECT_EQ(entries.at(3).hint, QStringLiteral("OEM"));
    EXPECT_EQ(entries.at(3).codeTypeId, 6);
}

TEST_F(ListsTest, OnlyTheMakersCodeTypeGivesEmptyMenus)
{
    catalog.exec(QStringLiteral("delete from item_code_type where code_type_id <> 1"));
    EXPECT_TRUE(browser.localDbAfterConnect().isEmpty());
}

TEST_F(ListsTest, ListsShowItemsByTheirOwnCodeOnly)
{
    browser.btnSTYLE1Click(1);
    QList<int> style = rows(browser.qryStyle);
    std::sort(style.begin(), style.end());
    EXPECT_EQ(style, (QList<int>{1, 2, 3})); // item 5 has no type-1 code

    // Item 1 has both usages 3: listed once.
    browser.btnKullanim1Click(3);
    QList<int> usage = rows(browser.qryKullanim);
    std::sort(usage.begin(), usage.end());
    EXPECT_EQ(usage, (QList<int>{1, 2}));

    browser.buttonClick(2);
    QList<int> oem = rows(browser.qryOEM);
    std::sort(oem.begin(), oem.end());
    EXPECT_EQ(oem, (QList<int>{1, 3, 3}));
    EXPECT_EQ(browser.qryOEM->fieldNames().mid(0, 3), (QStringList{"VELKORNCODE", "CODE2", "ITEM_ID"}));
}

// One hand-over per open and per move; nothing while the list itself is opening.
TEST_F(ListsTest, ListProtocolLoadsOneItemPerHandOver)
{
    int itemOpens = 0;
    QObject::connect(&browser, &CatalogBrowser::itemOpened, [&] { ++itemOpens; });

    browser.btnSTYLE1Click(1);
    const QList<int> order = rows(browser.qryStyle);
    ASSERT_EQ(order.size(), 3);
    EXPECT_EQ(loaded, QList<int>{order.at(0)});
    EXPECT_EQ(itemOpens, 1);
    EXPECT_EQ(browser.currentList(), browser.qryStyle);
    EXPECT_EQ(browser.currentGrid(), ListPage::Style);
    EXPECT_EQ(browser.qryStyle->tag(), 1);
    EXPECT_EQ(browser.qryItem->tag(), 1);

    browser.btnPrevClick(); // fresh list: at its beginning
    EXPECT_EQ(loaded.size(), 1);
    browser.btnNextClick();
    browser.btnNextClick();
    browser.btnNextClick(); // already on the last row
    EXPECT_EQ(loaded, order);
    EXPECT_EQ(browser.itemDetails().itemId, order.at(2));
    browser.btnPrevClick();
    EXPECT_EQ(loaded.last(), order.at(1));
    EXPECT_EQ(itemOpens, 4);

    // Choosing the same style again reopens it and reloads its first item.
    loaded.clear();
    browser.btnSTYLE1Click(1);
    EXPECT_EQ(loaded, QList<int>{order.at(0)});
}

TEST_F(ListsTest, EmptyListKeepsTheItemAndStopsPrevNext)
{
    browser.btnSTYLE1Click(2);
    ASSERT_EQ(loaded, QList<int>{4});
    browser.buttonClick(3);
    EXPECT_EQ(browser.currentList(), browser.qryOEM);
    EXPECT_EQ(browser.currentGrid(), ListPage::OemCross);
    EXPECT_TRUE(browser.qryOEM->isEmpty());
    browser.btnNextClick();
    browser.btnPrevClick();
    EXPECT_EQ(loaded, QList<int>{4});
    EXPECT_EQ(browser.itemDetails().itemId, 4);
    EXPECT_EQ(browser.itemDetails().code, QStringLiteral("VK-4"));
}

TEST_F(ListsTest, FailingListQueryRaisesAndKeepsTheItem)
{
    browser.btnSTYLE1Click(2);
    browser.qryKullanim->setSql({QStringLiteral("select item_id from no_such_table")});
    EXPECT_THROW(browser.btnKullanim1Click(1), catalog::DatabaseError);
    EXPECT_EQ(browser.itemDetails().itemId, 4);
    EXPECT_EQ(browser.currentList(), browser.qryStyle);
}

// A committed synchronisation closes everything; Prev/Next do nothing until a list is chosen again.
TEST_F(ListsTest, CloseAllEmptiesListsAndItem)
{
    browser.btnSTYLE1Click(1);
    int closed = 0;
    QObject::connect(&browser, &CatalogBrowser::allClosed, [&] { ++closed; });
    browser.closeAll();
    EXPECT_EQ(closed, 1);
    for (auto* q : {browser.qryOEM, browser.qryStyle, browser.qrySearch, browser.qryKullanim, browser.qryItem,
                    browser.qryCodes, browser.qryPictures})
        EXPECT_FALSE(q->isActive()) << qPrintable(q->objectName());
    loaded.clear();
    browser.btnNextClick();
    browser.btnPrevClick();
    EXPECT_TRUE(loaded.isEmpty());
    EXPECT_EQ(browser.itemDetails().itemId, 0);
    browser.btnSTYLE1Click(1);
    EXPECT_EQ(loaded.size(), 1);
}

TEST_F(ListsTest, SearchMatchesNormalisedSubstringsWithWildcards)
{
    auto found = [this](const QString& text) {
        EXPECT_TRUE(browser.btnSearchClick(text)) << qPrintable(text);
        QList<int> ids = rows(browser.qrySearch);
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    EXPECT_EQ(found(QStringLiteral("436-01/60")), QList<int>{1});
    EXPECT_EQ(found(QStringLiteral("4360160")), QList<int>{1});
    EXPECT_EQ(found(QStringLiteral(" 4.3,6 0 1 6 ")), QList<int>{1});
    EXPECT_EQ(found(QStringLiteral("436x01")), QList<int>{});
    EXPECT_EQ(found(QStringLiteral("a942")), (QList<int>{3, 3}));
    EXPECT_EQ(found(QStringLiteral("A 942 32_")), (QList<int>{3, 3}));
    EXPECT_EQ(found(QStringLiteral("vk%4")), QList<int>{4});
    EXPECT_EQ(found(QStringLiteral("orphan")), QList<int>{}); // no type-1 code
    EXPECT_EQ(browser.currentGrid(), ListPage::SearchResults);
    EXPECT_EQ(browser.qrySearch->fieldNames().mid(0, 3), (QStringList{"TYPE", "CODE", "ITEM_ID"}));

    found(QStringLiteral("vk-2"));
    EXPECT_EQ(browser.qrySearch->field(QStringLiteral("TYPE")).toString(), QStringLiteral("Velkorn"));
    EXPECT_EQ(browser.itemDetails().itemId, 2);
}

TEST_F(ListsTest, EmptySearchChangesNothing)
{
    browser.btnSTYLE1Click(2);
    loaded.clear();
    EXPECT_FALSE(browser.btnSearchClick(QStringLiteral(" .,-/ ")));
    EXPECT_FALSE(browser.qrySearch->isActive());
    EXPECT_EQ(browser.currentList(), browser.qryStyle);
    EXPECT_EQ(browser.currentGrid(), ListPage::Style);
    EXPECT_TRUE(loaded.isEmpty());
}

// Whatever is typed travels as a bound value: it can neither break nor change the statement.
TEST_F(ListsTest, HostileSearchInputIsOnlyData)
{
    const QStringList inputs = {QStringLiteral("'; delete from item; --"),
                                QStringLiteral("x' or '1'='1"),
                                QStringLiteral("\"VK\""),
                                QStringLiteral("a;b"),
                                QString(10000, QLatin1Char('7')),
                                QString(10000, QLatin1Char('%')),
                                QStringLiteral("\x01\x02\t\r\n"),
                                QString::fromUtf8("ĞÜŞİÖÇğüşıöç")};
    for (const QString& input : inputs) {
        ASSERT_NO_THROW(browser.btnSearchClick(input)) << input.left(40).toStdString();
    }
    // 10,000 '%' still mean "anything": every item with a type-1 code, once per code.
    browser.btnSearchClick(QString(10000, QLatin1Char('%')));
    EXPECT_EQ(browser.qrySearch->recordCount(), 7);

    catalog.addCode(2, 3, QString::fromUtf8("ŞÇ-ĞÜ 1"));
    browser.btnSearchClick(QString::fromUtf8("şç"));
    EXPECT_EQ(browser.qrySearch->recordCount(), 0); // only A-Z are folded
    browser.btnSearchClick(QString::fromUtf8("ŞÇĞ"));
    EXPECT_EQ(rows(browser.qrySearch), QList<int>{2});

    QSqlQuery count(catalog.db());
    ASSERT_TRUE(count.exec(QStringLiteral("select count(*) from item")));
    ASSERT_TRUE(count.next());
    EXPECT_EQ(count.value(0).toInt(), 5);
}

// The synchronisation writes through its own connection; after its commit the window calls closeAll, and the
// next list must see the new rows although browsing had kept one transaction open.
TEST_F(ListsTest, ListsAfterCloseAllSeeRowsCommittedElsewhere)
{
    browser.btnSTYLE1Click(2);
    ASSERT_EQ(rows(browser.qryStyle), QList<int>{4});
    commitElsewhere({QStringLiteral("insert into item (id, type) values (9, 2)"),
                     QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) values "
                                    "(900, 9, 1, 'VK-9', 'vk9')")});

    browser.closeAll();
    browser.btnSTYLE1Click(2);
    QList<int> ids = rows(browser.qryStyle);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (QList<int>{4, 9}));
}

// Another seat's synchronisation: the list is read again and stays at the user's item; when that item is gone, the
// list's row in its place is shown.
TEST_F(ListsTest, ReloadKeepsTheListAtTheUsersItem)
{
    browser.btnSTYLE1Click(1);
    const int at = rows(browser.qryStyle).indexOf(3);
    ASSERT_GE(at, 0);
    browser.qryStyle->moveTo(at);
    ASSERT_EQ(browser.itemDetails().itemId, 3);
    commitElsewhere({QStringLiteral("insert into item (id, type) values (9, 1)"),
                     QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) values "
                                    "(900, 9, 1, 'VK-9', 'vk9')")});
    browser.reloadAll();
    EXPECT_TRUE(rows(browser.qryStyle).contains(9));
    EXPECT_EQ(browser.currentList(), browser.qryStyle);
    EXPECT_EQ(rows(browser.qryStyle).value(browser.qryStyle->recNo()), 3);
    EXPECT_EQ(browser.itemDetails().itemId, 3);

    commitElsewhere(
        {QStringLiteral("delete from item_code where item_id = 3"), QStringLiteral("delete from item where id = 3")});
    const int row = browser.qryStyle->recNo();
    browser.reloadAll();
    EXPECT_FALSE(rows(browser.qryStyle).contains(3));
    EXPECT_EQ(browser.itemDetails().itemId,
              rows(browser.qryStyle).value(std::min(row, browser.qryStyle->recordCount() - 1)));
}

// The window makes its components before start-up connects the database.
TEST(ListsBeforeConnect, BrowserMadeBeforeTheConnectionUsesItOnceOpen)
{
    TestCatalog catalog;
    catalog.addCodeType(1, QStringLiteral("VLK"), QStringLiteral("Velkorn"));
    catalog.addItem(1, 3);
    catalog.addCode(1, 1, QStringLiteral("VK-1"));
    const QString path = catalog.databasePath();
    catalog::closeDatabase(catalog.connectionName());

    CatalogBrowser browser(QStringLiteral("late"), catalog.appDir(), [](const QString& key) { return key; });
    EXPECT_THROW(browser.btnSTYLE1Click(3), catalog::DatabaseError);
    catalog::openDatabase(path, QStringLiteral("late"));
    browser.btnSTYLE1Click(3);
    EXPECT_EQ(browser.itemDetails().code, QStringLiteral("VK-1"));
    catalog::closeDatabase(QStringLiteral("late"));
}
