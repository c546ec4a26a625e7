#include "MasterState.h"

#include "catalog/CatalogDatabase.h"
#include "sync/FeedDate.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Firebird's numbers for the declared types of columns (RDB$FIELDS.RDB$FIELD_TYPE).
enum FieldType
{
    SmallInt = 7,
    Integer = 8,
    Float = 10,
    Char = 14,
    Double = 27,
    Varchar = 37,
};

MasterState::Column describe(const QString& name, int type, int scale, int width)
{
    MasterState::Column column;
    column.name = name;
    if ((type == SmallInt || type == Integer) && scale < 0)
        column.kind = MasterState::Kind::Number; // NUMERIC and DECIMAL of a hand-made master
    else if (type == SmallInt)
        column.kind = MasterState::Kind::Integer16;
    else if (type == Integer)
        column.kind = MasterState::Kind::Integer32;
    else if (type == Float || type == Double)
        column.kind = MasterState::Kind::Number;
    else if (type == Char || type == Varchar) {
        column.kind = MasterState::Kind::Text;
        column.width = width;
        column.fixed = type == Char;
    }
    return column;
}

QDateTime later(const QDateTime& a, const QDateTime& b)
{
    if (!a.isValid())
        return b;
    return b.isValid() && b > a ? b : a;
}

} // namespace

const MasterState::Column* MasterState::column(const QString& table, const QString& name) const
{
    const auto found = m_columns.constFind(table);
    if (found == m_columns.constEnd())
        return nullptr;
    for (const Column& column : *found) {
        if (column.name == name)
            return &column;
    }
    return nullptr;
}

MasterState MasterState::read(const QSqlDatabase& db)
{
    MasterState state;
    QSqlQuery columns = catalog::runQuery(
        db, QStringLiteral("select r.rdb$relation_name, r.rdb$field_name, f.rdb$field_type, "
                           "coalesce(f.rdb$field_scale, 0), coalesce(f.rdb$character_length, 0) "
                           "from rdb$relation_fields r join rdb$fields f on f.rdb$field_name = r.rdb$field_source "
                           "where r.rdb$relation_name in ('ITEM', 'ITEM_CODE', 'ITEM_PICTURES') "
                           "order by r.rdb$relation_name, r.rdb$field_position"));
    while (columns.next())
        state.m_columns[columns.value(0).toString().trimmed()].append(
            describe(columns.value(1).toString().trimmed(), columns.value(2).toInt(), columns.value(3).toInt(),
                     columns.value(4).toInt()));

    QSqlQuery types = catalog::runQuery(db, QStringLiteral("select code_type_id from item_code_type"));
    while (types.next())
        state.codeTypes.insert(types.value(0).toInt());

    QSqlQuery items = catalog::runQuery(db, QStringLiteral("select * from item"));
    const QSqlRecord record = items.record();
    while (items.next()) {
        QVariantHash row;
        for (int i = 0; i < record.count(); ++i)
            row.insert(record.fieldName(i).toUpper(), items.value(i));
        const int id = row.value(QStringLiteral("ID")).toInt();
        state.stamp = later(state.stamp, catalogsync::naiveDateTime(row.value(QStringLiteral("UPDATE_TIME"))));
        state.items.insert(id, row);
    }

    QSqlQuery codes =
        catalog::runQuery(db, QStringLiteral("select item_id, code_type_id, code from item_code order by item_id, id"));
    while (codes.next())
        state.codes[codes.value(0).toInt()].append({codes.value(1).toInt(), codes.value(2).toString()});

    QSqlQuery pictures =
        catalog::runQuery(db, QStringLiteral("select item_id, picture_url from item_pictures order by item_id, id"));
    while (pictures.next())
        state.pictures[pictures.value(0).toInt()].append(pictures.value(1).toString());

    QSqlQuery table = catalog::runQuery(
        db, QStringLiteral("select count(*) from rdb$relations where rdb$relation_name = 'DELETED_ITEM'"));
    state.hasDeletedItemTable = table.next() && table.value(0).toInt() > 0;
    if (state.hasDeletedItemTable) {
        QSqlQuery deleted = catalog::runQuery(db, QStringLiteral("select id, delete_time from deleted_item"));
        while (deleted.next()) {
            state.deletedItems.insert(deleted.value(0).toInt());
            state.stamp = later(state.stamp, catalogsync::naiveDateTime(deleted.value(1)));
        }
    }

    QSqlQuery params = catalog::runQuery(db, QStringLiteral("select count(*) from params"));
    state.hasParamsRow = params.next() && params.value(0).toInt() > 0;
    return state;
}
