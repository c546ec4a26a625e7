#pragma once

#include "catalog/CatalogLocation.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// Looks into a catalog from the test's own process, beside the programs that have it open (the process must have
// set up its engine as they do: platform::configureEngine()). Both throw catalog::DatabaseError.

// The first column of the first row of `sql`, as text; empty without a row. Runs statements too.
QString queryValue(const catalog::CatalogLocation& location, const QString& sql);

// Every row of `sql`: its columns joined with ":" (null as "null"), the rows with ",".
QString queryRows(const catalog::CatalogLocation& location, const QString& sql);
QString queryRows(const QSqlDatabase& db, const QString& sql);

// The processes that have the catalog open, as the engine's monitoring lists them: the client's process id for a
// server's attachment, the process's own for an embedded one; this process's probe left out.
QList<qint64> attachedProcesses(const catalog::CatalogLocation& location);
