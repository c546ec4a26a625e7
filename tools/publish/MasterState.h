#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// The master catalog as an import finds it, read in the import's transaction: the columns of the catalog tables with
// their kinds and sizes as the database declares them, the code types, every item with its codes and pictures, the
// deleted items and the publication stamp.
class MasterState
{
public:
    enum class Kind
    {
        Integer16,
        Integer32,
        Number,
        Text,
        Other, // dates, blobs: nothing an import writes
    };
    struct Column
    {
        QString name;
        Kind kind = Kind::Other;
        int width = 0;      // characters, for text
        bool fixed = false; // CHAR: read back padded with blanks
    };
    struct Code
    {
        int type = 0;
        QString code;
    };

    // Throws catalog::DatabaseError.
    static MasterState read(const QSqlDatabase& db);

    // The column of a table (upper-case names); nullptr when the table has none of that name.
    const Column* column(const QString& table, const QString& name) const;
    QList<Column> columns(const QString& table) const { return m_columns.value(table); }

    QSet<int> codeTypes;
    QHash<int, QVariantHash> items;   // by ID: every column of ITEM by name
    QHash<int, QList<Code>> codes;    // by item, in the order of their IDs
    QHash<int, QStringList> pictures; // by item: PICTURE_URL in the order of their IDs
    bool hasDeletedItemTable = false;
    QSet<int> deletedItems;
    // The later of the newest UPDATE_TIME and the newest DELETE_TIME (naive); invalid in a master without either.
    QDateTime stamp;
    bool hasParamsRow = false;

private:
    QHash<QString, QList<Column>> m_columns;
};
