#pragma once

#include "base/StopToken.h"

#include <functional>

class QObject;

namespace base {

// Runs `fn` on the thread of `context` (an object of the main thread) and waits for it; on that thread it runs at
// once. Returns false - without running `fn`, or without waiting for its end - once `stop` is raised or the calling
// thread is interrupted: a shutdown that waits for this thread while this thread waits for the main thread would
// otherwise deadlock. The call is dropped when `context` is destroyed before it runs. An exception thrown by `fn`
// is thrown again on the waiting thread.
bool runOnMainThreadAndWait(QObject* context, const std::function<void()>& fn, const StopToken& stop);

} // namespace base
