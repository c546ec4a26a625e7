#pragma once

#include "catalog/CatalogLocation.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace catalog {

// The statements of the catalog schema (tables and indexes), one per entry, without terminators.
QStringList schemaStatements();

// Splits a script into statements at ';', dropping /* */ and -- comments.
QStringList splitSqlScript(const QString& script);

// Creates a new, empty catalog file (dialect 1, UTF-8 text) with the catalog schema. Refuses to overwrite an
// existing file. Throws DatabaseError with the database client's message on failure. Without forced writes the
// file is much faster to fill but may lose committed work on a power failure: for tests and benchmarks only.
void createDatabase(const QString& filePath, bool forcedWrites = true);

// Recomputes the selectivity of every user index; the optimizer chooses its plans by them, and an index made on
// an empty table reports none until this runs. Commits. Throws DatabaseError.
void recomputeIndexStatistics(const QSqlDatabase& db);

// Runs one schema statement (create table, create generator) on the catalog at `location` in SQL dialect 1, in a
// transaction and an attachment of its own: Qt's driver speaks dialect 3, which a dialect-1 database refuses for
// schema changes. Throws DatabaseError with the database client's message.
void executeSchemaStatement(const CatalogLocation& location, const QString& statement);

// Switches forced (synchronous) writes of an existing, unused file on or off.
void setForcedWrites(const QString& filePath, bool forcedWrites);

// Makes an existing, unused file read-only for the engine (as a catalog on a medium or share that must not change),
// or writable again. A read-only catalog can be read by every seat; every change to it is refused.
void setReadOnly(const QString& filePath, bool readOnly);

} // namespace catalog
