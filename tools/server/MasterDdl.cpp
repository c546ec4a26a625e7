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
    const QByteArray path = QFileInfo(databaseFile).absoluteFilePath().toUtf8();
    // Database parameter block: version, user name, password.
    QByteArray dpb;
    dpb += char(isc_dpb_version1);
    dpb += char(isc_dpb_user_name);
    dpb += char(6);
    dpb += "SYSDBA";
    dpb += char(isc_dpb_password);
    dpb += char(9);
    dpb += "catalogpw";

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
