#include "MasterDdl.h"

#include <QByteArray>
#include <QFileInfo>

#include <ibase.h>

#include <stdexcept>

namespace {

bool failed(const ISC_STATUS* status)
{
    return status[0] == 1 && status[1] != 0;
}

std::string statusText(const ISC_STATUS* status)
{
    std::string text;
    char buffer[512];
    const ISC_STATUS* p = status;
    while (fb_interpret(buffer, sizeof buffer, &p) > 0) {
        if (!text.empty())
            text += " - ";
        text += buffer;
    }
    return text.empty() ? std::string("database error") : text;
}

} // namespace

void executeMasterDdl(const QString& databaseFile, const QString& statement)
{
    executeMasterDdl(catalog::CatalogLocation::localFile(databaseFile), statement);
}

void executeMasterDdl(const catalog::CatalogLocation& location, const QString& statement)
{
    if (!location.problem().isEmpty())
        throw std::runtime_error(location.problem().toStdString());
    // The client's own form of a location: "host/port:path" on a server, the file's path otherwise.
    const QByteArray path =
        (location.isServer()
             ? location.host() + (location.port() > 0 ? QStringLiteral("/%1").arg(location.port()) : QString()) +
                   QLatin1Char(':') + location.path()
             : QFileInfo(location.path()).absoluteFilePath())
            .toUtf8();
    const QByteArray user = location.user().toUtf8().left(255);
    const QByteArray password = location.password().toUtf8().left(255);
    // Database parameter block: version, user name, password.
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
    isc_attach_database(status, 0, path.constData(), &db, short(dpb.size()), dpb.constData());
    if (failed(status))
        throw std::runtime_error(statusText(status));
    std::string failure;
    isc_start_transaction(status, &trans, 1, &db, 0, nullptr);
    if (failed(status)) {
        failure = statusText(status);
    } else {
        const QByteArray sql = statement.toUtf8();
        isc_dsql_execute_immediate(status, &db, &trans, 0, sql.constData(), 1, nullptr);
        ISC_STATUS_ARRAY endStatus;
        if (failed(status)) {
            failure = statusText(status);
            isc_rollback_transaction(endStatus, &trans);
        } else {
            isc_commit_transaction(endStatus, &trans);
            if (failed(endStatus))
                failure = statusText(endStatus);
        }
    }
    ISC_STATUS_ARRAY detachStatus;
    isc_detach_database(detachStatus, &db);
    if (!failure.empty())
        throw std::runtime_error(failure);
}
