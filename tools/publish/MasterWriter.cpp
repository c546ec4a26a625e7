#include "MasterWriter.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/SearchCode.h"
#include "sync/FeedDate.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Code and picture rows get IDs that were never used: a program that has not yet applied an earlier import still
// holds the rows it removed, and would refuse a new row under one of their IDs.
const QString kCodeGenerator = QStringLiteral("GEN_ITEM_CODE_ID");
const QString kPictureGenerator = QStringLiteral("GEN_ITEM_PICTURES_ID");

// A statement prepared once and run for many rows.
class Prepared
{
public:
    Prepared(const QSqlDatabase& db, const QString& sql) : m_query(db)
    {
        if (!m_query.prepare(sql))
            throw catalog::DatabaseError(catalog::errorText(m_query.lastError()));
    }
    void run(const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_query.bindValue(i, values.at(i));
        if (!m_query.exec())
            throw catalog::DatabaseError(catalog::errorText(m_query.lastError()));
    }

private:
    QSqlQuery m_query;
};

bool hasGenerator(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery query = catalog::runQuery(
        db, QStringLiteral("select count(*) from rdb$generators where rdb$generator_name = ?"), {name});
    return query.next() && query.value(0).toInt() > 0;
}

// Whether the plan removes code or picture rows or adds some.
bool freesOrTakesIds(const ImportPlan& plan)
{
    return !plan.codes.isEmpty() || !plan.pictures.isEmpty() || !plan.deleted.isEmpty();
}

} // namespace

MasterWriter::MasterWriter(QSqlDatabase db) : m_db(std::move(db)) {}

void MasterWriter::lock()
{
    catalog::runQuery(m_db, QStringLiteral("update params set last_update = last_update"));
}

QStringList MasterWriter::missingSchema(const MasterState& master, const ImportPlan& plan) const
{
    QStringList statements;
    // A hand-made master may lack it, and without it lock() holds nothing.
    if (!master.hasParamsRow)
        statements << QStringLiteral("insert into params (last_update) values (null)");
    if (!plan.deleted.isEmpty() && !master.hasDeletedItemTable)
        statements << QStringLiteral("create table deleted_item (id integer not null, delete_time date, "
                                     "constraint pk_deleted_item primary key (id))");
    if (freesOrTakesIds(plan)) {
        for (const QString& generator : {kCodeGenerator, kPictureGenerator}) {
            if (!hasGenerator(m_db, generator))
                statements << QStringLiteral("create generator ") + generator;
        }
    }
    return statements;
}

QDateTime MasterWriter::stampAfter(const QDateTime& previous)
{
    // The local wall-clock reading, as the catalog keeps its times.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime stamp =
        catalogsync::naiveDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return previous.isValid() && previous.addSecs(1) > stamp ? previous.addSecs(1) : stamp;
}

int MasterWriter::allocate(const QString& generator, const QString& table, int count)
{
    QSqlQuery current =
        catalog::runQuery(m_db, QStringLiteral("select gen_id(%1, 0) from rdb$database").arg(generator));
    const qint64 used = current.next() ? current.value(0).toLongLong() : 0;
    QSqlQuery highest = catalog::runQuery(m_db, QStringLiteral("select coalesce(max(id), 0) from %1").arg(table));
    const qint64 base = std::max(used, highest.next() ? highest.value(0).toLongLong() : 0);
    if (base + count > std::numeric_limits<qint32>::max())
        throw catalog::DatabaseError(QStringLiteral("no more IDs for %1").arg(table));
    // The generator moves when the row is fetched.
    QSqlQuery moved = catalog::runQuery(
        m_db, QStringLiteral("select gen_id(%1, %2) from rdb$database").arg(generator).arg(base + count - used));
    if (!moved.next() || moved.value(0).toLongLong() != base + count)
        throw catalog::DatabaseError(QStringLiteral("the generator %1 was moved meanwhile").arg(generator));
    return int(base + 1);
}

template <typename Row, typename Values>
void MasterWriter::replaceGroups(const QMap<int, QList<Row>>& groups, const QString& generator, const QString& table,
                                 const QString& columns, const Values& values)
{
    if (groups.isEmpty())
        return;
    int count = 0;
    for (const QList<Row>& group : groups)
        count += int(group.size());
    int next = allocate(generator, table, count);
    Prepared remove(m_db, QStringLiteral("delete from %1 where item_id = ?").arg(table));
    Prepared insert(m_db,
                    QStringLiteral("insert into %1 (id, item_id, %2) values (?, ?%3)")
                        .arg(table, columns, QStringLiteral(", ?").repeated(columns.count(QLatin1Char(',')) + 1)));
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        remove.run({it.key()});
        for (const Row& row : *it)
            insert.run(QVariantList{next++, it.key()} + values(row));
    }
}

void MasterWriter::write(const MasterState& master, const ImportPlan& plan, const QDateTime& stamp)
{
    // The generators pass every ID in use before any row is removed, so that no later import gives one out again.
    if (freesOrTakesIds(plan)) {
        allocate(kCodeGenerator, QStringLiteral("item_code"), 0);
        allocate(kPictureGenerator, QStringLiteral("item_pictures"), 0);
    }
    QStringList columns;
    for (const MasterState::Column& column : master.columns(QStringLiteral("ITEM"))) {
        if (column.kind != MasterState::Kind::Other && column.name != QLatin1String("ID"))
            columns << column.name;
    }
    const QString placeholders = QStringLiteral(", ?").repeated(columns.size());
    Prepared insertItem(m_db, QStringLiteral("insert into item (ID, %1, UPDATE_TIME) values (?%2, ?)")
                                  .arg(columns.join(QStringLiteral(", ")), placeholders));
    Prepared updateItem(m_db, QStringLiteral("update item set %1 = ?, UPDATE_TIME = ? where ID = ?")
                                  .arg(columns.join(QStringLiteral(" = ?, "))));
    Prepared stampItem(m_db, QStringLiteral("update item set UPDATE_TIME = ? where ID = ?"));
    std::optional<Prepared> undelete;
    if (master.hasDeletedItemTable)
        undelete.emplace(m_db, QStringLiteral("delete from deleted_item where id = ?"));
    for (auto it = plan.items.cbegin(); it != plan.items.cend(); ++it) {
        QVariantList values;
        for (const QString& column : columns)
            values << it->row.value(column);
        if (it->added) {
            insertItem.run(QVariantList{it.key()} + values + QVariantList{stamp});
            // An item that comes back must not be deleted again by a program that applies both in one feed.
            if (undelete && master.deletedItems.contains(it.key()))
                undelete->run({it.key()});
        } else if (!it->row.isEmpty()) {
            updateItem.run(values + QVariantList{stamp, it.key()});
        } else {
            stampItem.run({stamp, it.key()});
        }
    }

    replaceGroups(plan.codes, kCodeGenerator, QStringLiteral("item_code"),
                  QStringLiteral("code_type_id, code, search_code"), [](const MasterState::Code& code) {
                      return QVariantList{code.type, code.code, catalog::normaliseSearchText(code.code)};
                  });
    replaceGroups(plan.pictures, kPictureGenerator, QStringLiteral("item_pictures"), QStringLiteral("picture_url"),
                  [](const QString& name) { return QVariantList{name}; });

    if (!plan.deleted.isEmpty()) {
        Prepared item(m_db, QStringLiteral("delete from item where id = ?"));
        Prepared codes(m_db, QStringLiteral("delete from item_code where item_id = ?"));
        Prepared pictures(m_db, QStringLiteral("delete from item_pictures where item_id = ?"));
        Prepared earlier(m_db, QStringLiteral("delete from deleted_item where id = ?"));
        Prepared deleted(m_db, QStringLiteral("insert into deleted_item (id, delete_time) values (?, ?)"));
        for (const int id : plan.deleted) {
            for (Prepared* statement : {&item, &codes, &pictures, &earlier})
                statement->run({id});
            deleted.run({id, stamp});
        }
    }

    // The master's own LAST_UPDATE, so that a copy of it is a catalog that is up to date.
    catalog::runQuery(m_db, QStringLiteral("update params set last_update = ?"), {stamp});
}
