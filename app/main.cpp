#include "app/TfrmMain.h"
#include "app/VelkornApplication.h"
#include "platform/Platform.h"

int main(int argc, char** argv)
{
    VelkornApplication application(argc, argv);
    application.setApplicationName("Velkorn");
    application.setApplicationDisplayName("Velkorn");
    TfrmMain frmMain(platform::executableDir());
    frmMain.showMaximized();
    return application.exec();
}
