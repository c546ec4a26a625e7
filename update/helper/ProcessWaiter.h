#pragma once

#include <QtGlobal>

#include <chrono>

// Waits for another process to end without being fooled by a reused process id: on Linux through a
// pidfd (pidfd_open + poll), else by watching the start time in /proc.
namespace helper {

enum class WaitResult
{
    Ended,    // the process was there and has ended
    NotFound, // no such process (or an id that cannot name one)
    TimedOut  // still running when the limit was reached
};

WaitResult waitForProcessEnd(qint64 pid, std::chrono::milliseconds limit);

// The fallback where pidfds are not available: the process has ended when its /proc entry is gone, a
// zombie, or carries another start time (the id was reused).
WaitResult waitByStartTime(qint64 pid, std::chrono::milliseconds limit);

} // namespace helper
