#include "sync/TThread2.h"

#include "sync/FeedError.h"
#include "sync/FeedValues.h"
#include "sync/ThumbnailFolder.h"

#include "catalog/CatalogDatabase.h"

#include <QSqlError>

#include <stdexcept>

namespace catalogsync {

namespace {

const char* const kConnection = "velkorn-sync-apply";

} // namespace

TThread2::TThread2(SyncSettings settings, FeedDocuments docs, Hooks hooks, QObject* parent)
    : QThread(parent), m_settings(std::move(settings)), m_docs(std::move(docs)), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("TThread2"));
}

FeedApplier::Result TThread2::applyFeed(const SyncSettings& settings, const FeedDocuments& docs)
{
    const QString connection = QString::fromLatin1(kConnection);
    FeedApplier::Result result;
    QString failure;
    bool failed = false;
    bool stopped = false;
    {
        // Our own connection and transaction: the window's connection is never written to or waited for.
        QSqlDatabase db = catalog::openDatabase(settings.database(), connection);
        if (!db.transaction()) {
            failed = true;
            failure = catalog::errorText(db.lastError());
        } else {
            try {
                ThumbnailFolder thumbnails(settings);
                FeedApplier applier(
                    db, [&thumbnails](const QString& pic) { thumbnails.fetch(pic); },
                    [&settings] { return settings.transfer.stopRequested(); });
                result = applier.apply(docs);
                // Nothing recorded means nothing to keep: LAST_UPDATE stays, so the next run asks again.
                if (!result.recorded)
                    db.rollback();
                else if (!db.commit()) {
                    failed = true;
                    failure = catalog::errorText(db.lastError());
                    db.rollback();
                }
            } catch (const SyncStopped&) {
                stopped = true;
                db.rollback();
            } catch (const std::exception& e) {
                failed = true;
                failure = QString::fromStdString(e.what());
                db.rollback();
            }
        }
    }
    catalog::closeDatabase(connection);
    if (stopped)
        throw SyncStopped();
    if (failed)
        throw std::runtime_error(failure.toStdString());
    return result;
}

void TThread2::run()
{
    // Failures of the run are not shown to the user: the changes are rolled back, LAST_UPDATE keeps its value
    // and the next start asks for the same changes again. A failed run does not go on to the update check.
    try {
        const FeedApplier::Result result = applyFeed(m_settings, m_docs);
        m_outcome = result.recorded ? QStringLiteral("committed") : QStringLiteral("unchanged");
        if (result.recorded && m_hooks.committed && !m_settings.transfer.stopRequested())
            m_hooks.committed(result);
    } catch (const SyncStopped&) {
        m_outcome = QStringLiteral("stopped");
        return;
    } catch (const std::exception& e) {
        m_outcome = QStringLiteral("failed: ") + QString::fromStdString(e.what());
        return;
    }
    if (m_hooks.handOffToApplicationUpdate && !m_settings.transfer.stopRequested())
        m_hooks.handOffToApplicationUpdate();
}

} // namespace catalogsync
