#include "app/TfrmMain.h"
#include "app/VelkornApplication.h"
#include "platform/Platform.h"

int main(int argc, char** argv)
{
    VelkornApplication application(argc, argv);
    application.setApplicationName("Velkorn");
    TfrmMain frmMain(platform::executableDir());
    // Testing aid: VELKORN_LANGUAGE=en|de|tr answers the language dialog, for unattended runs and screenshots.
    const QString language = qEnvironmentVariable("VELKORN_LANGUAGE");
    if (language == "en" || language == "de" || language == "tr")
        frmMain.languageSelector = [language] { return language; };
    frmMain.showMaximized();
    return application.exec();
}
