#include "app/ServerHosts.h"

#include <QtGlobal>

namespace app {

namespace {
QString hostFromEnvironment(const char* variable, const char* fallback)
{
    const QString value = qEnvironmentVariable(variable).trimmed();
    return value.isEmpty() ? QString::fromLatin1(fallback) : value;
}
} // namespace

QString catalogServerHost()
{
    return hostFromEnvironment("VELKORN_CATALOG_HOST", DefaultCatalogHost);
}

QString updateServerHost()
{
    return hostFromEnvironment("VELKORN_UPDATE_HOST", DefaultUpdateHost);
}

} // namespace app
