#include "TestCatalog.h"

#include "catalog/ItemComparison.h"

#include <gtest/gtest.h>

using catalog::ComparisonRow;
using catalog::ComparisonSection;
using catalog::ItemComparison;
using catalog::ItemSheet;

namespace {

ItemSheet sheet(int id, double height, const QVariant& studs = 2)
{
    ItemSheet s;
    s.itemId = id;
    s.code = QStringLiteral("VK %1").arg(id);
    s.style = 2;
    s.pistonType = 1;
    s.totalWeight = 2.5;
    s.pressureDefault = 7.0;
    s.pressureMax = 10.0;
    s.assemblyHeight = height;
    s.loadingCapacity = QStringLiteral("2500-3000");
    s.studs = studs;
    s.vehicle1 = 3;
    s.vehicle2 = 1;
    s.groups = {{QStringLiteral("Dorvan"), QStringLiteral("OEM"), true, {QStringLiteral("81.436")}}};
    return s;
}

const catalog::ComparisonTexts kTexts{[](const QString& key) { return QStringLiteral("<%1>").arg(key); },
                                      [](const QString& name) {
                                          return name == QLatin1String("Label8") ? QStringLiteral("Default:")
                                                                                 : QStringLiteral("[%1]").arg(name);
                                      },
                                      QLocale(QLocale::German)};

const ComparisonRow* rowNamed(const QVector<ComparisonRow>& rows, const QString& label)
{
    for (const ComparisonRow& row : rows)
        if (row.label == label)
            return &row;
    return nullptr;
}

} // namespace

// A line is marked exactly when the cells read differently: formatted numbers that agree do not differ, a value
// one item lacks does; a line no item has a value for is left out; codes line up by type and are never marked.
TEST(ItemComparison, MarksTheLinesWhoseCellsReadDifferently)
{
    ItemSheet a = sheet(1, 300.0);
    ItemSheet b = sheet(2, 300.001, QVariant()); // the same height as printed, no studs
    b.pressureMax = 8.0;
    b.vehicle2 = 3;
    b.groups.append(
        {QStringLiteral("Brenmoor"), QStringLiteral("XR"), false, {QStringLiteral("B-7"), QStringLiteral("B-1")}});
    const QVector<ComparisonRow> rows = ItemComparison::rows({a, b}, kTexts);

    const ComparisonRow* height = rowNamed(rows, "[lblAssemblyHeight]");
    ASSERT_TRUE(height);
    EXPECT_EQ(height->values, QStringList({"300,00", "300,00"}));
    EXPECT_EQ(height->unit, "[Label4]");
    EXPECT_FALSE(height->differs);
    const ComparisonRow* max = rowNamed(rows, "[lblOperationPressure] [Label6]");
    ASSERT_TRUE(max);
    EXPECT_TRUE(max->differs);
    // The pressure caption loses the colon that the item view puts before its value.
    EXPECT_TRUE(rowNamed(rows, "[lblOperationPressure] Default"));
    const ComparisonRow* studs = rowNamed(rows, "<measureStudCount>");
    ASSERT_TRUE(studs);
    EXPECT_EQ(studs->values, QStringList({"2", ""}));
    EXPECT_TRUE(studs->differs);
    EXPECT_FALSE(rowNamed(rows, "[lblOperationPressure] [Label7]")) << "no item has a minimum pressure";
    EXPECT_FALSE(rowNamed(rows, "<measureBoltCount>"));
    const ComparisonRow* usage = rowNamed(rows, "<btnKullanim>");
    ASSERT_TRUE(usage);
    EXPECT_EQ(usage->values, QStringList({"<btnKullanim3>, <btnKullanim1>", "<btnKullanim3>"}));

    // OEM types first; an item without codes of a type shows an empty cell.
    QStringList codeLines;
    for (const ComparisonRow& row : rows)
        if (row.section == ComparisonSection::Codes)
            codeLines << row.label + "=" + row.values.join("|") + (row.differs ? " *" : "");
    EXPECT_EQ(codeLines, QStringList({"OEM · Dorvan=81.436|81.436", "Brenmoor=|B-7, B-1"}));
    EXPECT_EQ(rows.first().label, "<btnStyle>");
    EXPECT_FALSE(rows.first().differs);
    EXPECT_EQ(rows.at(1).section, ComparisonSection::General);
    EXPECT_TRUE(rows.at(1).differs);

    // One item alone differs from nothing.
    for (const ComparisonRow& row : ItemComparison::rows({b}, kTexts))
        EXPECT_FALSE(row.differs) << qPrintable(row.label);
}

// At most three items, each once, in the order added; the catalog decides which of them still exist.
TEST(ItemComparison, HoldsThreeItemsAndDropsThoseTheCatalogLost)
{
    ItemComparison comparison;
    EXPECT_EQ(comparison.add(5), ItemComparison::AddResult::Added);
    EXPECT_EQ(comparison.add(5), ItemComparison::AddResult::AlreadyIn);
    EXPECT_EQ(comparison.add(7), ItemComparison::AddResult::Added);
    EXPECT_EQ(comparison.add(6), ItemComparison::AddResult::Added);
    EXPECT_EQ(comparison.add(8), ItemComparison::AddResult::Full);
    EXPECT_EQ(comparison.itemIds(), QVector<int>({5, 7, 6}));
    EXPECT_TRUE(comparison.remove(7));
    EXPECT_FALSE(comparison.remove(7));
    EXPECT_EQ(comparison.add(8), ItemComparison::AddResult::Added);

    TestCatalog catalog;
    catalog.addCodeType(1, "VLK", "Velkorn");
    for (int id : {5, 8}) {
        catalog.addItem(id, 1);
        catalog.addCode(id, 1, QStringLiteral("VK %1").arg(id));
    }
    const QVector<ItemSheet> sheets = comparison.load(catalog.db());
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets.at(1).code, "VK 8");
    EXPECT_EQ(comparison.itemIds(), QVector<int>({5, 8}));
}
