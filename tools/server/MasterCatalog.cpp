#include "MasterCatalog.h"

#include "MasterDdl.h"

#include "catalog/CatalogDatabase.h"
#include "sync/FeedDate.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace {

[[noreturn]] void fail(const QSqlQuery& query)
{
    throw std::runtime_error(catalog::errorText(query.lastError()).toStdString());
}

bool hasTable(QSqlDatabase& db, const QString& table)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select count(*) from rdb$relations where rdb$relation_name = ?"));
    q.addBindValue(table);
    if (!q.exec())
        fail(q);
    return q.next() && q.value(0).toInt() > 0;
}

void appendEscaped(QByteArray& out, const QString& text)
{
    for (const char c : text.toUtf8()) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
}

QString valueText(const QVariant& v)
{
    if (v.isNull())
        return QString();
    switch (v.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return MasterCatalog::feedNumber(v.toDouble());
    case QMetaType::QDateTime:
        return MasterCatalog::feedDate(catalogsync::naiveDateTime(v));
    default:
        return v.toString();
    }
}

// A row of a feed: where it goes (its time, its item, its own id) and where its <item> element is in the buffer.
struct Record
{
    qint64 time;
    qint64 item;
    qint64 id;
    qsizetype at;
    qsizetype size;
};

// Times are read as whole seconds since 2000 (seconds()), not through the driver's local date-times: building one costs
// the C library a look at the time zone file, for every value of every row.
const QDate kEpoch(2000, 1, 1);
QString seconds(const char* column)
{
    return QStringLiteral("datediff(second from cast('2000-01-01' as timestamp) to %1)").arg(QLatin1String(column));
}

QDateTime secondsTime(const QVariant& value)
{
    if (value.isNull())
        return QDateTime();
    const qint64 all = value.toLongLong();
    const qint64 day = all >= 0 ? all / 86400 : -((-all + 86399) / 86400);
    return catalogsync::naiveDateTime(kEpoch.addDays(day), QTime(0, 0).addSecs(int(all - day * 86400)));
}

// Writes each row of the query as an <item> with one element per column, named in lower case (a "..._time" in
// seconds), after the three columns that order it (time in seconds, item, id): ascending by time, an item's rows
// together. Sorted here rather than by the database, whose sort costs a fresh megabyte of memory for every feed.
int writeRecords(QSqlQuery& q, QByteArray& out)
{
    const QSqlRecord columns = q.record();
    QList<QByteArray> names;
    for (int i = 3; i < columns.count(); ++i)
        names.append(columns.fieldName(i).toLower().toLatin1());
    QList<bool> times;
    for (const QByteArray& name : names)
        times.append(name.endsWith("_time"));
    // All elements in one buffer, in the database's order: a feed of weeks has tens of thousands of rows.
    QByteArray rows;
    std::vector<Record> records;
    while (q.next()) {
        Record record{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong(), rows.size(), 0};
        rows += "<item>";
        for (int i = 0; i < names.size(); ++i) {
            const QVariant value = q.value(i + 3);
            rows += '<';
            rows += names[i];
            rows += '>';
            appendEscaped(rows,
                          times[i] && !value.isNull() ? MasterCatalog::feedDate(secondsTime(value)) : valueText(value));
            rows += "</";
            rows += names[i];
            rows += '>';
        }
        rows += "</item>\n";
        record.size = rows.size() - record.at;
        records.push_back(record);
    }
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        return std::tie(a.time, a.item, a.id) < std::tie(b.time, b.item, b.id);
    });
    out.reserve(out.size() + rows.size() + 16);
    for (const Record& record : records)
        out.append(rows.constData() + record.at, record.size);
    return int(records.size());
}

// A stored time to the whole second, as the feed writes it.
QDateTime wholeSecond(const QDateTime& time)
{
    if (!time.isValid())
        return time;
    const QTime t = time.time();
    return catalogsync::naiveDateTime(time.date(), QTime(t.hour(), t.minute(), t.second()));
}

QString connectionNameFor(const QString& file)
{
    return QStringLiteral("master-%1-%2").arg(file).arg(quintptr(QThread::currentThreadId()));
}

} // namespace

MasterCatalog::MasterCatalog(const catalog::CatalogLocation& location, const QString& connectionName)
    : m_connection(connectionName)
{
    catalog::openDatabase(location, connectionName);
}

MasterCatalog::MasterCatalog(const QString& databaseFile)
    : MasterCatalog(catalog::CatalogLocation::localFile(databaseFile), connectionNameFor(databaseFile))
{
}

MasterCatalog::~MasterCatalog()
{
    catalog::closeDatabase(m_connection);
}

QString MasterCatalog::feedDate(const QDateTime& value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(),
                             t.second());
}

QString MasterCatalog::feedNumber(double value)
{
    QString s = QString::number(value, 'f', 6);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

bool MasterCatalog::hasDeletedItems()
{
    // A master gets DELETED_ITEM with its first deletion, perhaps while we serve it; once there it stays.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!m_hasDeletedItems.value_or(false) &&
        (!m_deletedItemsLookedFor.isValid() || m_deletedItemsLookedFor.msecsTo(now) >= 1000)) {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        m_hasDeletedItems = hasTable(db, QStringLiteral("DELETED_ITEM"));
        m_deletedItemsLookedFor = now;
    }
    return *m_hasDeletedItems;
}

Publication MasterCatalog::publication()
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QString items = seconds("(select max(update_time) from item)");
    QSqlQuery q = catalog::runQuery(db, hasDeletedItems()
                                            ? QStringLiteral("select %1, %2 from rdb$database")
                                                  .arg(items, seconds("(select max(delete_time) from deleted_item)"))
                                            : QStringLiteral("select %1, null from rdb$database").arg(items));
    Publication stamp;
    if (q.next()) {
        stamp.items = secondsTime(q.value(0));
        stamp.deletions = secondsTime(q.value(1));
    }
    return stamp;
}

QByteArray MasterCatalog::feed(int t, const QDateTime& since, const std::optional<Publication>& upTo, int* records)
{
    if (t < 1 || t > 4)
        throw std::invalid_argument("unknown feed");
    const Publication stamp = upTo ? *upTo : publication();
    const QDateTime until = t == 4 ? stamp.deletions : stamp.items;
    QString sql;
    switch (t) {
    case 1:
        sql = QStringLiteral("select %1, id, 0, id, total_weight, operation_pressure_default, operation_pressure_max, "
                             "operation_pressure_min, operation_space, assembly_height, piston_type, loading_capacity, "
                             "type, vehicle1, vehicle2, %1 as update_time from item "
                             "where update_time >= ? and update_time < ?")
                  .arg(seconds("update_time"));
        break;
    case 2:
        sql = QStringLiteral("select %1, i.id, c.id, c.item_id, c.id, c.code_type_id, c.code, c.search_code "
                             "from item i join item_code c on c.item_id = i.id "
                             "where i.update_time >= ? and i.update_time < ?")
                  .arg(seconds("i.update_time"));
        break;
    case 3:
        sql = QStringLiteral("select %1, i.id, p.id, p.item_id, p.id, p.picture_url as pic "
                             "from item i join item_pictures p on p.item_id = i.id "
                             "where i.update_time >= ? and i.update_time < ?")
                  .arg(seconds("i.update_time"));
        break;
    default:
        if (hasDeletedItems())
            sql = QStringLiteral("select %1, id, 0, id, %1 as delete_time from deleted_item "
                                 "where delete_time >= ? and delete_time < ?")
                      .arg(seconds("delete_time"));
    }
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed>\n";
    int n = 0;
    if (!sql.isEmpty() && until.isValid()) {
        // Feed dates have whole seconds: a dealer at `since` has all of that second, and the stamp covers all of its.
        const QDateTime from = wholeSecond(since).addSecs(1);
        QSqlQuery q = catalog::runQuery(QSqlDatabase::database(m_connection, false), sql, {from, until.addSecs(1)});
        n = writeRecords(q, out);
    }
    out += "</feed>\n";
    if (records)
        *records = n;
    return out;
}

void ensureDeletedItemTable(const QString& databaseFile)
{
    const QString name = QStringLiteral("master-setup");
    bool present = false;
    {
        QSqlDatabase db = catalog::openDatabase(databaseFile, name);
        present = hasTable(db, QStringLiteral("DELETED_ITEM"));
    }
    catalog::closeDatabase(name);
    if (!present)
        executeMasterDdl(databaseFile,
                         QStringLiteral("create table deleted_item (id integer not null, "
                                        "delete_time date, constraint pk_deleted_item primary key (id))"));
}

ChangedCopySummary makeChangedCopy(const QString& source, const QString& target, int changedItems)
{
    if (QFile::exists(target) && !QFile::remove(target))
        throw std::runtime_error(QStringLiteral("Cannot replace %1").arg(target).toStdString());
    if (!QFile::copy(source, target))
        throw std::runtime_error(QStringLiteral("Cannot copy %1 to %2").arg(source, target).toStdString());
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    ensureDeletedItemTable(target);

    ChangedCopySummary summary;
    const QString name = QStringLiteral("master-change");
    {
        QSqlDatabase db = catalog::openDatabase(target, name);
        db.transaction();
        // The local wall-clock reading, whole seconds, as the naive time the catalog stores.
        const QDateTime now = QDateTime::currentDateTime();
        const QDateTime stamp =
            catalogsync::naiveDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("select first %1 id from item order by id").arg(qMax(0, changedItems))))
            fail(q);
        QList<int> ids;
        while (q.next())
            ids.append(q.value(0).toInt());
        for (const int id : ids) {
            QSqlQuery u(db);
            u.prepare(QStringLiteral("update item set update_time = ?, total_weight = total_weight + 0.5 "
                                     "where id = ?"));
            u.addBindValue(stamp);
            u.addBindValue(id);
            if (!u.exec())
                fail(u);
        }
        summary.changedItems = int(ids.size());
        if (!ids.isEmpty()) {
            QSqlQuery m(db);
            if (!m.exec(QStringLiteral("select coalesce(max(id), 0) + 1 from item_code")) || !m.next())
                fail(m);
            summary.addedCodeId = m.value(0).toInt();
            QSqlQuery c(db);
            c.prepare(QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) "
                                     "values (?, ?, 2, ?, ?)"));
            c.addBindValue(summary.addedCodeId);
            c.addBindValue(ids.first());
            c.addBindValue(QStringLiteral("DEMO-%1").arg(summary.addedCodeId));
            c.addBindValue(QStringLiteral("demo%1").arg(summary.addedCodeId));
            if (!c.exec())
                fail(c);
        }
        QSqlQuery last(db);
        if (!last.exec(QStringLiteral("select max(id) from item")) || !last.next())
            fail(last);
        const int deleted = last.value(0).toInt();
        if (deleted > 0 && !ids.contains(deleted)) {
            for (const QString& sql : {QStringLiteral("delete from item where id = ?"),
                                       QStringLiteral("delete from item_code where item_id = ?"),
                                       QStringLiteral("delete from item_pictures where item_id = ?"),
                                       QStringLiteral("delete from deleted_item where id = ?")}) {
                QSqlQuery d(db);
                d.prepare(sql);
                d.addBindValue(deleted);
                if (!d.exec())
                    fail(d);
            }
            QSqlQuery d(db);
            d.prepare(QStringLiteral("insert into deleted_item (id, delete_time) values (?, ?)"));
            d.addBindValue(deleted);
            d.addBindValue(stamp);
            if (!d.exec())
                fail(d);
            summary.deletedItemId = deleted;
        }
        db.commit();
    }
    catalog::closeDatabase(name);
    return summary;
}

QString ensureFeedIndexes(const catalog::CatalogLocation& location)
{
    struct Index
    {
        const char* table;
        const char* column;
        const char* name;
    };
    const Index indexes[] = {{"ITEM", "UPDATE_TIME", "IX_ITEM_UPDATE_TIME_DESC"},
                             {"DELETED_ITEM", "DELETE_TIME", "IX_DELETED_ITEM_TIME_DESC"}};
    const QString name = QStringLiteral("master-indexes");
    QStringList missing;
    try {
        {
            QSqlDatabase db = catalog::openDatabase(location, name);
            for (const Index& index : indexes) {
                // Any descending index that starts with the column serves; a table that is not there needs none.
                QSqlQuery q = catalog::runQuery(
                    db,
                    QStringLiteral("select (select count(*) from rdb$relations where rdb$relation_name = ?), "
                                   "(select count(*) from rdb$indices x join rdb$index_segments s on "
                                   "s.rdb$index_name = x.rdb$index_name where x.rdb$relation_name = ? and "
                                   "s.rdb$field_name = ? and s.rdb$field_position = 0 and x.rdb$index_type = 1) "
                                   "from rdb$database"),
                    {QString::fromLatin1(index.table), QString::fromLatin1(index.table),
                     QString::fromLatin1(index.column)});
                if (q.next() && q.value(0).toInt() > 0 && q.value(1).toInt() == 0)
                    missing << QStringLiteral("create descending index %1 on %2 (%3)")
                                   .arg(QLatin1String(index.name), QLatin1String(index.table),
                                        QLatin1String(index.column));
            }
        }
        catalog::closeDatabase(name);
        for (const QString& statement : missing)
            executeMasterDdl(location, statement);
    } catch (const std::exception& e) {
        catalog::closeDatabase(name);
        return QString::fromStdString(e.what());
    }
    return {};
}
