#include "sync/TThread1.h"

#include "sync/FeedDate.h"

#include "catalog/CatalogDatabase.h"

#include <QSqlQuery>
#include <QVariant>

#include <stdexcept>

namespace catalogsync {

namespace {

const char* const kConnection = "velkorn-sync-download";

QDateTime readLastUpdate(const catalog::CatalogLocation& location)
{
    QDateTime value;
    {
        QSqlDatabase db = catalog::openDatabase(location, QString::fromLatin1(kConnection));
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("select last_update from params")) && query.next())
            value = naiveDateTime(query.value(0));
    }
    catalog::closeDatabase(QString::fromLatin1(kConnection));
    return value.isValid() ? value : zeroDateTime(); // an empty LAST_UPDATE is the zero date-time
}

} // namespace

TThread1::TThread1(SyncSettings settings, QObject* parent) : QThread(parent), m_settings(std::move(settings))
{
    setObjectName(QStringLiteral("TThread1"));
}

void TThread1::run()
{
    download(m_settings);
}

void TThread1::download(const SyncSettings& settings)
{
    // The download never reports anything: an unreachable server, a broken transfer, a file that cannot be
    // written or a stop simply end it, and the run then brings no (or fewer) changes.
    try {
        const QDateTime lastUpdate = readLastUpdate(settings.database());
        if (settings.transfer.stopRequested())
            return;
        if (!UrlReachable(base::serverUrl(settings.catalogHost, settings.catalogPath), settings.transfer))
            return;
        for (int t = 1; t <= 4; ++t) {
            const QString url = settings.address(QStringLiteral("common/item.php?t=%1&ut=").arg(t)) +
                                encodeQueryValue(FeedDateText(lastUpdate));
            DownloadToFile(url, settings.appDir + QLatin1String(kFeedFiles[t - 1]), settings.transfer);
        }
    } catch (const std::exception&) {
    }
}

} // namespace catalogsync
