#include "app/ApplicationUpdate.h"
#include "app/TfrmMain.h"
#include "app/UpdateRecovery.h"
#include "app/VelkornApplication.h"
#include "catalog/CatalogLocation.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QTimer>

using app::TfrmMain;
using app::VelkornApplication;

int main(int argc, char** argv)
{
    // First of all, before anything opens the catalog: an update that was cut short is undone.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString updateNotice = app::recoverInterruptedUpdate(platform::executableDir(), arguments);
    if (updateNotice.isEmpty() && app::ApplicationUpdate::takeRollBackNotice())
        updateNotice = QStringLiteral("updateRolledBack");

    VelkornApplication application(argc, argv);
    application.setApplicationName("Velkorn");
    TfrmMain frmMain(platform::executableDir());
    frmMain.setCatalogLocation(catalog::CatalogLocation::fromSettings(platform::executableDir()));
    frmMain.startupNotice = updateNotice;
    // Testing aid: VELKORN_LANGUAGE=en|de|tr answers the language dialog, for unattended runs and screenshots.
    const QString language = qEnvironmentVariable("VELKORN_LANGUAGE");
    if (language == "en" || language == "de" || language == "tr")
        frmMain.languageSelector = [language] { return language; };
    // A termination request (logout, shutdown) runs the window's shutdown itself rather than asking the windows to
    // close: an open update dialog cannot refuse it, and the shutdown ends every event loop, the dialogs' too.
    platform::installTerminationHandler([&frmMain] { frmMain.FormClose(); });
    frmMain.showMaximized();
    // After an update the restart helper waits for this version to say that it came up, or rolls the update back.
    QTimer::singleShot(0, [] { app::ApplicationUpdate::confirmStart(); });
    return application.exec();
}
