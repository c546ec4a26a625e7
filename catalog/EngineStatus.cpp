#include "catalog/EngineStatus.h"

#include <QStringList>

namespace catalog {

bool engineFailed(const ISC_STATUS* status)
{
    return status[0] == isc_arg_gds && status[1] != 0;
}

QString engineStatusText(const ISC_STATUS* status)
{
    QStringList parts;
    char buffer[1024];
    const ISC_STATUS* cursor = status;
    while (fb_interpret(buffer, sizeof buffer, &cursor) > 0)
        parts << QString::fromUtf8(buffer);
    return parts.join(QLatin1Char('\n'));
}

bool engineStatusHas(const ISC_STATUS* status, ISC_STATUS code)
{
    // Clusters of (kind, value); strings come as (isc_arg_cstring, length, pointer).
    for (const ISC_STATUS* p = status; *p != isc_arg_end;) {
        const ISC_STATUS kind = *p++;
        if (kind == isc_arg_gds && *p == code)
            return true;
        p += kind == isc_arg_cstring ? 2 : 1;
    }
    return false;
}

} // namespace catalog
