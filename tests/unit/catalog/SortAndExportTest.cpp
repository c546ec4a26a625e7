#include "TestCatalog.h"

#include "catalog/CatalogFacts.h"
#include "catalog/CsvText.h"
#include "catalog/ItemDetails.h"
#include "catalog/ListExport.h"
#include "catalog/NaturalOrder.h"
#include "catalog/TQuery.h"

#include <QDateTime>
#include <QSignalSpy>
#include <gtest/gtest.h>

using catalog::compareNatural;
using catalog::TQuery;

namespace {

QStringList column(const TQuery& query, const QString& field)
{
    QStringList cells;
    for (int row = 0; row < query.recordCount(); ++row)
        cells << query.value(row, query.fieldIndex(field)).toString();
    return cells;
}

} // namespace

TEST(NaturalOrder, ReadsDigitRunsAsNumbersAndIgnoresCase)
{
    EXPECT_LT(compareNatural(u"V1-00018", u"V1-00100"), 0);
    EXPECT_LT(compareNatural(u"A9", u"A10"), 0);
    EXPECT_LT(compareNatural(u"vk 2", u"VK 10"), 0);
    EXPECT_LT(compareNatural(u"V1", u"V1-2"), 0);
    EXPECT_LT(compareNatural(u"1.5", u"1.10"), 0); // each run on its own, not a decimal fraction
    EXPECT_GT(compareNatural(u"B1", u"a2"), 0);
    // Texts equal by value still get one fixed order either way round.
    for (auto [a, b] : {std::pair{u"V1-018", u"V1-0018"}, {u"abc", u"ABC"}}) {
        EXPECT_NE(compareNatural(a, b), 0);
        EXPECT_EQ(compareNatural(a, b), -compareNatural(b, a));
    }
    EXPECT_EQ(compareNatural(u"V1-00018", u"V1-00018"), 0);
    // A run of digits longer than any integer type.
    EXPECT_LT(compareNatural(u"X99999999999999999999998", u"X99999999999999999999999"), 0);
}

TEST(NaturalOrder, CellsPutEmptyFirstAndNumbersByValue)
{
    EXPECT_LT(catalog::compareCells(QVariant(), QVariant(QStringLiteral("A"))), 0);
    EXPECT_EQ(catalog::compareCells(QVariant(), QVariant()), 0);
    EXPECT_LT(catalog::compareCells(9, 10.5), 0);
    EXPECT_GT(catalog::compareCells(100, 20), 0);
    EXPECT_LT(catalog::compareCells(QStringLiteral("9 bar"), QStringLiteral("10 bar")), 0);
}

// Sorting works on the query's own rows, so that the grid, Prev/Next and the row handed to the item view agree.
class RowOrderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalog.addCodeType(1, QStringLiteral("VLK"), QStringLiteral("Velkorn"));
        const QStringList codes = {"V1-00100", "V1-00018", "v1-00020", "V1-00002"};
        for (int id = 1; id <= codes.size(); ++id) {
            catalog.addItem(id, 1);
            catalog.addCode(id, 1, codes.at(id - 1));
        }
        list.setDatabase(catalog.db());
        list.setSql({QStringLiteral("select code, item_id from item_code where code_type_id=1 order by id")});
        list.setAfterScroll([this](TQuery& q) { handedOver << q.field(QStringLiteral("CODE")).toString(); });
    }

    TestCatalog catalog;
    TQuery list;
    QStringList handedOver;
};

TEST_F(RowOrderTest, SortingAnOpenListKeepsItsCurrentRowWithoutHandingItOverAgain)
{
    list.open();
    list.moveTo(2);
    ASSERT_EQ(handedOver, QStringList({"V1-00100", "v1-00020"}));
    QSignalSpy moved(&list, &TQuery::currentRowChanged);
    list.setRowOrder(QStringLiteral("code"));
    EXPECT_EQ(column(list, "CODE"), QStringList({"V1-00002", "V1-00018", "v1-00020", "V1-00100"}));
    EXPECT_EQ(list.field(QStringLiteral("CODE")).toString(), "v1-00020");
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 2);
    EXPECT_EQ(handedOver.size(), 2);
    // Next walks the shown order.
    list.next();
    EXPECT_EQ(handedOver.last(), "V1-00100");
    list.setRowOrder(QStringLiteral("CODE"), Qt::DescendingOrder);
    EXPECT_EQ(column(list, "CODE"), QStringList({"V1-00100", "v1-00020", "V1-00018", "V1-00002"}));
    EXPECT_EQ(list.recNo(), 0);
}

TEST_F(RowOrderTest, ReopenedListHandsOverTheFirstShownRowAndCanGoBackToTheDeliveredOrder)
{
    list.setRowOrder(QStringLiteral("CODE"));
    list.open();
    EXPECT_EQ(handedOver, QStringList({"V1-00002"}));
    EXPECT_EQ(column(list, "CODE").first(), "V1-00002");
    list.setRowOrder(QString());
    list.open();
    EXPECT_EQ(column(list, "CODE"), QStringList({"V1-00100", "V1-00018", "v1-00020", "V1-00002"}));
    // An unknown field leaves the rows as delivered.
    list.setRowOrder(QStringLiteral("NO_SUCH_FIELD"));
    list.open();
    EXPECT_EQ(column(list, "CODE").first(), "V1-00100");
}

TEST(CsvText, QuotesOnlyWhatWouldBreakTheFieldsAndStartsWithAByteOrderMark)
{
    const QByteArray csv =
        catalog::csvDocument({{"Code", "Name"}, {"a,b", "say \"hi\""}, {" x", "two\nlines"}, {"Ölçü", ""}}, ',');
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(QString::fromUtf8(csv.mid(3)), QStringLiteral("Code,Name\r\n"
                                                            "\"a,b\",\"say \"\"hi\"\"\"\r\n"
                                                            "\" x\",\"two\nlines\"\r\n"
                                                            "Ölçü,\r\n"));
    // Either separator is quoted, so that the other one in the first line cannot pass for the separator.
    EXPECT_EQ(catalog::csvDocument({{"a;b", "a,b"}}, ';').mid(3), QByteArray("\"a;b\";\"a,b\"\r\n"));
    // Where the comma is the decimal separator, spreadsheets split fields at semicolons.
    EXPECT_EQ(catalog::csvSeparatorFor(QLocale(QLocale::German)), QChar(';'));
    EXPECT_EQ(catalog::csvSeparatorFor(QLocale(QLocale::Turkish)), QChar(';'));
    EXPECT_EQ(catalog::csvSeparatorFor(QLocale(QLocale::English, QLocale::UnitedStates)), QChar(','));
}

// What the export writes reads back field for field, with the line each record starts on, whichever separator its
// first line holds in a field; files from elsewhere may lack the byte order mark and end lines with LF alone. Faults
// name their line.
TEST(CsvText, ReadsWhatTheExportWritesAndNamesTheLineOfAFault)
{
    const QList<QStringList> rows{
        {"Code, mm", "Name; long"}, {"a;b", "say \"hi\""}, {" x", "two\r\nlines"}, {"Ölçü", ""}};
    for (const QChar separator : {QChar(','), QChar(';')}) {
        const catalog::CsvRead read = catalog::readCsvDocument(catalog::csvDocument(rows, separator));
        EXPECT_EQ(read.errorLine, 0);
        EXPECT_EQ(read.separator, separator);
        QList<QStringList> fields;
        QList<int> lines;
        for (const catalog::CsvRecord& record : read.records) {
            fields << record.fields;
            lines << record.line;
        }
        EXPECT_EQ(fields, rows);
        EXPECT_EQ(lines, QList<int>({1, 2, 3, 5}));
        const catalog::CsvRead column = catalog::readCsvDocument(catalog::csvDocument({{"ID"}, {"1,5"}}, separator));
        ASSERT_EQ(column.records.size(), 2);
        EXPECT_EQ(column.records[1].fields, QStringList({"1,5"}));
    }
    const catalog::CsvRead plain = catalog::readCsvDocument("ID;W\n\n1;2,5\n2;\n");
    ASSERT_EQ(plain.records.size(), 3);
    EXPECT_EQ(plain.records[1].line, 3);
    EXPECT_EQ(plain.records[2].fields, QStringList({"2", ""}));
    // The line of the first record decides the separator; a quote inside a field opens nothing.
    EXPECT_EQ(catalog::readCsvDocument("\r\n\nID;W\n").separator, QChar(';'));
    const catalog::CsvRead inch = catalog::readCsvDocument("W 2\"in,kg\n\"x;y\",1\n");
    EXPECT_EQ(inch.separator, QChar(','));
    ASSERT_EQ(inch.records.size(), 2);
    EXPECT_EQ(inch.records[1].fields, QStringList({"x;y", "1"}));

    struct Fault
    {
        QByteArray bytes;
        int line;
        const char* error;
    };
    for (const Fault& f : {Fault{"a,b\n\"open,c\nd\n", 2, "a quote is not closed"},
                           Fault{"a,b\n\"x\"y,c\n", 2, "text after a closing quote"},
                           Fault{"a,b\nc,d\n\xC3(,e\n", 3, "the text is not UTF-8"}}) {
        const catalog::CsvRead read = catalog::readCsvDocument(f.bytes);
        EXPECT_EQ(read.errorLine, f.line) << f.bytes.constData();
        EXPECT_EQ(read.error, QLatin1String(f.error));
    }
}

// Items 1 and 2 with their own codes; item 2 carries two codes of the OEM type, and the list also holds a row
// whose item has no own code.
TEST(ListExport, WritesEveryShownRowWithItsItemsDataAndTheMatchingCode)
{
    TestCatalog catalog;
    catalog.addCodeType(1, QStringLiteral("VLK"), QStringLiteral("Velkorn"));
    catalog.addCodeType(2, QStringLiteral("OEM"), QStringLiteral("Dorvan"));
    catalog.addItem(1, 3, 0, 0, 2);
    catalog.addItem(2, 5);
    catalog.addItem(3, 1);
    catalog.addCode(1, 1, QStringLiteral("VK-1"));
    catalog.addCode(2, 1, QStringLiteral("VK-2"));
    catalog.addCode(2, 2, QStringLiteral("D 20"));
    catalog.addCode(2, 2, QStringLiteral("D 3"));
    catalog.addCode(3, 2, QStringLiteral("D 9"));
    TQuery list;
    list.setDatabase(catalog.db());
    list.setSql({QStringLiteral("select code, item_id from item_code where code_type_id=2")});
    list.setRowOrder(QStringLiteral("CODE"));
    list.open();

    const auto msg = [](const QString& key) { return QStringLiteral("<%1>").arg(key); };
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const catalog::ExportCaptions captions{"Own", "Style", {"W", "PD", "PMax", "PMin", "Space", "H", "Piston", "Load"}};
    const QList<QStringList> table =
        catalog::listExportTable(list, {{"CODE", "Dorvan"}}, captions, catalog.connectionName(), msg, locale);
    ASSERT_EQ(table.size(), 4);
    EXPECT_EQ(table.at(0),
              QStringList({"Own", "Style", "W", "PD", "PMax", "PMin", "Space", "H", "Piston", "Load", "Dorvan"}));
    const QStringList vk2 = {"VK-2", "<type5>",  "2.50",   "6.00",          "10.00",
                             "0.50", "1,234.50", "300.00", "<pistonType1>", "2500-3000"};
    EXPECT_EQ(table.at(1), vk2 + QStringList{"D 3"});
    EXPECT_EQ(table.at(2), QStringList({"", "", "", "", "", "", "", "", "", "", "D 9"}));
    EXPECT_EQ(table.at(3), vk2 + QStringList{"D 20"});

    list.close();
    EXPECT_EQ(catalog::listExportTable(list, {}, captions, catalog.connectionName(), msg, locale).size(), 1);
}

TEST(CatalogFacts, DateOfTheLastUpdateAndTheCatalogsSize)
{
    TestCatalog catalog;
    catalog.addCodeType(1, QStringLiteral("VLK"), QStringLiteral("Velkorn"));
    catalog.addItem(1, 1);
    catalog.addItem(2, 1);
    catalog.addCode(1, 1, QStringLiteral("VK-1"));
    catalog.addCode(2, 1, QStringLiteral("VK-2"));
    catalog.addCode(2, 1, QStringLiteral("VK-2b"));

    catalog::CatalogFacts facts = catalog::readCatalogFacts(catalog.connectionName());
    EXPECT_FALSE(facts.lastUpdate.isValid());
    EXPECT_EQ(facts.items, 2);
    EXPECT_EQ(facts.codes, 3);

    // The zero date-time stands for "never" as an empty value does.
    catalog.exec(QStringLiteral("insert into params (last_update) values (?)"),
                 {QDateTime(QDate(1899, 12, 30), QTime(0, 0))});
    EXPECT_FALSE(catalog::readCatalogFacts(catalog.connectionName()).lastUpdate.isValid());
    catalog.exec(QStringLiteral("update params set last_update = ?"), {QDateTime(QDate(2026, 3, 29), QTime(2, 30))});
    EXPECT_EQ(catalog::readCatalogFacts(catalog.connectionName()).lastUpdate, QDate(2026, 3, 29));
}
