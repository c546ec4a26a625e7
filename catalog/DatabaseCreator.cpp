#include "catalog/DatabaseCreator.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/EngineStatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace catalog {

extern const char* const kSchemaScript; // generated from schema.sql at build time

namespace {

// Attaches as the catalog's owner asking for a property of the file (isc_dpb_force_write, isc_dpb_set_db_readonly).
QString attachSetting(const QString& absolute, char setting, bool on, isc_db_handle* db)
{
    ISC_STATUS_ARRAY status;
    const QByteArray path = absolute.toUtf8();
    const char dpb[] = {isc_dpb_version1,
                        isc_dpb_user_name,
                        6,
                        'S',
                        'Y',
                        'S',
                        'D',
                        'B',
                        'A',
                        isc_dpb_password,
                        9,
                        'c',
                        'a',
                        't',
                        'a',
                        'l',
                        'o',
                        'g',
                        'p',
                        'w',
                        setting,
                        1,
                        char(on ? 1 : 0)};
    isc_attach_database(status, short(path.size()), path.constData(), db, short(sizeof dpb), dpb);
    return engineFailed(status) ? engineStatusText(status) : QString();
}

} // namespace

QStringList splitSqlScript(const QString& script)
{
    QStringList statements;
    QString current;
    bool inString = false;
    for (int i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        if (inString) {
            current += c;
            if (c == QLatin1Char('\''))
                inString = false;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < script.size() && script.at(i + 1) == QLatin1Char('*')) {
            const int end = script.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? script.size() : end + 1;
            current += QLatin1Char(' ');
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < script.size() && script.at(i + 1) == QLatin1Char('-')) {
            const int end = script.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? script.size() : end;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
            continue;
        }
        if (c == QLatin1Char('\''))
            inString = true;
        current += c;
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

QStringList schemaStatements()
{
    return splitSqlScript(QString::fromUtf8(kSchemaScript));
}

void createDatabase(const QString& filePath, bool forcedWrites)
{
    const QString absolute = QFileInfo(filePath).absoluteFilePath();
    if (QFileInfo::exists(absolute))
        throw DatabaseError(QStringLiteral("Database file \"%1\" already exists").arg(absolute));
    if (absolute.contains(QLatin1Char('\'')))
        throw DatabaseError(QStringLiteral("Database path \"%1\" contains a quote").arg(absolute));

    ISC_STATUS_ARRAY status;
    isc_db_handle db = 0;
    isc_tr_handle trans = 0;
    const QByteArray create = QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA' PASSWORD 'catalogpw' "
                                             "PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8")
                                  .arg(absolute)
                                  .toUtf8();
    isc_dsql_execute_immediate(status, &db, &trans, 0, create.constData(), 1, nullptr);
    if (engineFailed(status))
        throw DatabaseError(engineStatusText(status));

    QString failure;
    if (!forcedWrites) {
        // Forced writes are a property of the file; only an attachment that asks for it changes them.
        isc_detach_database(status, &db);
        failure =
            engineFailed(status) ? engineStatusText(status) : attachSetting(absolute, isc_dpb_force_write, false, &db);
    }
    if (failure.isEmpty())
        isc_start_transaction(status, &trans, 1, &db, 0, nullptr);
    if (!failure.isEmpty() || engineFailed(status)) {
        if (failure.isEmpty())
            failure = engineStatusText(status);
    } else {
        for (const QString& statement : schemaStatements()) {
            const QByteArray sql = statement.toUtf8();
            isc_dsql_execute_immediate(status, &db, &trans, 0, sql.constData(), 1, nullptr);
            if (engineFailed(status)) {
                failure = engineStatusText(status);
                break;
            }
        }
        ISC_STATUS_ARRAY endStatus;
        if (failure.isEmpty()) {
            isc_commit_transaction(endStatus, &trans);
            if (engineFailed(endStatus))
                failure = engineStatusText(endStatus);
        } else {
            isc_rollback_transaction(endStatus, &trans);
        }
    }

    if (failure.isEmpty()) {
        isc_detach_database(status, &db);
        if (engineFailed(status))
            throw DatabaseError(engineStatusText(status));
        return;
    }
    // A half-built file is worse than none.
    if (db)
        isc_drop_database(status, &db);
    if (db)
        isc_detach_database(status, &db);
    QFile::remove(absolute);
    throw DatabaseError(failure);
}

void executeSchemaStatement(const CatalogLocation& location, const QString& statement)
{
    if (!location.problem().isEmpty())
        throw DatabaseError(location.problem());
    // The client's own form of a location: "host[/port]:path", or the path alone for the in-process engine.
    QString name = location.path();
    if (location.isServer())
        name = location.host() + (location.port() > 0 ? QStringLiteral("/%1").arg(location.port()) : QString()) +
               QLatin1Char(':') + location.path();
    const QByteArray path = name.toUtf8();
    const QByteArray user = location.user().toUtf8();
    const QByteArray password = location.password().toUtf8();
    if (user.size() > 255 || password.size() > 255)
        throw DatabaseError(QStringLiteral("user name or password too long"));
    QByteArray dpb;
    dpb += char(isc_dpb_version1);
    dpb += char(isc_dpb_user_name);
    dpb += char(user.size());
    dpb += user;
    dpb += char(isc_dpb_password);
    dpb += char(password.size());
    dpb += password;

    ISC_STATUS_ARRAY status;
    isc_db_handle db = 0;
    isc_tr_handle trans = 0;
    isc_attach_database(status, short(path.size()), path.constData(), &db, short(dpb.size()), dpb.constData());
    if (engineFailed(status))
        throw DatabaseError(engineStatusText(status));
    QString failure;
    isc_start_transaction(status, &trans, 1, &db, 0, nullptr);
    if (engineFailed(status)) {
        failure = engineStatusText(status);
    } else {
        const QByteArray sql = statement.toUtf8();
        isc_dsql_execute_immediate(status, &db, &trans, 0, sql.constData(), 1, nullptr);
        ISC_STATUS_ARRAY endStatus;
        if (engineFailed(status)) {
            failure = engineStatusText(status);
            isc_rollback_transaction(endStatus, &trans);
        } else {
            isc_commit_transaction(endStatus, &trans);
            if (engineFailed(endStatus))
                failure = engineStatusText(endStatus);
        }
    }
    ISC_STATUS_ARRAY detachStatus;
    isc_detach_database(detachStatus, &db);
    if (!failure.isEmpty())
        throw DatabaseError(failure);
}

namespace {

void changeSetting(const QString& filePath, char setting, bool on)
{
    const QString absolute = QFileInfo(filePath).absoluteFilePath();
    if (!QFileInfo(absolute).isFile())
        throw DatabaseError(QStringLiteral("Database file \"%1\" does not exist").arg(absolute));
    isc_db_handle db = 0;
    const QString failure = attachSetting(absolute, setting, on, &db);
    if (db) {
        ISC_STATUS_ARRAY status;
        isc_detach_database(status, &db);
    }
    if (!failure.isEmpty())
        throw DatabaseError(failure);
}

} // namespace

void setForcedWrites(const QString& filePath, bool forcedWrites)
{
    changeSetting(filePath, isc_dpb_force_write, forcedWrites);
}

void setReadOnly(const QString& filePath, bool readOnly)
{
    changeSetting(filePath, isc_dpb_set_db_readonly, readOnly);
}

void recomputeIndexStatistics(const QSqlDatabase& db)
{
    QStringList names;
    {
        QSqlQuery query(db);
        if (!query.exec(
                QStringLiteral("select rdb$index_name from rdb$indices where coalesce(rdb$system_flag, 0) = 0")))
            throw DatabaseError(errorText(query.lastError()));
        while (query.next())
            names << query.value(0).toString().trimmed();
    }
    QSqlDatabase connection = db;
    const bool own = connection.transaction();
    for (const QString& name : names) {
        QSqlQuery query(connection);
        if (!query.exec(QStringLiteral("set statistics index %1").arg(name))) {
            const QString message = errorText(query.lastError());
            if (own)
                connection.rollback();
            throw DatabaseError(message);
        }
    }
    if (own && !connection.commit())
        throw DatabaseError(errorText(connection.lastError()));
}

} // namespace catalog
