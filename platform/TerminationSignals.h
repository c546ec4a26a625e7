#pragma once

#include <functional>

// Turns SIGTERM, SIGINT and SIGHUP into a call on the main thread, so that the program shuts down in
// order (threads stopped, database closed) instead of dying in the middle of a write or hanging in the
// database engine's own handlers. A second signal before the first is handled ends the process at once.
namespace platform {

// Call once on the main thread with a QCoreApplication.
void installTerminationHandler(std::function<void()> onTerminate);

// Puts our handlers back after the embedded database engine has put in its own, which it does when it
// first attaches a database. Does nothing when no handler was installed (tests).
void reassertTerminationHandler();

} // namespace platform
