#pragma once

#include <QSqlDatabase>
#include <QString>
#include <stdexcept>

namespace catalog {

// A failure of the catalog database; what() carries the database client's message.
class DatabaseError : public std::runtime_error
{
public:
    explicit DatabaseError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Opens an existing catalog file in-process (no server): "SYSDBA"/"catalogpw", dialect 1, no login prompt.
// Never creates the file. Throws DatabaseError when the file is missing, unreadable or not a database.
// The connection belongs to the calling thread.
QSqlDatabase openDatabase(const QString& filePath, const QString& connectionName);

// Closes and removes the named connection; any transaction still open is committed first.
void closeDatabase(const QString& connectionName);

// The database client's text for the last failure of a query or connection.
QString errorText(const class QSqlError& error);

} // namespace catalog
