#include "catalog/RowLock.h"

#include "catalog/EngineStatus.h"

#include <QSqlDriver>
#include <QVariant>

#include <type_traits>

namespace catalog {

static_assert(std::is_same_v<isc_db_handle, unsigned int> && std::is_same_v<isc_tr_handle, unsigned int>,
              "the client's handles are kept as unsigned int");

RowLock::RowLock(const QSqlDatabase& db, const QString& statement)
{
    // The Firebird driver hands out its attachment handle; its transactions always wait for locks, so the one that
    // must not wait is started here, beside them, on the same attachment.
    const QVariant handle = db.isOpen() && db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || handle.metaType().sizeOf() != int(sizeof(isc_db_handle))) {
        m_failure = QStringLiteral("no open catalog connection");
        return;
    }
    m_database = *static_cast<const isc_db_handle*>(handle.constData());

    static const char kNoWait[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency, isc_tpb_nowait};
    ISC_STATUS_ARRAY status;
    isc_start_transaction(status, &m_transaction, 1, &m_database, short(sizeof kNoWait), kNoWait);
    if (engineFailed(status)) {
        m_transaction = 0;
        m_failure = engineStatusText(status);
        return;
    }
    const QByteArray sql = statement.toUtf8();
    isc_dsql_execute_immediate(status, &m_database, &m_transaction, 0, sql.constData(), SQL_DIALECT_V5, nullptr);
    if (!engineFailed(status)) {
        m_state = State::Held;
        return;
    }
    // A row that another transaction has inserted and not committed yet is reported as a duplicate key.
    const bool conflict = engineStatusHas(status, isc_lock_conflict) || engineStatusHas(status, isc_deadlock) ||
                          engineStatusHas(status, isc_update_conflict) ||
                          engineStatusHas(status, isc_unique_key_violation) || engineStatusHas(status, isc_no_dup);
    m_state = conflict ? State::HeldElsewhere : State::Failed;
    m_failure = engineStatusText(status);
    release();
}

RowLock::~RowLock()
{
    release();
}

void RowLock::release()
{
    if (!m_transaction)
        return;
    ISC_STATUS_ARRAY status;
    // A connection that is gone took the transaction with it; there is nothing else to undo.
    isc_rollback_transaction(status, &m_transaction);
    m_transaction = 0;
}

} // namespace catalog
