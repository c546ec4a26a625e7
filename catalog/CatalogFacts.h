#pragma once

#include <QDate>
#include <QString>

namespace catalog {

// How current and how large the catalog is: the date of PARAMS.LAST_UPDATE (invalid when empty or the zero date
// an empty value stands for) and the numbers of items and codes.
struct CatalogFacts
{
    QDate lastUpdate;
    int items = 0;
    int codes = 0;
};

// Reads the facts through the connection (in its open transaction, like the lists). Throws DatabaseError.
CatalogFacts readCatalogFacts(const QString& connectionName);

} // namespace catalog
