#pragma once

#include "update/helper/ComponentInstaller.h"
#include "update/helper/ProcessWaiter.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace helper {

// The restart helper's whole run: wait for the application to end, install the components named on the
// command line, start the application again. The outside world (waiting, sleeping, starting programs)
// comes in through RestartEnvironment so that tests can run it in a temporary directory.
//
// Command line: PID  L|X  RESTART-COMMAND|null  COMPONENT...
struct RestartEnvironment
{
    QString appDir;
    std::chrono::milliseconds waitLimit = std::chrono::minutes(10);
    std::function<helper::WaitResult(qint64 pid, std::chrono::milliseconds limit)> waitForExit =
        helper::waitForProcessEnd;
    std::function<void(int milliseconds)> sleep;
    // Starts a program without waiting; false when it could not be started.
    std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
    // Runs a setup program and waits for it (default: a real process).
    ComponentInstaller::ProgramRunner runProgram;
};

enum class RestartOutcome
{
    BadCommandLine, // nothing was done
    Restarted,
    NotRestarted // "null", or the start failed
};

RestartOutcome runRestartHelper(const QStringList& arguments, const RestartEnvironment& environment);

// Splits the restart command into a program and its arguments. The application directory is written
// unquoted in front of the program name, so blanks in it are resolved the way Windows does: the shortest
// leading part that names an existing file is the program.
QPair<QString, QStringList> splitRestartCommand(const QString& command);

} // namespace helper
