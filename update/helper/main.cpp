// upd: the restart helper. Started by the application just before it ends; installs the downloaded
// components once the application is gone and starts it again. No window.
#include "platform/Platform.h"
#include "update/helper/RestartHelper.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RestartEnvironment environment;
    environment.appDir = QDir::currentPath();
    environment.startDetached = [](const QString& program, const QStringList& arguments) {
        return platform::startDetached(program, arguments, QDir::currentPath());
    };
    const RestartOutcome outcome = runRestartHelper(app.arguments().mid(1), environment);
    return outcome == RestartOutcome::BadCommandLine ? 2 : 0;
}
