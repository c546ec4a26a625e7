#pragma once

#include "base/StopToken.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>

namespace app {

// The background threads that work with the main window's database connection. Shutdown stops and awaits them
// all before the connection closes, so that no thread is left using a closed connection or destroyed datasets.
class BackgroundJobs : public QObject
{
    Q_OBJECT
public:
    // `stop` is the window's stop; stopAll() raises it.
    explicit BackgroundJobs(base::StopSource stop = {}, QObject* parent = nullptr);

    // Tracks a thread until it is destroyed. The thread should check QThread::isInterruptionRequested() between its
    // steps and leave early once it is set.
    void add(QThread* thread);

    // Threads added and not yet destroyed that are still running.
    int runningCount() const;

    // Asks every running thread to stop, then waits for each to end. While waiting, queued calls that a thread
    // makes into the main thread (and blocks on) are still delivered, so a thread that waits for the main thread
    // cannot deadlock the shutdown; user input is held back meanwhile.
    void stopAll();

    // True from the start of stopAll(): a completion handler must not start a follow-up thread then.
    bool stopping() const { return m_stop.stopRequested(); }

private:
    QList<QPointer<QThread>> m_threads;
    base::StopSource m_stop;
};

} // namespace app
