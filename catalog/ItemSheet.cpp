#include "catalog/ItemSheet.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/SearchCode.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace catalog {

namespace {

int usage(const QVariant& value)
{
    const int v = value.toInt();
    return v >= 1 && v <= 4 ? v : 0;
}

} // namespace

bool loadItemSheet(const QSqlDatabase& db, int itemId, ItemSheet* sheet)
{
    const QVector<ItemSheet> sheets = loadItemSheets(db, {itemId});
    if (sheets.isEmpty())
        return false;
    *sheet = sheets.first();
    return true;
}

QVector<ItemSheet> loadItemSheets(const QSqlDatabase& db, const QVector<int>& itemIds)
{
    if (itemIds.isEmpty())
        return {};
    QStringList marks;
    QVariantList ids;
    for (int id : itemIds) {
        marks << QStringLiteral("?");
        ids << id;
    }
    const QString in = marks.join(QLatin1Char(','));
    QHash<int, ItemSheet> byId;
    QSqlQuery item =
        runQuery(db,
                 QStringLiteral("select item.id, item_code.code, item.type, item.piston_type, "
                                "item.total_weight, item.operation_pressure_default, "
                                "item.operation_pressure_max, item.operation_pressure_min, "
                                "item.operation_space, item.assembly_height, item.loading_capacity, item.stud, "
                                "item.diameter_between_studs, item.bolt, item.diameter_between_bolts, "
                                "item.vehicle1, item.vehicle2 from item inner join item_code on "
                                "item.id=item_code.item_id and item_code.code_type_id=1 where item.id in (%1)")
                     .arg(in),
                 ids);
    while (item.next()) {
        ItemSheet s;
        s.itemId = item.value(0).toInt();
        s.code = item.value(1).toString();
        s.style = item.value(2).toInt();
        s.pistonType = item.value(3).toInt();
        s.totalWeight = item.value(4);
        s.pressureDefault = item.value(5);
        s.pressureMax = item.value(6);
        s.pressureMin = item.value(7);
        s.operationSpace = item.value(8);
        s.assemblyHeight = item.value(9);
        s.loadingCapacity = item.value(10).toString();
        s.studs = item.value(11);
        s.studDistance = item.value(12);
        s.bolts = item.value(13);
        s.boltDistance = item.value(14);
        s.vehicle1 = usage(item.value(15));
        s.vehicle2 = usage(item.value(16));
        byId.insert(s.itemId, s);
    }
    if (byId.isEmpty())
        return {};

    QSqlQuery pictures = runQuery(
        db, QStringLiteral("select item_id, picture_url from item_pictures where item_id in (%1) order by id").arg(in),
        ids);
    while (pictures.next()) {
        const auto it = byId.find(pictures.value(0).toInt());
        if (it != byId.end() && it->pictureUrls.size() < 3)
            it->pictureUrls << pictures.value(1).toString();
    }

    QSqlQuery codes =
        runQuery(db,
                 QStringLiteral("select c.item_id, t.code_type_id, t.type, t.prefix, c.code from item_code c "
                                "inner join item_code_type t on c.code_type_id=t.code_type_id "
                                "where c.item_id in (%1) and c.code_type_id<>1 order by c.item_id, t.type, "
                                "c.code")
                     .arg(in),
                 ids);
    int lastItem = -1;
    int lastType = -1;
    while (codes.next()) {
        const auto it = byId.find(codes.value(0).toInt());
        if (it == byId.end())
            continue;
        if (it->itemId != lastItem || codes.value(1).toInt() != lastType) {
            lastItem = it->itemId;
            lastType = codes.value(1).toInt();
            CodeGroup group;
            group.typeName = codes.value(2).toString();
            group.prefix = codes.value(3).toString();
            group.oem = group.prefix == QLatin1String("OEM");
            it->groups.append(group);
        }
        it->groups.last().codes << codes.value(4).toString();
    }

    QDateTime catalogDate;
    QSqlQuery params = runQuery(db, QStringLiteral("select last_update from params"), {});
    if (params.next())
        catalogDate = params.value(0).toDateTime();
    QVector<ItemSheet> sheets;
    for (int id : itemIds) {
        auto it = byId.find(id);
        if (it == byId.end())
            continue;
        std::stable_sort(it->groups.begin(), it->groups.end(),
                         [](const CodeGroup& a, const CodeGroup& b) { return a.oem && !b.oem; });
        it->catalogDate = catalogDate;
        sheets.append(*it);
    }
    return sheets;
}

QVector<int> itemIdsForCode(const QSqlDatabase& db, const QString& code)
{
    const QString searchCode = normaliseSearchText(code);
    if (searchCode.isEmpty())
        return {};
    QSqlQuery query =
        runQuery(db,
                 QStringLiteral("select distinct item_id, code_type_id from item_code where search_code=? "
                                "order by code_type_id, item_id"),
                 {searchCode});
    QVector<int> own;
    QVector<int> items;
    while (query.next()) {
        const int itemId = query.value(0).toInt();
        QVector<int>& list = query.value(1).toInt() == 1 ? own : items;
        if (!list.contains(itemId))
            list << itemId;
    }
    if (!own.isEmpty())
        return own;
    std::sort(items.begin(), items.end());
    return items;
}

int itemIdForCode(const QSqlDatabase& db, const QString& code)
{
    const QVector<int> items = itemIdsForCode(db, code);
    return items.size() == 1 ? items.first() : 0;
}

} // namespace catalog
