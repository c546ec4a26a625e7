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

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QSqlQuery& query)
{
    throw std::runtime_error(catalog::errorText(query.lastError()).toStdString());
}

// One connection per server thread: a Qt connection belongs to the thread that opened it.
QSqlDatabase threadConnection(const QString& file)
{
    const QString name = QStringLiteral("master-%1").arg(quintptr(QThread::currentThreadId()));
    if (QSqlDatabase::contains(name))
        return QSqlDatabase::database(name);
    return catalog::openDatabase(file, name);
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

// Writes each row of the query as an <item> with one element per column, named in lower case.
int writeRecords(QSqlQuery& q, QByteArray& out)
{
    int n = 0;
    const QSqlRecord columns = q.record();
    QList<QByteArray> names;
    for (int i = 0; i < columns.count(); ++i)
        names.append(columns.fieldName(i).toLower().toLatin1());
    while (q.next()) {
        out += "<item>";
        for (int i = 0; i < names.size(); ++i) {
            out += '<' + names[i] + '>';
            appendEscaped(out, valueText(q.value(i)));
            out += "</" + names[i] + '>';
        }
        out += "</item>\n";
        ++n;
    }
    return n;
}

} // namespace

MasterCatalog::MasterCatalog(QString databaseFile) : m_databaseFile(std::move(databaseFile)) {}

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

QByteArray MasterCatalog::feed(int t, const QDateTime& since, int* records)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QSqlDatabase db = threadConnection(m_databaseFile);
    QString sql;
    switch (t) {
    case 1:
        sql = QStringLiteral("select id, total_weight, operation_pressure_default, operation_pressure_max, "
                             "operation_pressure_min, operation_space, assembly_height, piston_type, "
                             "loading_capacity, type, vehicle1, vehicle2, update_time from item "
                             "where update_time > ? order by update_time, id");
        break;
    case 2:
        sql = QStringLiteral("select c.item_id, c.id, c.code_type_id, c.code, c.search_code from item_code c "
                             "join item i on i.id = c.item_id where i.update_time > ? "
                             "order by i.update_time, i.id, c.id");
        break;
    case 3:
        sql = QStringLiteral("select p.item_id, p.id, p.picture_url as pic from item_pictures p "
                             "join item i on i.id = p.item_id where i.update_time > ? "
                             "order by i.update_time, i.id, p.id");
        break;
    case 4:
        if (hasTable(db, QStringLiteral("DELETED_ITEM")))
            sql = QStringLiteral("select id, delete_time from deleted_item where delete_time > ? "
                                 "order by delete_time, id");
        break;
    default:
        throw std::invalid_argument("unknown feed");
    }
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed>\n";
    int n = 0;
    if (!sql.isEmpty()) {
        // The whole feed is read in one transaction so that its documents agree with each other.
        db.transaction();
        {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.prepare(sql))
                fail(q);
            q.addBindValue(since);
            if (!q.exec())
                fail(q);
            n = writeRecords(q, out);
        }
        db.commit();
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
