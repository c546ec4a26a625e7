#include "catalog/CatalogDatabase.h"

#include "catalog/ServerDeadline.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <memory>

namespace catalog {

namespace {
const char* const kDriver = "QIBASE";
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

QSqlQuery runQuery(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DatabaseError(errorText(query.lastError()));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw DatabaseError(errorText(query.lastError()));
    return query;
}

QString probeConnection(const QSqlDatabase& db)
{
    if (!db.isOpen())
        return QStringLiteral("Database not connected");
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("select 1 from rdb$database")) && query.next())
        return {};
    const QString failure = errorText(query.lastError());
    return failure.isEmpty() ? QStringLiteral("no answer from the catalog") : failure;
}

namespace {

// Statements kept for runPrepared(), by connection and text. A prepared statement carries the transaction it was
// prepared in: it is dropped when that transaction ends by commitTransaction() and when the connection closes, before
// its driver goes. Each connection's statements are used only on that connection's thread; the lock guards the table.
constexpr int kMaxPreparedPerConnection = 64;
// How long the end of a connection (its commit and detach) may wait for a server.
constexpr int kCloseDeadline = 5000;
QMutex g_preparedMutex;
QHash<QString, QHash<QString, QSqlQuery*>> g_prepared;

QSqlQuery* keptStatement(const QString& connectionName, const QString& sql)
{
    const QMutexLocker lock(&g_preparedMutex);
    return g_prepared.value(connectionName).value(sql);
}

void keepStatement(const QString& connectionName, const QString& sql, QSqlQuery* query)
{
    QHash<QString, QSqlQuery*> dropped;
    {
        const QMutexLocker lock(&g_preparedMutex);
        QHash<QString, QSqlQuery*>& kept = g_prepared[connectionName];
        // Lists whose text changes with every search would grow it without end.
        if (kept.size() >= kMaxPreparedPerConnection)
            dropped.swap(kept);
        kept.insert(sql, query);
    }
    qDeleteAll(dropped);
}

void dropStatement(const QString& connectionName, const QString& sql)
{
    QSqlQuery* query = nullptr;
    {
        const QMutexLocker lock(&g_preparedMutex);
        auto it = g_prepared.find(connectionName);
        if (it != g_prepared.end())
            query = it->take(sql);
    }
    delete query;
}

void dropStatements(const QString& connectionName)
{
    QHash<QString, QSqlQuery*> dropped;
    {
        const QMutexLocker lock(&g_preparedMutex);
        dropped = g_prepared.take(connectionName);
    }
    qDeleteAll(dropped);
}

// What every catalog has; a database without them is something else (another program's, a bare security database).
bool isCatalog(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("select count(*) from rdb$relations where rdb$relation_name in "
                                     "('ITEM', 'ITEM_CODE', 'ITEM_CODE_TYPE', 'ITEM_PICTURES', 'PARAMS')")) &&
           query.next() && query.value(0).toInt() == 5;
}

} // namespace

QSqlDatabase openDatabase(const CatalogLocation& location, const QString& connectionName)
{
    const QString where = location.displayName();
    if (!location.problem().isEmpty())
        throw DatabaseError(location.problem());
    if (!location.isServer()) {
        // Checked here because an attach must never be allowed to leave a new file behind.
        const QFileInfo info(location.path());
        if (!info.exists())
            throw DatabaseError(
                QStringLiteral("I/O error during \"open\" operation for file \"%1\": no such file").arg(where));
        if (!info.isFile() || !info.isReadable())
            throw DatabaseError(QStringLiteral("I/O error during \"open\" operation for file \"%1\"").arg(where));
    }

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
            // Without a host name the client library opens the file in-process.
            if (location.isServer()) {
                db.setHostName(location.host());
                db.setPort(location.port());
            }
            db.setDatabaseName(location.path());
            db.setUserName(location.user());
            db.setPassword(location.password());
            if (db.open()) {
                if (isCatalog(db)) {
                    ServerDeadline::watchConnection(db, connectionName);
                    return db;
                }
                failure = QStringLiteral("not a Velkorn catalog");
                db.close();
            } else {
                failure = errorText(db.lastError());
                if (failure.isEmpty())
                    failure = QStringLiteral("Unable to open database \"%1\"").arg(where);
            }
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    throw DatabaseError(failure);
}

QSqlDatabase openDatabase(const QString& filePath, const QString& connectionName)
{
    return openDatabase(CatalogLocation::localFile(filePath), connectionName);
}

void closeDatabase(const QString& connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        // A server fallen silent is not waited for at the end either.
        const ServerDeadline deadline(db, kCloseDeadline);
        // Before the connection they belong to closes.
        dropStatements(connectionName);
        if (db.isOpen()) {
            // Shutdown keeps what the session wrote, like the original connection did.
            db.commit();
            db.close();
        }
    }
    ServerDeadline::forgetConnection(connectionName);
    QSqlDatabase::removeDatabase(connectionName);
}

QSqlQuery& runPrepared(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    const QString connection = db.connectionName();
    auto execute = [&values](QSqlQuery& query) {
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        return query.exec();
    };
    if (QSqlQuery* kept = keptStatement(connection, sql)) {
        if (execute(*kept))
            return *kept;
        // Its transaction was ended by someone else, or the statement broke: prepared anew below, and a failure
        // that is the connection's own comes again there.
        dropStatement(connection, sql);
    }
    auto query = std::make_unique<QSqlQuery>(db);
    query->setForwardOnly(true);
    if (!query->prepare(sql) || !execute(*query))
        throw DatabaseError(errorText(query->lastError()));
    QSqlQuery& kept = *query;
    keepStatement(connection, sql, query.release());
    return kept;
}

bool commitTransaction(QSqlDatabase& db)
{
    dropStatements(db.connectionName());
    return db.commit();
}

} // namespace catalog
