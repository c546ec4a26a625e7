#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace catalog {

// The codes of one code type on an item.
struct CodeGroup
{
    QString typeName; // ITEM_CODE_TYPE.TYPE
    QString prefix;   // ITEM_CODE_TYPE.PREFIX
    bool oem = false;
    QStringList codes;
};

// Everything a datasheet prints about one item, read in one go from the catalog.
struct ItemSheet
{
    int itemId = 0;
    QString code; // the type-1 code
    int style = 0;
    int pistonType = 0;
    QVariant totalWeight, pressureDefault, pressureMax, pressureMin, operationSpace, assemblyHeight;
    QString loadingCapacity;
    QVariant studs, studDistance, bolts, boltDistance;
    int vehicle1 = 0; // 1..4, 0 for none
    int vehicle2 = 0;
    QStringList pictureUrls;   // in the order the item view shows them, at most three
    QVector<CodeGroup> groups; // OEM types first, then the others, each in type name order; own code type last
    QDateTime catalogDate;     // PARAMS.LAST_UPDATE: the newest change the catalog holds
};

// The item with the given identifier; false when it has no type-1 code. Throws DatabaseError.
bool loadItemSheet(const QSqlDatabase& db, int itemId, ItemSheet* sheet);
// Several items in one go (four statements, whatever their number), in the order asked; items without a type-1
// code are left out. Throws DatabaseError.
QVector<ItemSheet> loadItemSheets(const QSqlDatabase& db, const QVector<int>& itemIds);

// The items a typed code names, compared in search form: the item whose own code it is, else every item carrying it
// as any other code, in id order. Throws DatabaseError.
QVector<int> itemIdsForCode(const QSqlDatabase& db, const QString& code);
// The one item a typed code names; 0 when no item, or more than one, carries it. Throws DatabaseError.
int itemIdForCode(const QSqlDatabase& db, const QString& code);

} // namespace catalog
