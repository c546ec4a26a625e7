#include "update/wizard/TWebUpdateWizardLanguage.h"

namespace wizard {

TWebUpdateWizardLanguage::TWebUpdateWizardLanguage(QObject* parent)
    : QObject(parent), Welcome(QStringLiteral("Press start to start checking for available application updates ...")),
      StartButton(QStringLiteral("Start")), NextButton(QStringLiteral("Next")), ExitButton(QStringLiteral("Exit")),
      RestartButton(QStringLiteral("Restart")), CancelButton(QStringLiteral("Cancel")),
      FailedDownload(QStringLiteral("Failed to download updates")), GetUpdateButton(QStringLiteral("Get update")),
      NewVersionFound(QStringLiteral("New version found")), NewVersion(QStringLiteral("New version")),
      NoNewVersionAvail(QStringLiteral("No new version available.")),
      NewVersionAvail(QStringLiteral("New version available.")), CurrentVersion(QStringLiteral("Current version")),
      NoFilesFound(QStringLiteral("No files found for update")),
      NoUpdateOnServer(QStringLiteral("no update found on server ...")),
      CannotConnect(QStringLiteral("Could not connect to update server or")), WhatsNew(QStringLiteral("What's new")),
      License(QStringLiteral("License agreement")), AcceptLicense(QStringLiteral("I accept")),
      NotAcceptLicense(QStringLiteral("I do not accept")),
      ComponentsAvail(QStringLiteral("Available application components")),
      DownloadingFiles(QStringLiteral("Downloading files")), CurrentProgress(QStringLiteral("Current file progress")),
      TotalProgress(QStringLiteral("Total file progress")), UpdateComplete(QStringLiteral("Update completed ...")),
      RestartInfo(QStringLiteral("Press restart to start the updated application.")),
      WhatsNewPopup(QStringLiteral("View in Notepad")), LicensePopup(QStringLiteral("View in Notepad"))
{
}

void TWebUpdateWizardLanguage::Assign(const TWebUpdateWizardLanguage& s)
{
    Welcome = s.Welcome;
    StartButton = s.StartButton;
    NextButton = s.NextButton;
    ExitButton = s.ExitButton;
    RestartButton = s.RestartButton;
    CancelButton = s.CancelButton;
    FailedDownload = s.FailedDownload;
    GetUpdateButton = s.GetUpdateButton;
    NewVersionFound = s.NewVersionFound;
    NewVersion = s.NewVersion;
    NoNewVersionAvail = s.NoNewVersionAvail;
    NewVersionAvail = s.NewVersionAvail;
    CurrentVersion = s.CurrentVersion;
    NoFilesFound = s.NoFilesFound;
    NoUpdateOnServer = s.NoUpdateOnServer;
    CannotConnect = s.CannotConnect;
    WhatsNew = s.WhatsNew;
    License = s.License;
    AcceptLicense = s.AcceptLicense;
    NotAcceptLicense = s.NotAcceptLicense;
    ComponentsAvail = s.ComponentsAvail;
    DownloadingFiles = s.DownloadingFiles;
    CurrentProgress = s.CurrentProgress;
    TotalProgress = s.TotalProgress;
    UpdateComplete = s.UpdateComplete;
    RestartInfo = s.RestartInfo;
    WhatsNewPopup = s.WhatsNewPopup;
    LicensePopup = s.LicensePopup;
}

} // namespace wizard
