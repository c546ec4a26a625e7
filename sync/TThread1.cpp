#include "sync/TThread1.h"

#include "sync/FeedApplier.h"
#include "sync/FeedDate.h"

#include "catalog/CatalogDatabase.h"

#include <stdexcept>

namespace catalogsync {

namespace {

const char* const kConnection = "velkorn-sync-download";

QDateTime readLastUpdate(const catalog::CatalogLocation& location)
{
    QDateTime value;
    try {
        value = FeedApplier::lastUpdate(catalog::openDatabase(location, QString::fromLatin1(kConnection)));
    } catch (...) {
        catalog::closeDatabase(QString::fromLatin1(kConnection));
        throw;
    }
    catalog::closeDatabase(QString::fromLatin1(kConnection));
    return value;
}

} // namespace

TThread1::TThread1(SyncSettings settings, QObject* parent) : QThread(parent), m_settings(std::move(settings))
{
    setObjectName(QStringLiteral("TThread1"));
}

void TThread1::run()
{
    m_askedFrom = download(m_settings);
}

QDateTime TThread1::download(const SyncSettings& settings)
{
    QDateTime lastUpdate;
    // The download never reports anything: an unreachable server, a broken transfer, a file that cannot be
    // written or a stop simply end it, and the run then brings no (or fewer) changes.
    try {
        lastUpdate = readLastUpdate(settings.database());
        if (settings.transfer.stopRequested())
            return lastUpdate;
        if (!UrlReachable(base::serverUrl(settings.catalogHost, settings.catalogPath), settings.transfer))
            return lastUpdate;
        for (int t = 1; t <= 4; ++t) {
            const QString url = settings.address(QStringLiteral("common/item.php?t=%1&ut=").arg(t)) +
                                encodeQueryValue(FeedDateText(lastUpdate));
            DownloadToFile(url, settings.appDir + QLatin1String(kFeedFiles[t - 1]), settings.transfer);
        }
    } catch (const std::exception&) {
    }
    return lastUpdate;
}

} // namespace catalogsync
