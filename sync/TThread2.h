#pragma once

#include "sync/FeedApplier.h"
#include "sync/FeedDocuments.h"
#include "sync/SyncSettings.h"

#include <QThread>

#include <functional>

namespace catalogsync {

// The feed application thread: applies the four documents to the catalog through its own connection in one
// transaction, downloads the thumbnails into images/, records LAST_UPDATE and commits; then it lets the user
// know (on the main thread) and hands over to the application update. A failure rolls everything back.
class TThread2 : public QThread
{
    Q_OBJECT
public:
    struct Hooks
    {
        // Runs on the main thread after the commit while this thread waits (the catalog changed; show the box).
        std::function<void(const FeedApplier::Result&)> committed;
        // Step 6: the application update check; runs on this thread, also when nothing changed.
        std::function<void()> handOffToApplicationUpdate;
    };

    TThread2(SyncSettings settings, FeedDocuments docs, Hooks hooks, QObject* parent = nullptr);

    // Steps 1 to 5 on the calling thread, under the synchronisation's lease: returns what was committed; throws
    // SyncSkipped when this seat may not apply the feed, and (after rolling back) anything else on failure.
    static FeedApplier::Result applyFeed(const SyncSettings& settings, const FeedDocuments& docs);

    // How the last run ended: "committed", "unchanged", "skipped: <reason>", "failed: <reason>" or "stopped" (for
    // tests and logs).
    QString outcome() const { return m_outcome; }

protected:
    void run() override;

private:
    SyncSettings m_settings;
    FeedDocuments m_docs;
    Hooks m_hooks;
    QString m_outcome;
};

} // namespace catalogsync
