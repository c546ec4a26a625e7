#pragma once

#include "Publication.h"

#include "catalog/CatalogLocation.h"

#include <QByteArray>
#include <QDateTime>
#include <QSqlQuery>
#include <QString>

#include <memory>
#include <optional>

// The catalog server's side of the feed on one connection to the master catalog (the catalog schema,
// ITEM.UPDATE_TIME as the change time, DELETED_ITEM(ID, DELETE_TIME) for removed items): the publication stamp, and
// the four feed documents of the changes after a given time. A Qt SQL connection belongs to the thread that opened
// it, so an object is made, used and destroyed on one thread; MasterPool keeps one per pool thread.
class MasterCatalog
{
public:
    // Opens the master at `location` under the connection name given; throws catalog::DatabaseError.
    MasterCatalog(const catalog::CatalogLocation& location, const QString& connectionName);
    // The local master file, under a connection name of its own.
    explicit MasterCatalog(const QString& databaseFile);
    ~MasterCatalog();
    MasterCatalog(const MasterCatalog&) = delete;
    MasterCatalog& operator=(const MasterCatalog&) = delete;

    // The stamp as committed now.
    Publication publication();

    // Feed t (1 items, 2 codes, 3 pictures, 4 deleted items) of the changes after `since` up to the publication
    // `upTo` (the current one when none is given): records ascending by time, codes and pictures grouped by item in
    // the order of the items. `records` receives their number. Throws std::invalid_argument for another t and
    // catalog::DatabaseError.
    QByteArray feed(int t, const QDateTime& since, const std::optional<Publication>& upTo = std::nullopt,
                    int* records = nullptr);

    // A feed date as the feed writes it: "yyyy-mm-dd hh:nn:ss".
    static QString feedDate(const QDateTime& value);
    // A number as the feed writes it: "." as decimal separator, no exponent, no grouping.
    static QString feedNumber(double value);

private:
    bool hasDeletedItems();

    QString m_connection;
    std::optional<bool> m_hasDeletedItems;
    QDateTime m_deletedItemsLookedFor;
};

// Makes a "changed copy" of a catalog for a demonstration: copies `source` to `target` (replacing it), adds the
// DELETED_ITEM table, marks the first `changedItems` items as changed now (with a slightly different weight),
// gives the first of them one more code, and deletes the last item. Throws std::runtime_error on failure.
struct ChangedCopySummary
{
    int changedItems = 0;
    int addedCodeId = 0;
    int deletedItemId = 0;
};
ChangedCopySummary makeChangedCopy(const QString& source, const QString& target, int changedItems);

// Creates DELETED_ITEM in a master catalog when it is missing.
void ensureDeletedItemTable(const QString& databaseFile);

// Gives the master the indexes that the feed and the publication stamp read by (the change and deletion times,
// descending, so that the newest one is found without a scan) when they are missing. Returns what went wrong, empty
// when they are there: the feed works without them, only slower.
QString ensureFeedIndexes(const catalog::CatalogLocation& location);
