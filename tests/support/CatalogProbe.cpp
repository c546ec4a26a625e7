#include "support/CatalogProbe.h"

#include "catalog/CatalogDatabase.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <QVariant>

QString queryValue(const catalog::CatalogLocation& location, const QString& sql)
{
    const QString name = QUuid::createUuid().toString();
    QString value;
    try {
        QSqlQuery query = catalog::runQuery(catalog::openDatabase(location, name), sql);
        if (query.isSelect() && query.next())
            value = query.value(0).toString();
    } catch (const catalog::DatabaseError&) {
        catalog::closeDatabase(name);
        throw;
    }
    catalog::closeDatabase(name);
    return value;
}

namespace {

QString text(const QVariant& v)
{
    if (v.isNull())
        return QStringLiteral("null");
    if (v.metaType().id() == QMetaType::Double)
        return QString::number(v.toDouble());
    return v.toString();
}

} // namespace

QString queryRows(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query = catalog::runQuery(db, sql);
    QStringList rows;
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values << text(query.value(i));
        rows << values.join(QLatin1Char(':'));
    }
    return rows.join(QLatin1Char(','));
}

QString queryRows(const catalog::CatalogLocation& location, const QString& sql)
{
    const QString name = QUuid::createUuid().toString();
    QString rows;
    try {
        rows = queryRows(catalog::openDatabase(location, name), sql);
    } catch (const catalog::DatabaseError&) {
        catalog::closeDatabase(name);
        throw;
    }
    catalog::closeDatabase(name);
    return rows;
}

QList<qint64> attachedProcesses(const catalog::CatalogLocation& location)
{
    const QString name = QUuid::createUuid().toString();
    QList<qint64> pids;
    {
        QSqlQuery query = catalog::runQuery(
            catalog::openDatabase(location, name),
            QStringLiteral("select coalesce(mon$remote_pid, mon$server_pid) from mon$attachments where "
                           "mon$attachment_id <> current_connection"));
        while (query.next())
            pids << query.value(0).toLongLong();
    }
    catalog::closeDatabase(name);
    return pids;
}
