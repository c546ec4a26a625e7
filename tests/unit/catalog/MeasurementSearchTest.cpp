#include "DemoCatalog.h"
#include "TestCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/ItemSheet.h"
#include "catalog/MeasurementSearch.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using catalog::Closeness;
using catalog::ItemMeasures;
using catalog::Measure;
using catalog::MeasurementSearch;
using catalog::MeasureQuery;

namespace {

ItemMeasures spring(int id, const QString& code, int style, double stroke, double height)
{
    ItemMeasures item;
    item.itemId = id;
    item.code = code;
    item.style = style;
    item.pistonType = 1;
    item.values[int(Measure::OperationSpace)] = stroke;
    item.values[int(Measure::AssemblyHeight)] = height;
    return item;
}

QStringList codes(const QVector<catalog::MeasureHit>& hits)
{
    QStringList result;
    for (const auto& hit : hits)
        result << hit.code;
    return result;
}

} // namespace

// The boundaries the page colours by: exactly at the tolerance is green, exactly at twice amber, beyond left out.
TEST(MeasurementSearch, ToleranceBandsAndRanking)
{
    MeasurementSearch search({spring(1, "A", 1, 200, 300), spring(2, "B", 1, 203, 300), spring(3, "C", 1, 206, 300),
                              spring(4, "D", 1, 206.5, 300), spring(5, "E", 1, 199, 300)});
    MeasureQuery query;
    query.set(Measure::OperationSpace, 200);
    const auto hits = search.find(query);
    EXPECT_EQ(codes(hits), QStringList({"A", "E", "B", "C"}));
    ASSERT_EQ(hits.size(), 4);
    EXPECT_EQ(hits[1].matches.at(0).difference, -1);
    EXPECT_EQ(hits[2].matches.at(0).closeness, Closeness::Within);
    EXPECT_EQ(hits[3].matches.at(0).closeness, Closeness::Near);
    EXPECT_EQ(hits[3].matches.at(0).itemValue, 206);

    // A wider tolerance takes the far one in; the order stays by closeness.
    query.setTolerance(Measure::OperationSpace, {4, false});
    EXPECT_EQ(codes(search.find(query)), QStringList({"A", "E", "B", "C", "D"}));
}

// Two measures: the item must be near in both, and the closer one overall ranks first; equal distances go by code.
TEST(MeasurementSearch, SeveralMeasuresFiltersAndTies)
{
    ItemMeasures noHeight = spring(9, "N", 1, 200, 0);
    noHeight.values[int(Measure::AssemblyHeight)].reset();
    MeasurementSearch search({spring(1, "Z", 1, 202, 300), spring(2, "Y", 1, 200, 302), spring(3, "X", 1, 200, 310),
                              spring(4, "W", 2, 200, 300), noHeight});
    MeasureQuery query;
    query.set(Measure::OperationSpace, 200);
    query.set(Measure::AssemblyHeight, 300);
    EXPECT_EQ(codes(search.find(query)), QStringList({"W", "Y", "Z"})); // X too tall; N lacks a height

    query.style = 1;
    EXPECT_EQ(codes(search.find(query)), QStringList({"Y", "Z"}));
    query.pistonType = 2;
    EXPECT_TRUE(search.find(query).isEmpty());

    // Style alone lists every item of the style, all equally close.
    MeasureQuery styleOnly;
    styleOnly.style = 1;
    EXPECT_EQ(codes(search.find(styleOnly)), QStringList({"N", "X", "Y", "Z"}));
    EXPECT_TRUE(search.find(MeasureQuery()).isEmpty());
}

// Counts are exact by default; the capacity is compared in percent and a range fits anything inside it.
TEST(MeasurementSearch, CountsAndCapacityRanges)
{
    ItemMeasures two = spring(1, "TWO", 1, 200, 300);
    two.values[int(Measure::StudCount)] = 2;
    two.values[int(Measure::LoadingCapacity)] = 3000;
    two.capacityHigh = 4000;
    ItemMeasures four = spring(2, "FOUR", 1, 200, 300);
    four.values[int(Measure::StudCount)] = 4;
    four.values[int(Measure::LoadingCapacity)] = 3700;
    four.capacityHigh = 3700;
    MeasurementSearch search({two, four});

    MeasureQuery studs;
    studs.set(Measure::StudCount, 2);
    EXPECT_EQ(codes(search.find(studs)), QStringList({"TWO"}));

    MeasureQuery capacity;
    capacity.set(Measure::LoadingCapacity, 3500); // ±175 kg: the range fits, 3700 is amber
    const auto hits = search.find(capacity);
    ASSERT_EQ(codes(hits), QStringList({"TWO", "FOUR"}));
    EXPECT_EQ(hits[0].matches.at(0).difference, 0);
    EXPECT_EQ(hits[1].matches.at(0).closeness, Closeness::Near);
    capacity.set(Measure::LoadingCapacity, 4300); // 300 kg above the range: beyond ±215 kg, within twice
    EXPECT_EQ(search.find(capacity).value(0).matches.value(0).itemValue, 4000);

    // A range entered as the catalog prints it fits every range it overlaps; outside, its nearer end counts.
    capacity.setCapacityRange(3900, 4100);
    const auto overlapping = search.find(capacity);
    ASSERT_EQ(codes(overlapping), QStringList({"TWO", "FOUR"}));
    EXPECT_EQ(overlapping[0].matches.at(0).difference, 0);
    EXPECT_EQ(overlapping[1].matches.at(0).difference, -200);
    EXPECT_EQ(overlapping[1].matches.at(0).closeness, Closeness::Near); // ±195 kg of 3900
    capacity.setCapacityRange(4500, 5000);
    EXPECT_TRUE(search.find(capacity).isEmpty());
}

TEST(MeasurementSearch, CapacityTextAsTheCatalogWritesIt)
{
    double low = 0;
    double high = 0;
    ASSERT_TRUE(catalog::parseCapacity("3200-4000", &low, &high));
    EXPECT_EQ(low, 3200);
    EXPECT_EQ(high, 4000);
    ASSERT_TRUE(catalog::parseCapacity("3.200 kg", &low, &high));
    EXPECT_EQ(low, 3200);
    EXPECT_EQ(high, 3200);
    ASSERT_TRUE(catalog::parseCapacity("2,5", &low, &high));
    EXPECT_EQ(low, 2.5);
    EXPECT_FALSE(catalog::parseCapacity("-", &low, &high));
    EXPECT_FALSE(catalog::parseCapacity("", &low, &high));
}

// Reads the measures and the sheet from a real catalog: nulls stay missing, items without an own code drop out,
// codes are grouped with OEM types first.
TEST(MeasurementSearch, LoadsFromTheCatalogAndSheetGroupsCodes)
{
    TestCatalog cat;
    cat.addCodeType(1, "VLK", "Velkorn");
    cat.addCodeType(2, "SLV", "Sulvane");
    cat.addCodeType(3, "OEM", "Dorvan Trucks");
    cat.addItem(1, 1, 3, 1);
    cat.addItem(2, 1);
    cat.exec("update item set operation_space=250, assembly_height=null, loading_capacity='2800-3400', stud=2 "
             "where id=1");
    cat.addCode(1, 1, "VK 00001 A");
    cat.addCode(1, 2, "S 12-Ü");
    cat.addCode(1, 3, "81.43601-6070");
    cat.addCode(1, 3, "81.43601-6011");
    cat.exec("insert into params (last_update) values (?)", {QDateTime(QDate(2024, 6, 1), QTime(12, 0))});

    const MeasurementSearch search = MeasurementSearch::load(cat.db());
    EXPECT_EQ(search.size(), 1);
    MeasureQuery query;
    query.set(Measure::OperationSpace, 251);
    query.set(Measure::LoadingCapacity, 3000);
    query.set(Measure::StudCount, 2);
    EXPECT_EQ(codes(search.find(query)), QStringList({"VK 00001 A"}));
    query.set(Measure::AssemblyHeight, 300);
    EXPECT_TRUE(search.find(query).isEmpty());

    catalog::ItemSheet sheet;
    ASSERT_TRUE(catalog::loadItemSheet(cat.db(), 1, &sheet));
    EXPECT_FALSE(catalog::loadItemSheet(cat.db(), 2, &sheet));
    ASSERT_EQ(sheet.groups.size(), 2);
    EXPECT_EQ(sheet.groups[0].typeName, "Dorvan Trucks");
    EXPECT_EQ(sheet.groups[0].codes, QStringList({"81.43601-6011", "81.43601-6070"}));
    EXPECT_EQ(sheet.groups[1].codes, QStringList({"S 12-Ü"}));
    EXPECT_EQ(sheet.vehicle1, 3);
    EXPECT_EQ(sheet.catalogDate.date(), QDate(2024, 6, 1));

    EXPECT_EQ(catalog::itemIdForCode(cat.db(), "vk00001a"), 1);
    EXPECT_EQ(catalog::itemIdForCode(cat.db(), "81 43601 6011"), 1);
    EXPECT_EQ(catalog::itemIdForCode(cat.db(), "nothing"), 0);
    // A code two items carry names both; an item's own code names it alone.
    cat.addCode(2, 3, "81.43601-6011");
    cat.addCode(2, 2, "VK-00001-A");
    EXPECT_EQ(catalog::itemIdsForCode(cat.db(), "81 43601 6011"), QVector<int>({1, 2}));
    EXPECT_EQ(catalog::itemIdForCode(cat.db(), "81 43601 6011"), 0);
    EXPECT_EQ(catalog::itemIdsForCode(cat.db(), "VK 00001 A"), QVector<int>({1}));
}

// What a mechanic types into the form's boxes: either decimal sign, the box's unit, a capacity range as the
// catalog prints it; anything else is named for the line under the form.
TEST(MeasurementSearch, EnteredNumbersInEitherNotationAndWhatIsWrongWithTheRest)
{
    using catalog::EntryProblem;
    using catalog::readEntry;
    const catalog::EntryRule length = catalog::valueRule(Measure::OperationSpace);
    const catalog::EntryRule capacity = catalog::valueRule(Measure::LoadingCapacity);
    const catalog::EntryRule count = catalog::valueRule(Measure::StudCount);
    const catalog::EntryRule tolerance = catalog::toleranceRule(Measure::AssemblyHeight);
    EXPECT_EQ(readEntry(" 157,5 ", length).value, 157.5);
    EXPECT_EQ(readEntry("89 MM", length).value, 89);
    EXPECT_EQ(readEntry("3.200", capacity).value, 3200); // a capacity in kg with a thousands point
    const catalog::Entry percent = readEntry("5 %", tolerance);
    EXPECT_EQ(percent.value, 5);
    EXPECT_TRUE(percent.percent);
    const catalog::Entry blank = readEntry("  ", length);
    EXPECT_EQ(blank.problem, EntryProblem::None);
    EXPECT_FALSE(blank.value.has_value());
    const catalog::Entry range = readEntry(QString::fromUtf8("2300 – 2700 kg"), capacity);
    EXPECT_EQ(range.problem, EntryProblem::None);
    EXPECT_EQ(range.value, 2300);
    EXPECT_EQ(range.high, 2700);

    const QList<std::tuple<const char*, catalog::EntryRule, EntryProblem>> wrong = {
        {"abc", length, EntryProblem::NotANumber},
        {"1.2.3", length, EntryProblem::NotANumber},
        {"x", tolerance, EntryProblem::NotANumber},
        {"2 studs", count, EntryProblem::NotANumber},
        {"-3", length, EntryProblem::Negative},
        {"12 cm", length, EntryProblem::WrongUnit},
        {"5 %", length, EntryProblem::WrongUnit},
        {"2,5", count, EntryProblem::NotWhole},
        {"3200-2800", length, EntryProblem::RangeNotAllowed},
        {"3200-2800", capacity, EntryProblem::ReversedRange},
    };
    for (const auto& [text, rule, problem] : wrong) {
        const catalog::Entry entry = readEntry(text, rule);
        EXPECT_EQ(entry.problem, problem) << text;
        EXPECT_FALSE(entry.value.has_value()) << text;
    }
}

// The demo catalog is what dealers try the page on: a worn spring measured a few millimetres off still finds its
// item, and the sizes hang together (the spring is taller than its stroke, studs have a spacing).
TEST(MeasurementSearch, DemoCatalogAnswersRealLookingMeasurements)
{
    QTemporaryDir dir;
    catalog::DemoCatalogOptions options;
    options.items = 120;
    options.seed = 5;
    options.forcedWrites = false;
    options.filePath = dir.filePath(QStringLiteral("demo.gdb"));
    catalog::generateDemoCatalog(options);
    QSqlDatabase db = catalog::openDatabase(options.filePath, QStringLiteral("measure-demo"));
    {
        const MeasurementSearch search = MeasurementSearch::load(db);
        ASSERT_EQ(search.size(), 120);
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec("select count(*) from item where assembly_height <= operation_space or "
                               "(stud >= 2 and diameter_between_studs is null) or operation_space is null"));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 0);
        ASSERT_TRUE(query.exec("select count(distinct operation_space), count(distinct stud) from item"));
        ASSERT_TRUE(query.next());
        EXPECT_GT(query.value(0).toInt(), 40);
        EXPECT_GE(query.value(1).toInt(), 3);

        ASSERT_TRUE(query.exec("select c.code, i.operation_space, i.assembly_height, i.type from item i join "
                               "item_code c on c.item_id = i.id and c.code_type_id = 1 where i.id = 17"));
        ASSERT_TRUE(query.next());
        MeasureQuery worn;
        worn.set(Measure::OperationSpace, query.value(1).toDouble() - 2);
        worn.set(Measure::AssemblyHeight, query.value(2).toDouble() + 4); // amber
        const auto hits = search.find(worn);
        ASSERT_FALSE(hits.isEmpty());
        EXPECT_TRUE(codes(hits).contains(query.value(0).toString()));
        worn.style = query.value(3).toInt();
        EXPECT_LE(search.find(worn).size(), hits.size());
    }
    catalog::closeDatabase(QStringLiteral("measure-demo"));
}
