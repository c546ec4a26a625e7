#include "app/ApplicationUpdate.h"
#include "app/TfrmMain.h"
#include "app/VelkornApplication.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QTimer>

using app::TfrmMain;
using app::VelkornApplication;

int main(int argc, char** argv)
{
    VelkornApplication application(argc, argv);
    application.setApplicationName("Velkorn");
    TfrmMain frmMain(platform::executableDir());
    // Testing aid: VELKORN_LANGUAGE=en|de|tr answers the language dialog, for unattended runs and screenshots.
    const QString language = qEnvironmentVariable("VELKORN_LANGUAGE");
    if (language == "en" || language == "de" || language == "tr")
        frmMain.languageSelector = [language] { return language; };
    // A termination request closes every window, which runs the same shutdown as the close button.
    platform::installTerminationHandler([&application] {
        QApplication::closeAllWindows();
        application.quit();
    });
    frmMain.showMaximized();
    // After an update the restart helper waits for this version to say that it came up, or rolls the update back.
    QTimer::singleShot(0, [] { app::ApplicationUpdate::confirmStart(); });
    return application.exec();
}
