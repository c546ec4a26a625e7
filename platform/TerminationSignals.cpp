#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_pending = 0;
std::function<void()>* g_callback = nullptr;

void onSignal(int)
{
    if (g_pending)
        _exit(1); // the first request was not served: the main thread is stuck
    g_pending = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

void installHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}
} // namespace

void installTerminationHandler(std::function<void()> onTerminate)
{
    if (!g_callback) {
        if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        g_callback = new std::function<void()>(std::move(onTerminate));
        auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read);
        QObject::connect(notifier, &QSocketNotifier::activated, [] {
            char byte;
            while (::read(g_pipe[0], &byte, 1) > 0) {
            }
            (*g_callback)();
        });
    }
    installHandlers();
}

void reassertTerminationHandler()
{
    if (g_callback)
        installHandlers();
}

} // namespace platform
