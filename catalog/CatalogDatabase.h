#pragma once

#include "catalog/CatalogLocation.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <stdexcept>

namespace catalog {

// A failure of the catalog database; what() carries the database client's message.
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Opens the catalog at `location` (a local file in-process, or a database on a server) as its user, dialect 1, no
// login prompt, under the connection name given, which then belongs to the calling thread. Never creates a file.
// Throws DatabaseError when the location is wrong or unreachable, the login is refused, or what it names is not a
// catalog; the message says why (the database client's words) and never holds the password.
QSqlDatabase openDatabase(const CatalogLocation& location, const QString& connectionName);
// The local catalog file as "SYSDBA"/"catalogpw".
QSqlDatabase openDatabase(const QString& filePath, const QString& connectionName);

// Closes and removes the named connection; any transaction still open is committed first.
void closeDatabase(const QString& connectionName);

// Asks the catalog on an open connection the smallest question there is: empty when it answered, else the database
// client's words (a server that is gone, a connection that broke).
QString probeConnection(const QSqlDatabase& db);

// The database client's text for the last failure of a query or connection.
QString errorText(const class QSqlError& error);

// A forward-only query of `sql` with the values bound in order, executed; throws DatabaseError when it fails.
QSqlQuery runQuery(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

// The same, for a statement that one connection runs again and again (a list, the item and its codes and pictures):
// prepared once in the connection's transaction and executed again with new values. The query belongs to the
// connection; read its rows before the next call with the same `sql` and never keep it. Throws DatabaseError.
QSqlQuery& runPrepared(const QSqlDatabase& db, const QString& sql, const QVariantList& values);

// Ends the connection's transaction with a commit (the next statement starts a new one); false when the driver refused
// (no transaction was open). The statements prepared in it are dropped.
bool commitTransaction(QSqlDatabase& db);

} // namespace catalog
