#include "sync/SyncLease.h"

#include "sync/FeedApplier.h"

#include "catalog/CatalogDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace catalogsync {

namespace {

bool hasLeaseTable(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("select 1 from rdb$relations where rdb$relation_name = 'SYNC_LEASE'")) &&
           query.next();
}

// The table of a catalog made before there were several seats. Empty when it exists (made here or, at this moment,
// by another seat), else why it cannot be made.
QString ensureLeaseTable(const QSqlDatabase& db)
{
    if (hasLeaseTable(db))
        return {};
    QSqlQuery create(db);
    if (create.exec(QStringLiteral("create table sync_lease (id integer not null, "
                                   "constraint pk_sync_lease primary key (id))")) ||
        hasLeaseTable(db))
        return {};
    return catalog::errorText(create.lastError());
}

} // namespace

SyncLease::SyncLease(const QSqlDatabase& db)
{
    const QString missing = ensureLeaseTable(db);
    if (!missing.isEmpty()) {
        m_refusal = QStringLiteral("the table SYNC_LEASE is missing and cannot be made: ") + missing;
        m_cannotWrite = true;
        return;
    }
    // The row is written (made, if need be) without waiting; it is never committed.
    m_lock = std::make_unique<catalog::RowLock>(db, QStringLiteral("update or insert into sync_lease (id) values (1) "
                                                                   "matching (id)"));
    switch (m_lock->state()) {
    case catalog::RowLock::State::Held:
        return;
    case catalog::RowLock::State::HeldElsewhere:
        m_refusal = QStringLiteral("another seat is synchronising the catalog");
        break;
    case catalog::RowLock::State::Failed:
        m_refusal = QStringLiteral("the lease cannot be taken: ") + m_lock->failure();
        m_cannotWrite = true;
        break;
    }
    m_lock.reset();
}

SyncLease::~SyncLease() = default;

bool SyncLease::held() const
{
    return m_lock != nullptr;
}

bool SyncLease::feedFits(const QSqlDatabase& db, const QDateTime& askedFrom)
{
    if (!askedFrom.isValid())
        return true;
    return FeedApplier::lastUpdate(db) == askedFrom;
}

} // namespace catalogsync
