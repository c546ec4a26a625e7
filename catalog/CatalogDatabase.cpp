#include "catalog/CatalogDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>

namespace catalog {

namespace {
const char* const kDriver = "QIBASE";
const char* const kUser = "SYSDBA";
const char* const kPassword = "catalogpw";
} // namespace

QString errorText(const QSqlError& error)
{
    const QString database = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (database.isEmpty())
        return driver;
    if (driver.isEmpty())
        return database;
    return driver + QLatin1Char('\n') + database;
}

QSqlDatabase openDatabase(const QString& filePath, const QString& connectionName)
{
    // Checked here because an attach must never be allowed to leave a new file behind.
    const QFileInfo info(filePath);
    if (!info.exists())
        throw DatabaseError(QStringLiteral("I/O error during \"open\" operation for file \"%1\": no such file")
                                .arg(QDir::toNativeSeparators(filePath)));
    if (!info.isFile() || !info.isReadable())
        throw DatabaseError(QStringLiteral("I/O error during \"open\" operation for file \"%1\"")
                                .arg(QDir::toNativeSeparators(filePath)));

    if (QSqlDatabase::contains(connectionName))
        closeDatabase(connectionName);

    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromLatin1(kDriver), connectionName);
        if (!db.isValid()) {
            failure = errorText(db.lastError());
            if (failure.isEmpty())
                failure = QStringLiteral("The database driver %1 is not available").arg(QString::fromLatin1(kDriver));
        } else {
            // No host name: the client library opens the file in-process.
            db.setDatabaseName(info.absoluteFilePath());
            db.setUserName(QString::fromLatin1(kUser));
            db.setPassword(QString::fromLatin1(kPassword));
            if (db.open())
                return db;
            failure = errorText(db.lastError());
            if (failure.isEmpty())
                failure = QStringLiteral("Unable to open database \"%1\"").arg(filePath);
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    throw DatabaseError(failure);
}

void closeDatabase(const QString& connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen()) {
            // Shutdown keeps what the session wrote, like the original connection did.
            db.commit();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
}

} // namespace catalog
