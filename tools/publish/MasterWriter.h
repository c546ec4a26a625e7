#pragma once

#include "ImportPlan.h"
#include "MasterState.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QStringList>

// Writes a checked import into the master in the caller's transaction, every change stamped with one time.
class MasterWriter
{
public:
    explicit MasterWriter(QSqlDatabase db);

    // Holds the master for this import until the transaction ends: a second import waits, then fails, instead of
    // stamping its changes with the same time. Throws catalog::DatabaseError.
    void lock();

    // The schema statements the plan needs that the master lacks (the deleted-item table, the generators of code and
    // picture IDs, the PARAMS row that lock() holds); run outside the transaction before the plan is written.
    QStringList missingSchema(const MasterState& master, const ImportPlan& plan) const;

    // The import's time: now, or a second after the newest stamp already in the master when that is later, so that
    // the next feed carries exactly this import. Naive, whole seconds.
    static QDateTime stampAfter(const QDateTime& previous);

    // Throws catalog::DatabaseError; the caller rolls back.
    void write(const MasterState& master, const ImportPlan& plan, const QDateTime& stamp);

private:
    // `count` new IDs for a table from its generator, above every ID the table has or had; the first one. With no
    // count, the generator only catches up with the table.
    int allocate(const QString& generator, const QString& table, int count);

    // Replaces the rows of each item in `table` by its group, under new IDs from the generator; `values` gives a row's
    // values for `columns`.
    template <typename Row, typename Values>
    void replaceGroups(const QMap<int, QList<Row>>& groups, const QString& generator, const QString& table,
                       const QString& columns, const Values& values);

    QSqlDatabase m_db;
};
