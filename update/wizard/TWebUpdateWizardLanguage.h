#pragma once

#include <QObject>
#include <QString>

namespace wizard {

// A text set of the update wizard: the 28 texts its window shows. A new set holds the English texts;
// Assign copies all texts from another set.
class TWebUpdateWizardLanguage : public QObject
{
    Q_OBJECT
public:
    explicit TWebUpdateWizardLanguage(QObject* parent = nullptr);

    virtual void Assign(const TWebUpdateWizardLanguage& source);

    QString Welcome;
    QString StartButton;
    QString NextButton;
    QString ExitButton;
    QString RestartButton;
    QString CancelButton;
    QString FailedDownload;
    QString GetUpdateButton;
    QString NewVersionFound;
    QString NewVersion;
    QString NoNewVersionAvail;
    QString NewVersionAvail;
    QString CurrentVersion;
    QString NoFilesFound;
    QString NoUpdateOnServer;
    QString CannotConnect;
    QString WhatsNew;
    QString License;
    QString AcceptLicense;
    QString NotAcceptLicense;
    QString ComponentsAvail;
    QString DownloadingFiles;
    QString CurrentProgress;
    QString TotalProgress;
    QString UpdateComplete;
    QString RestartInfo;
    QString WhatsNewPopup;
    QString LicensePopup;
};

} // namespace wizard
