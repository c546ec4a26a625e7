#include "update/wizard/TWebUpdateWizardGerman.h"

namespace wizard {

TWebUpdateWizardGerman::TWebUpdateWizardGerman(QObject* parent) : TWebUpdateWizardLanguage(parent)
{
    Welcome = QStringLiteral("Klicken Sie auf Start, um mit der Updateprüfung zu beginnen...");
    StartButton = QStringLiteral("Start");
    NextButton = QStringLiteral("Weiter");
    ExitButton = QStringLiteral("Verlassen");
    RestartButton = QStringLiteral("Neu starten");
    CancelButton = QStringLiteral("Abbruch");
    GetUpdateButton = QStringLiteral("Update");
    NewVersionFound = QStringLiteral("Neue Version gefunden");
    NewVersion = QStringLiteral("Neue Version");
    NoNewVersionAvail = QStringLiteral("Keine neue Version verfügbar.");
    NewVersionAvail = QStringLiteral("Neue Version verfügbar");
    CurrentVersion = QStringLiteral("Aktuelle Version");
    NoFilesFound = QStringLiteral("Auf dem Server wurden keine Dateien gefunden");
    NoUpdateOnServer = QStringLiteral("Kein Update vorhanden auf Server ...");
    CannotConnect = QStringLiteral("Konnte den Updateserver nicht erreichen oder");
    WhatsNew = QStringLiteral("Was ist neu?");
    License = QStringLiteral("Lizenzvereinbar;ung");
    AcceptLicense = QStringLiteral("Ich nehme an");
    NotAcceptLicense = QStringLiteral("Ich lehne ab");
    ComponentsAvail = QStringLiteral("Verfügbare Anwendungskomponenten");
    DownloadingFiles = QStringLiteral("Lade Dateien");
    CurrentProgress = QStringLiteral("Verlauf Dateidownload");
    TotalProgress = QStringLiteral("Verlauf Update");
    UpdateComplete = QStringLiteral("Update ist komplett ...");
    RestartInfo = QStringLiteral("Bestätigen Sie den Neustart, um die neue Anwendung zu starten.");
}

} // namespace wizard
