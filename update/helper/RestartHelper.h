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
    // Starts the new version and answers whether it came up: it says so by creating the file named in its
    // environment variable VELKORN_UPDATE_MARKER once its window is shown. A program that ends first, or does not
    // report within the limit, did not come up (and is ended). Default: startAndWatch below.
    std::function<bool(const QString& program, const QStringList& arguments, const QString& marker)> startWatched;
    std::chrono::milliseconds startLimit = std::chrono::seconds(30);
    // Called after each file the install has put in place, with the number placed so far. A testing aid: the
    // helper's program ends itself there at once when VELKORN_UPDATE_KILL_AFTER names that number, as a power cut
    // would end it.
    std::function<void(int placed)> afterPlacing;
};

// The program that the update replaced sees this variable set to "1" when the new version did not come up and
// the update was rolled back; it tells the user so.
inline const char* const RolledBackVariable = "VELKORN_UPDATE_ROLLED_BACK";
inline const char* const MarkerVariable = "VELKORN_UPDATE_MARKER";

// Starts program detached with MarkerVariable set to marker and waits, at most limit, for the marker or the
// program's end; a program still running without having reported is killed.
bool startAndWatch(const QString& program, const QStringList& arguments, const QString& marker,
                   std::chrono::milliseconds limit);

enum class RestartOutcome
{
    BadCommandLine, // nothing was done
    Restarted,
    NotRestarted, // "null", or the start failed
    RolledBack    // the new version did not come up: the old files are back and the old version was started
};

RestartOutcome runRestartHelper(const QStringList& arguments, const RestartEnvironment& environment);

// Splits the restart command into a program and its arguments. The application directory is written
// unquoted in front of the program name, so blanks in it are resolved the way Windows does: the shortest
// leading part that names an existing file is the program.
QPair<QString, QStringList> splitRestartCommand(const QString& command);

} // namespace helper
