#pragma once

#include <QElapsedTimer>
#include <QThread>

#include <functional>

// Polls `condition` every 50 ms until it holds or `milliseconds` have passed; true when it held. For end-to-end
// tests that watch other processes (their output, their files) from outside.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QThread::msleep(50);
    }
    return true;
}
