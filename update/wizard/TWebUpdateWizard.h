#pragma once

#include <QFont>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <functional>

namespace update {
class TWebUpdate;
} // namespace update

namespace wizard {

class TWebUpdateWizardLanguage;
class TWUWIZ;
class WizardEngine;

// Leads the user through one update run of the engine in the modal window TWUWIZ.
class TWebUpdateWizard : public QObject
{
    Q_OBJECT
public:
    enum TFormBorderStyle
    {
        bsNone,
        bsSingle,
        bsSizeable,
        bsDialog,
        bsToolWindow,
        bsSizeToolWin
    };
    enum TPosition
    {
        poDesigned,
        poScreenCenter,
        poMainFormCenter
    };

    explicit TWebUpdateWizard(QObject* parent = nullptr);
    ~TWebUpdateWizard() override;

    bool AutoStart = false;
    bool AutoRun = false;
    QPixmap BillBoard;
    QString Caption;
    QFont Font;
    // Cleared by themselves when the text set or the engine is destroyed.
    QPointer<TWebUpdateWizardLanguage> Language;
    QPointer<update::TWebUpdate> WebUpdate;
    TPosition Position = poScreenCenter;
    TFormBorderStyle BorderStyle = bsDialog;

    // Shows the wizard modally and returns when it has closed. Throws std::runtime_error
    // "No WebUpdate component assigned" when there is no engine.
    void Execute();

    // Drives this engine instead of WebUpdate (tests use a scripted engine). Not owned.
    void setWizardEngine(WizardEngine* engine) { m_engine = engine; }
    // Called with the window after it is set up and before it is shown (tests, screenshots).
    std::function<void(TWUWIZ&)> onFormReady;

private:
    WizardEngine* m_engine = nullptr;
};

} // namespace wizard
