#include "catalog/CatalogFacts.h"

#include "catalog/TQuery.h"

#include <QDateTime>

namespace catalog {

namespace {

QVariant firstValue(const QString& connectionName, const QString& sql)
{
    TQuery query;
    query.setConnectionName(connectionName);
    query.setSql({sql});
    query.open();
    return query.value(0, 0);
}

} // namespace

CatalogFacts readCatalogFacts(const QString& connectionName)
{
    CatalogFacts facts;
    const QVariant lastUpdate = firstValue(connectionName, QStringLiteral("select last_update from params"));
    // Only the date is shown, so a time the driver places in a skipped hour of local time does not matter.
    const QDate date = lastUpdate.toDateTime().date();
    // An empty LAST_UPDATE reads as the zero date-time, 30 December 1899.
    if (!lastUpdate.isNull() && date.isValid() && date > QDate(1899, 12, 30))
        facts.lastUpdate = date;
    facts.items = firstValue(connectionName, QStringLiteral("select count(*) from item")).toInt();
    facts.codes = firstValue(connectionName, QStringLiteral("select count(*) from item_code")).toInt();
    return facts;
}

} // namespace catalog
