#pragma once

#include <QSqlDatabase>
#include <QString>

namespace catalog {

// Rows of the catalog locked for as long as this lives, taken without ever waiting: a transaction of its own on an
// open catalog connection, started "no wait", runs one statement that writes the rows. They stay locked against every
// other transaction of every process until this transaction is rolled back: by release(), by the destructor, or by
// the end of the connection, so that a process that dies gives its locks up with it. Nothing it writes is ever
// committed. Used on the connection's thread, and released before the connection closes.
class RowLock
{
public:
    enum class State
    {
        Held,
        HeldElsewhere, // another transaction has written or locked one of the rows
        Failed         // see failure()
    };

    RowLock(const QSqlDatabase& db, const QString& statement);
    ~RowLock();
    RowLock(const RowLock&) = delete;
    RowLock& operator=(const RowLock&) = delete;

    State state() const { return m_state; }
    // The database client's words when the lock could not be tried (no connection, a read-only catalog, ...).
    const QString& failure() const { return m_failure; }

    void release();

private:
    unsigned int m_database = 0;    // the connection's handle
    unsigned int m_transaction = 0; // 0 once rolled back
    State m_state = State::Failed;
    QString m_failure;
};

} // namespace catalog
