#pragma once

#include "catalog/RowLock.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <memory>

namespace catalogsync {

// Who may write the catalog, and when. Every seat only reads it, except the synchronisation that holds this lease:
// the one row of SYNC_LEASE, locked without waiting on the applying connection. A seat that finds the lease held skips
// its feed; the lease ends with the holder's work (committed or rolled back) or with its connection, so that a seat
// that dies while applying frees it, its unfinished work undone by the engine.
//
// Holding the lease is not enough: the feed must also still fit the catalog. A seat that synchronised meanwhile has
// brought the catalog beyond the time this feed was asked from, and the older feed would take it back.
class SyncLease
{
public:
    // Takes the lease on `db` (outside any transaction of the connection); an older catalog gets the table first.
    explicit SyncLease(const QSqlDatabase& db);
    ~SyncLease();
    SyncLease(const SyncLease&) = delete;
    SyncLease& operator=(const SyncLease&) = delete;

    bool held() const;
    // When not held: why the feed is not applied. cannotWrite() tells a catalog this seat can never synchronise (read
    // only, no right to write) from one that another seat is synchronising at this moment.
    QString refusal() const { return m_refusal; }
    bool cannotWrite() const { return m_cannotWrite; }

    // In the applying transaction, begun after the lease was taken: true when LAST_UPDATE is still `askedFrom`, the
    // value the feed was downloaded for (an invalid `askedFrom` is not known and fits). Throws DatabaseError.
    static bool feedFits(const QSqlDatabase& db, const QDateTime& askedFrom);

private:
    std::unique_ptr<catalog::RowLock> m_lock;
    QString m_refusal;
    bool m_cannotWrite = false;
};

} // namespace catalogsync
