#include "app/BackgroundJobs.h"

#include <QCoreApplication>

namespace app {

BackgroundJobs::BackgroundJobs(base::StopSource stop, QObject* parent) : QObject(parent), m_stop(std::move(stop)) {}

void BackgroundJobs::add(QThread* thread)
{
    if (thread && !m_threads.contains(thread))
        m_threads.append(thread);
}

int BackgroundJobs::runningCount() const
{
    int count = 0;
    for (const QPointer<QThread>& thread : m_threads)
        if (thread && thread->isRunning())
            ++count;
    return count;
}

void BackgroundJobs::stopAll()
{
    m_stop.requestStop();
    // Indexes, not iterators: a completion handler run while waiting may still add a thread.
    for (int i = 0; i < m_threads.size(); ++i) {
        if (QThread* thread = m_threads.at(i))
            thread->requestInterruption();
    }
    for (int i = 0; i < m_threads.size(); ++i) {
        QPointer<QThread> thread = m_threads.at(i);
        if (thread)
            thread->requestInterruption();
        while (thread && !thread->wait(20))
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    m_threads.removeAll(nullptr);
}

} // namespace app
