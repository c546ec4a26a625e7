#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <mutex>

// The catalog server's side of the feed: reads the master catalog (the catalog schema, ITEM.UPDATE_TIME as the
// change time, DELETED_ITEM(ID, DELETE_TIME) for removed items) and writes the four feed documents for every
// change after a given time. Safe to call from the server's worker threads.
class MasterCatalog
{
public:
    explicit MasterCatalog(QString databaseFile);

    // Feed t (1 items, 2 codes, 3 pictures, 4 deleted items) of the changes after `since`: records ascending by
    // time, codes and pictures grouped by item in the order of the items. `records` receives their number.
    QByteArray feed(int t, const QDateTime& since, int* records = nullptr);

    // A feed date as the feed writes it: "yyyy-mm-dd hh:nn:ss".
    static QString feedDate(const QDateTime& value);
    // A number as the feed writes it: "." as decimal separator, no exponent, no grouping.
    static QString feedNumber(double value);

private:
    QString m_databaseFile;
    std::mutex m_mutex;
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
