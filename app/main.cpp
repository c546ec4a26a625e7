#include "app/TfrmMain.h"
#include "app/VelkornApplication.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"

#include <QApplication>

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
    return application.exec();
}
