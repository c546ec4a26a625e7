#pragma once

#include "catalog/CatalogLocation.h"

#include <QString>

// Runs one schema statement on a catalog file in SQL dialect 1 through the Firebird client itself (Qt's
// driver talks dialect 3, which a dialect-1 database refuses for schema changes). Throws std::runtime_error.
void executeMasterDdl(const catalog::CatalogLocation& location, const QString& statement);
void executeMasterDdl(const QString& databaseFile, const QString& statement);
