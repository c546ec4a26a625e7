#include "base/MainThread.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>

namespace base {

bool runOnMainThreadAndWait(QObject* context, const std::function<void()>& fn, const StopToken& stop)
{
    if (QThread::currentThread() == context->thread()) {
        fn();
        return true;
    }

    struct Call
    {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::exception_ptr failure;
    };
    auto call = std::make_shared<Call>();
    const QPointer<QThread> worker = QThread::currentThread();
    QMetaObject::invokeMethod(
        context,
        [call, stop, worker, fn] {
            std::exception_ptr failure;
            if (!stop.raised() && !(worker && worker->isInterruptionRequested())) {
                try {
                    fn();
                } catch (...) {
                    failure = std::current_exception(); // handed to the waiting thread, which decides
                }
            }
            const std::lock_guard<std::mutex> lock(call->mutex);
            call->failure = failure;
            call->finished = true;
            call->done.notify_all();
        },
        Qt::QueuedConnection);

    std::unique_lock<std::mutex> lock(call->mutex);
    while (!call->finished) {
        if (stop.stopRequested())
            return false;
        call->done.wait_for(lock, std::chrono::milliseconds(50));
    }
    if (call->failure)
        std::rethrow_exception(call->failure);
    return true;
}

} // namespace base
