#include "support/CatalogProbe.h"

#include "catalog/CatalogDatabase.h"

#include <QSqlQuery>
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
