#pragma once

#include "base/StopToken.h"
#include "sync/FeedApplier.h"
#include "sync/FeedDocuments.h"
#include "sync/SyncSettings.h"
#include "sync/TThread1.h"
#include "sync/TThread2.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace catalogsync {

// The catalog synchronisation of one program run, as the main window drives it: start() runs TThread1 (feed
// download); its end runs Thread1Terminate on the main thread, which parses the feed files into the four
// documents, deletes the files and starts TThread2 (apply, commit, tell the user, hand over to the update).
// Lives on the main thread.
class CatalogSync : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        // Message lookup (MIS). Called on the main thread. Default: the key itself.
        std::function<QString(const QString& key)> messageText;
        // Shows the information box after a commit; called on the main thread while TThread2 waits.
        // The window supplies the box; without one nothing is shown.
        std::function<void(const QString& caption, const QString& text)> showInformation;
        // Step 6, the hand-off to the application update: called on TThread2 at the end of every run that did not
        // fail, also when nothing changed. Use runOnMainThreadAndWait for user interface, stopRequested() to leave.
        std::function<void()> handOffToApplicationUpdate;
        // Told about each thread right after it started (e.g. BackgroundJobs::add), on the main thread.
        std::function<void(QThread*)> threadCreated;
        // True once the window is shutting down (e.g. BackgroundJobs::stopping): TThread2 is then not started.
        std::function<bool()> stopping;
    };

    // `stop` is the window's stop when it hands one down; requestStop() raises it.
    explicit CatalogSync(QObject* parent = nullptr, base::StopSource stop = {});
    ~CatalogSync() override;

    // Starts the feed download thread. Once per program run.
    void start(const SyncSettings& settings, Hooks hooks);

    // Raises the stop flag: running transfers abort at once, the database work stops at the next record and is
    // rolled back, no box and no hand-off follow. Safe from any thread.
    void requestStop();
    // requestStop(), then waits for both threads; main-thread calls they are waiting for are dropped meanwhile.
    void requestStopAndWait();
    bool stopRequested() const { return m_stop.stopRequested(); }

    // Runs `fn` on the main thread and waits for it; returns false (without running it, or without waiting for
    // its end) when a stop is requested meanwhile. Called from TThread2 or from the hand-off hook.
    bool runOnMainThreadAndWait(std::function<void()> fn);

    // The four feed documents, set by Thread1Terminate (null = absent).
    const FeedDocuments& documents() const { return m_docs; }
    TThread1* thread1() const { return m_thread1; }
    TThread2* thread2() const { return m_thread2; }
    const SyncSettings& settings() const { return m_settings; }

signals:
    // The catalog changed under the window (a run committed): close the lists, item, codes and pictures.
    void catalogChanged();
    // TThread2 has ended (whatever the outcome).
    void finished();

public slots:
    // The completion handler of TThread1, on the main thread.
    void Thread1Terminate();

private:
    void showCommitted(const FeedApplier::Result& result);

    SyncSettings m_settings;
    Hooks m_hooks;
    FeedDocuments m_docs;
    base::StopSource m_stop;
    QPointer<TThread1> m_thread1;
    QPointer<TThread2> m_thread2;
};

} // namespace catalogsync
