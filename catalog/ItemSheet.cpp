#include "catalog/ItemSheet.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/SearchCode.h"

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
    QSqlQuery item =
        runQuery(db,
                 QStringLiteral("select item_code.code, item.type, item.piston_type, item.total_weight, "
                                "item.operation_pressure_default, item.operation_pressure_max, "
                                "item.operation_pressure_min, item.operation_space, item.assembly_height, "
                                "item.loading_capacity, item.stud, item.diameter_between_studs, item.bolt, "
                                "item.diameter_between_bolts, item.vehicle1, item.vehicle2 from item "
                                "inner join item_code on item.id=item_code.item_id and "
                                "item_code.code_type_id=1 where item.id=?"),
                 {itemId});
    if (!item.next())
        return false;
    ItemSheet s;
    s.itemId = itemId;
    s.code = item.value(0).toString();
    s.style = item.value(1).toInt();
    s.pistonType = item.value(2).toInt();
    s.totalWeight = item.value(3);
    s.pressureDefault = item.value(4);
    s.pressureMax = item.value(5);
    s.pressureMin = item.value(6);
    s.operationSpace = item.value(7);
    s.assemblyHeight = item.value(8);
    s.loadingCapacity = item.value(9).toString();
    s.studs = item.value(10);
    s.studDistance = item.value(11);
    s.bolts = item.value(12);
    s.boltDistance = item.value(13);
    s.vehicle1 = usage(item.value(14));
    s.vehicle2 = usage(item.value(15));

    QSqlQuery pictures =
        runQuery(db, QStringLiteral("select picture_url from item_pictures where item_id=? order by id"), {itemId});
    while (pictures.next() && s.pictureUrls.size() < 3)
        s.pictureUrls << pictures.value(0).toString();

    QSqlQuery codes = runQuery(db,
                               QStringLiteral("select t.code_type_id, t.type, t.prefix, c.code from item_code c "
                                              "inner join item_code_type t on c.code_type_id=t.code_type_id "
                                              "where c.item_id=? and c.code_type_id<>1 order by t.type, c.code"),
                               {itemId});
    int lastType = -1;
    while (codes.next()) {
        if (codes.value(0).toInt() != lastType) {
            lastType = codes.value(0).toInt();
            CodeGroup group;
            group.typeName = codes.value(1).toString();
            group.prefix = codes.value(2).toString();
            group.oem = group.prefix == QLatin1String("OEM");
            s.groups.append(group);
        }
        s.groups.last().codes << codes.value(3).toString();
    }
    std::stable_sort(s.groups.begin(), s.groups.end(),
                     [](const CodeGroup& a, const CodeGroup& b) { return a.oem && !b.oem; });

    QSqlQuery params = runQuery(db, QStringLiteral("select last_update from params"), {});
    if (params.next())
        s.catalogDate = params.value(0).toDateTime();
    *sheet = s;
    return true;
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
