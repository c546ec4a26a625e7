#include "sync/TThread2.h"

#include "sync/FeedError.h"
#include "sync/FeedValues.h"
#include "sync/SyncLease.h"
#include "sync/ThumbnailFolder.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogWatch.h"

#include <QFile>
#include <QSqlError>

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace catalogsync {

namespace {

const char* const kConnection = "velkorn-sync-apply";

// Testing aid (VELKORN_SYNC_PAUSE): holds the run in the middle of its work, lease and transaction open, until the
// file named exists or a stop comes.
void pauseForTesting(const SyncSettings& settings)
{
    if (settings.pauseFile.isEmpty())
        return;
    std::fprintf(stderr, "velkorn: synchronisation paused\n");
    std::fflush(stderr);
    while (!QFile::exists(settings.pauseFile) && !settings.transfer.stopRequested())
        QThread::msleep(50);
}

} // namespace

TThread2::TThread2(SyncSettings settings, FeedDocuments docs, Hooks hooks, QObject* parent)
    : QThread(parent), m_settings(std::move(settings)), m_docs(std::move(docs)), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("TThread2"));
}

FeedApplier::Result TThread2::applyFeed(const SyncSettings& settings, const FeedDocuments& docs)
{
    // Nothing to apply: the catalog is not touched, not even for the lease.
    if (!docs.any())
        return {};
    const QString connection = QString::fromLatin1(kConnection);
    FeedApplier::Result result;
    QString failure;
    bool failed = false;
    bool stopped = false;
    std::optional<SyncSkipped> skipped;
    {
        // Our own connection and transaction: the window's connection is never written to or waited for.
        QSqlDatabase db = catalog::openDatabase(settings.database(), connection);
        // Taken before the transaction begins, so that the transaction sees whatever the lease's last holder
        // committed; given up when this block ends, after the commit.
        const SyncLease lease(db);
        if (!lease.held()) {
            skipped.emplace(lease.refusal(), lease.cannotWrite());
        } else if (!db.transaction()) {
            failed = true;
            failure = catalog::errorText(db.lastError());
        } else {
            try {
                if (!SyncLease::feedFits(db, docs.askedFrom)) {
                    skipped.emplace(QStringLiteral("another seat has synchronised the catalog since this feed was "
                                                   "asked for"),
                                    false);
                    db.rollback();
                } else {
                    ThumbnailFolder thumbnails(settings);
                    int records = 0;
                    FeedApplier applier(
                        db, [&thumbnails](const QString& pic) { thumbnails.fetch(pic); },
                        [&settings, &records] {
                            if (++records == 2)
                                pauseForTesting(settings);
                            return settings.transfer.stopRequested();
                        });
                    result = applier.apply(docs);
                    // Nothing recorded means nothing to keep: LAST_UPDATE stays, so the next run asks again.
                    if (!result.recorded) {
                        db.rollback();
                    } else {
                        // Every seat hears of the change once it is committed.
                        catalog::CatalogWatch::announceChange(db);
                        if (!db.commit()) {
                            failed = true;
                            failure = catalog::errorText(db.lastError());
                            db.rollback();
                        }
                    }
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
    if (skipped)
        throw *skipped;
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
    } catch (const SyncSkipped& e) {
        // Another seat synchronises, or has: quietly on to the update check, with a line for whoever watches the
        // seat's output. A catalog that this seat can never write is worth a warning, since it never gets newer here.
        m_outcome = QStringLiteral("skipped: ") + QString::fromStdString(e.what());
        if (e.cannotWrite)
            qWarning("velkorn: the catalog cannot be synchronised: %s", e.what());
        else
            qInfo("velkorn: catalog feed skipped: %s", e.what());
    } catch (const std::exception& e) {
        m_outcome = QStringLiteral("failed: ") + QString::fromStdString(e.what());
        return;
    }
    if (m_hooks.handOffToApplicationUpdate && !m_settings.transfer.stopRequested())
        m_hooks.handOffToApplicationUpdate();
}

} // namespace catalogsync
