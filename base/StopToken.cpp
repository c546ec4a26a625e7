#include "base/StopToken.h"

#include <QThread>

namespace base {

bool StopToken::stopRequested() const
{
    return raised() || QThread::currentThread()->isInterruptionRequested();
}

} // namespace base
