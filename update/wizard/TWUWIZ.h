#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace wizard {

class TWebUpdateWizardLanguage;
class WizardEngine;

// The update wizard's window: seven pages without tabs, each with one step button, driven forward only.
// Its handlers call the engine's steps one by one; the window holds no update logic of its own.
class TWUWIZ : public QDialog
{
    Q_OBJECT
public:
    explicit TWUWIZ(QWidget* parent = nullptr);

    // Components (object names as on the form).
    QFrame* Shape1;
    QLabel* Billboard;
    QStackedWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;
    QWidget* TabSheet5;
    QWidget* TabSheet6;
    QWidget* TabSheet7;
    QLabel* WelcomeLabel;
    QPushButton* StartButton;
    QLabel* VersionInfoLabel;
    QPushButton* ControlButton;
    QLabel* Label1;
    QPlainTextEdit* WhatsNewMemo;
    QPushButton* NewButton;
    QLabel* Label2;
    QPlainTextEdit* EULAMemo;
    QRadioButton* RAccept;
    QRadioButton* RNoAccept;
    QPushButton* EULAButton;
    QLabel* Label3;
    QListWidget* CheckListBox1;
    QPushButton* FilesButton;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* FileLabel;
    QProgressBar* FileProgress;
    QLabel* Label6;
    QProgressBar* TotalProgress;
    QPushButton* CancelButton;
    QLabel* Label7;
    QLabel* Label8;
    QPushButton* RestartButton;
    QMenu* PopupMenu1;
    QMenu* PopupMenu2;
    QAction* ViewinNotepad1;
    QAction* ViewinNotepad2;

    // The form's state.
    WizardEngine* engine = nullptr;
    bool cancelFlag = false;
    bool AutoRun = false;
    bool AutoStart = false;

    // Puts a text set's texts into the controls and keeps those needed later.
    void applyTexts(const TWebUpdateWizardLanguage& texts);

    // Handlers.
    void FormActivate();
    void StartButtonClick();
    void ControlButtonClick();
    void NewButtonClick();
    void RAcceptClick();
    void EULAButtonClick();
    void FilesButtonClick();
    void CancelButtonClick();
    void RestartButtonClick();
    void ViewinNotepad1Click();
    void ViewinNotepad2Click();
    void WebUpdateFileProgress(const QString& fileName, qint64 pos, qint64 size);
    bool WebUpdateCancel() const { return cancelFlag; }

    // Internal operations.
    void FitButton(QPushButton* button);
    void CloseWizard();
    void Pause();
    void FillComponentList();
    bool FilesLeft();

    // True once the window has been closed by the wizard or the user.
    bool isClosed() const { return m_closed; }
    // How long Pause lets pass.
    static constexpr int PauseMilliseconds = 350;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    void showPage(int index);
    void showMessage(const QString& text);
    void saveAndOpen(const QPlainTextEdit* memo, const QString& fileName);
    void setVerdictText(int verdict);
    bool offerLicense();
    bool pauseOnPage();
    void offerComponents();
    QPushButton* stepButton(QWidget* page, const QString& name);
    QLabel* label(QWidget* page, const QString& name, int x, int y);
    QPlainTextEdit* memo(QWidget* page, const QString& name, QMenu* menu);

    // Texts kept from the text set.
    QString m_newVersionFound;
    QString m_newVersion;
    QString m_currentVersion;
    QString m_noNewVersionAvail;
    QString m_newVersionAvail;
    QString m_getUpdateButton;
    QString m_exitButton;
    QString m_noFilesFound;
    QString m_cannotConnect;
    QString m_noUpdateOnServer;
    QString m_nextButton;
    QString m_failedDownload;
    QString m_whatsNewPopup;
    QString m_licensePopup;

    bool m_closed = false;
    // True while the engine transfers (control file, release notes, licence, files): closing then cancels.
    bool m_transferring = false;
    template <typename Step> auto transfer(Step step)
    {
        m_transferring = true;
        struct Reset
        {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{m_transferring};
        return step();
    }
    bool m_activationSeen = false;
};

} // namespace wizard
