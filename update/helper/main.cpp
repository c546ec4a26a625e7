// upd: the restart helper. Started by the application just before it ends; installs the downloaded
// components once the application is gone and starts it again. No window.
#include "platform/Platform.h"
#include "update/helper/RestartHelper.h"

#include <QCoreApplication>
#include <QDir>

#include <dirent.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <vector>

using helper::RestartEnvironment;
using helper::RestartOutcome;
using helper::runRestartHelper;

namespace {

// The application's open files, its catalog database among them with the database's locks, are inherited by this
// process and would be handed on to the restarted application, which then finds its own database locked. Only
// the standard streams are kept.
void closeInheritedFiles()
{
    std::vector<int> inherited;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir)) {
            const int fd = std::atoi(entry->d_name);
            if (fd > 2 && fd != ::dirfd(dir))
                inherited.push_back(fd);
        }
        ::closedir(dir);
    }
    for (int fd : inherited)
        ::close(fd);
}

} // namespace

int main(int argc, char** argv)
{
    closeInheritedFiles();
    QCoreApplication app(argc, argv);
    RestartEnvironment environment;
    environment.appDir = QDir::currentPath();
    environment.startDetached = [](const QString& program, const QStringList& arguments) {
        return platform::startDetached(program, arguments, QDir::currentPath());
    };
    // Testing aid: VELKORN_UPDATE_KILL_AFTER=k ends the helper at once after the k-th file it has put in place, as a
    // power cut would, so that tests can see the next start undo the install.
    bool killAfterSet = false;
    const int killAfter = qEnvironmentVariableIntValue("VELKORN_UPDATE_KILL_AFTER", &killAfterSet);
    if (killAfterSet && killAfter > 0)
        environment.afterPlacing = [killAfter](int placed) {
            if (placed == killAfter)
                std::raise(SIGKILL);
        };
    const RestartOutcome outcome = runRestartHelper(app.arguments().mid(1), environment);
    return outcome == RestartOutcome::BadCommandLine ? 2 : 0;
}
