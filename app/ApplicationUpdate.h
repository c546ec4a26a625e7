#pragma once

#include "base/StopToken.h"
#include "i18n/Language.h"
#include "update/wizard/TWUWIZ.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QWidget;
namespace update {
class TWebUpdate;
} // namespace update
namespace wizard {
class TWebUpdateWizard;
} // namespace wizard
namespace wizard {
class TWebUpdateWizardLanguage;
} // namespace wizard

namespace app {

// The hand-off from the catalog synchronisation to the application update. At the end of every synchronisation
// run the engine `upd` is pointed at the update server and asked, on the synchronisation thread, whether a newer
// version exists; when one does, the wizard `WebUpdateWizard1` runs on the main thread while that thread waits.
// Holds the main window's update components (`upd`, `WebUpdateWizard1`, `upden`, `updde`, `updtr`).
//
// Shutdown calls stop(): a running check is aborted, an open wizard is closed and a waiting hand-off returns, so
// the window can wait for the synchronisation thread without deadlocking on it.
class ApplicationUpdate : public QObject
{
    Q_OBJECT
public:
    enum class Result
    {
        NoNewVersion, // the check answered no (or could not reach the server)
        WizardClosed, // a newer version was found and the wizard has closed
        Failed,       // a failure ended the hand-off; it is ignored
        Stopped       // shutdown came first
    };

    // `mainWindow` parents the wizard's window; `applicationDir` becomes the current directory for the update run;
    // `stop` is the window's stop when it hands one down (stop() raises it). Lives on the main thread.
    ApplicationUpdate(QWidget* mainWindow, const QString& applicationDir, base::StopSource stop = {});
    ~ApplicationUpdate() override;

    // Right after an update, once the window is shown: tells the restart helper that this version came up (it
    // rolls the update back otherwise).
    static void confirmStart();
    // True once, when the restart helper rolled an update back and started this version again; the user is told
    // after the language is chosen.
    static bool takeRollBackNotice();

    // The language whose text set the wizard shows.
    void setLanguage(const i18n::Language& language);
    // The update server, "host[:port]" (http) or "https://host[:port]". Default: app::updateServerHost().
    void setHost(const QString& host);

    // The synchronisation's last step. Called on the synchronisation thread; also works on the main thread.
    // Returns once the check said no, the wizard has closed or a stop was requested. Never throws.
    Result handOff();

    // For the window's shutdown, on the main thread: aborts a running check, closes an open wizard and lets a
    // waiting hand-off return. Hand-offs after this return Stopped at once.
    void stop();
    bool stopRequested() const;

    // Testing aid for unattended runs: the wizard starts and goes on by itself, accepts the licence, and the
    // engine's questions are answered Yes; message boxes are written to standard error instead of shown.
    // Switched on by the environment variable VELKORN_UPDATE_UNATTENDED=1.
    void setUnattended(bool unattended);
    bool unattended() const { return m_unattended; }
    // Testing aid for runs that are ended from outside while the update waits: the wizard starts and goes on by
    // itself, but every dialog is shown and waits for the user, the licence page too, and each wizard page and each
    // dialog is named on standard error as it appears. Switched on by VELKORN_UPDATE_UNATTENDED=dialogs.
    void showDialogsUnattended();

    // The wizard's window while it is open (tests drive it through this).
    wizard::TWUWIZ* wizardWindow() const { return m_form; }

    update::TWebUpdate* upd = nullptr;
    wizard::TWebUpdateWizard* WebUpdateWizard1 = nullptr;
    wizard::TWebUpdateWizardLanguage* upden = nullptr;
    wizard::TWebUpdateWizardLanguage* updde = nullptr;
    wizard::TWebUpdateWizardLanguage* updtr = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Shared;

    bool runOnMainThreadAndWait(const std::function<void()>& fn);
    void runWizard(const std::optional<i18n::Language>& language);
    void prepareForm(wizard::TWUWIZ& form);

    QString m_applicationDir;
    mutable std::mutex m_mutex;
    std::optional<i18n::Language> m_language;
    QString m_host;
    std::shared_ptr<Shared> m_shared;
    QPointer<wizard::TWUWIZ> m_form;
    bool m_unattended = false;
    bool m_namingDialogs = false;
};

} // namespace app
