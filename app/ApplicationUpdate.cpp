#include "app/ApplicationUpdate.h"

#include "base/PathRules.h"

#include "app/ServerHosts.h"
#include "base/MainThread.h"
#include "update/CatalogUpdateSettings.h"
#include "update/TWebUpdate.h"
#include "update/wizard/TLoginForm.h"
#include "update/wizard/TWUWIZ.h"
#include "update/wizard/TWebUpdateWizard.h"
#include "update/wizard/TWebUpdateWizardEnglish.h"
#include "update/wizard/TWebUpdateWizardGerman.h"
#include "update/wizard/TWebUpdateWizardLanguage.h"
#include "update/wizard/UpdateQuestion.h"
#include "update/wizard/WizardTextSets.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QRadioButton>
#include <QStackedWidget>
#include <QThread>
#include <QUrl>
#include <QWidget>

#include <condition_variable>
#include <cstdio>
#include <memory>

using i18n::Language;
using update::TWebUpdate;
using wizard::createUpdde;
using wizard::createUpden;
using wizard::createUpdtr;
using wizard::TLoginForm;
using wizard::TWebUpdateWizard;
using wizard::TWebUpdateWizardLanguage;
using wizard::TWUWIZ;

namespace app {

// What a hand-off on another thread and the objects it leaves behind share; outlives this object.
struct ApplicationUpdate::Shared
{
    explicit Shared(base::StopSource source) : stop(std::move(source)) {}
    base::StopSource stop;
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0; // hand-offs under way; destruction waits for them

    void enter()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        ++running;
    }
    void leave()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        --running;
        idle.notify_all();
    }
};

namespace {

void writeToStandardError(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

ApplicationUpdate::ApplicationUpdate(QWidget* mainWindow, const QString& applicationDir, base::StopSource stop)
    : QObject(mainWindow), m_applicationDir(applicationDir), m_host(app::updateServerHost()),
      m_shared(std::make_shared<Shared>(std::move(stop)))
{
    setObjectName(QStringLiteral("applicationUpdate"));

    upd = new TWebUpdate(mainWindow);
    update::applyCatalogSettings(*upd);
    // Transfers of the check run on the synchronisation thread: a shutdown (stop(), or the thread's interruption
    // by the synchronisation's own stop) must be able to end one that waits on a silent server.
    upd->stopToken = m_shared->stop.token();
    // The engine's dialogs are windows on the main thread, also when the check on the synchronisation thread asks.
    // A shutdown lets the asking thread go on while the dialog is still open, so the dialog owns what it reads and
    // writes; its answer counts only when it came back in time.
    upd->showMessage = [this](const update::Message& message) {
        runOnMainThreadAndWait([message] { wizard::showEngineMessage(message); });
    };
    upd->askQuestion = [this](const update::Question& question) {
        const auto yes = std::make_shared<bool>(false);
        return runOnMainThreadAndWait([question, yes] { *yes = wizard::askYesNo(question); }) && *yes;
    };
    upd->loginPrompt = [this](const QString& caption, QString& user, QString& password) {
        struct Login
        {
            QString user, password;
            bool ok = false;
        };
        const auto login = std::make_shared<Login>(Login{user, password});
        if (!runOnMainThreadAndWait(
                [caption, login] { login->ok = TLoginForm::ask(caption, login->user, login->password); }) ||
            !login->ok)
            return false;
        user = login->user;
        password = login->password;
        return true;
    };

    upden = createUpden(mainWindow);
    updde = createUpdde(mainWindow);
    updtr = createUpdtr(mainWindow);

    WebUpdateWizard1 = new TWebUpdateWizard(mainWindow);
    WebUpdateWizard1->setObjectName(QStringLiteral("WebUpdateWizard1"));
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(12);
    font.setBold(true);
    WebUpdateWizard1->Font = font;
    WebUpdateWizard1->WebUpdate = upd;
    WebUpdateWizard1->onFormReady = [this](TWUWIZ& form) { prepareForm(form); };

    const QString unattended = qEnvironmentVariable("VELKORN_UPDATE_UNATTENDED");
    if (unattended == QLatin1String("1"))
        setUnattended(true);
    else if (unattended == QLatin1String("dialogs"))
        showDialogsUnattended();
}

ApplicationUpdate::~ApplicationUpdate()
{
    stop();
    // A hand-off still running on another thread uses upd; it returns soon after the stop.
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->idle.wait(lock, [this] { return m_shared->running == 0; });
}

void ApplicationUpdate::setLanguage(const Language& language)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_language = language;
}

void ApplicationUpdate::setHost(const QString& host)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_host = host;
}

bool ApplicationUpdate::stopRequested() const
{
    return m_shared->stop.stopRequested();
}

void ApplicationUpdate::stop()
{
    m_shared->stop.requestStop();
    // Closing the wizard closes the engine's session. Inside a transfer (window messages are processed between its
    // blocks) that would pull the session from under it; the stop flag aborts the transfer instead, and the
    // application's exit then ends the wizard's loop.
    if (m_form && !upd->transferring())
        m_form->close();
}

ApplicationUpdate::Result ApplicationUpdate::handOff()
{
    const std::shared_ptr<Shared> shared = m_shared;
    shared->enter();
    struct Leave
    {
        Shared& shared;
        ~Leave() { shared.leave(); }
    } const leave{*shared};
    if (shared->stop.stopRequested())
        return Result::Stopped;

    std::optional<Language> language;
    QString host;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        language = m_language;
        host = m_host;
    }

    try {
        // {APP} in the control file is the current directory.
        if (!QDir::setCurrent(m_applicationDir))
            return Result::Failed;
        // "https://host[:port]" keeps its scheme; a bare host is spoken to over http.
        upd->URL = base::serverUrl(host, QStringLiteral("/velkorn.INF"));
        upd->Host = QUrl(upd->URL).authority();
        upd->UserID = QStringLiteral("update");
        upd->Password = QStringLiteral("refreshx");

        const bool newer = upd->HasNewVersion();
        if (shared->stop.stopRequested())
            return Result::Stopped;
        if (!newer)
            return Result::NoNewVersion;
        const bool ran = runOnMainThreadAndWait([this, language] { runWizard(language); });
        if (!ran || shared->stop.stopRequested())
            return Result::Stopped;
        return Result::WizardClosed;
    } catch (...) {
        // The update is an extra after the synchronisation: an unreachable server, a bad control file or an error
        // inside the wizard ends the hand-off silently, whatever its kind.
        return Result::Failed;
    }
}

void ApplicationUpdate::runWizard(const std::optional<Language>& language)
{
    // The text set is chosen here rather than on the synchronisation thread: only the wizard reads it, and only
    // on this thread. Without a language the wizard keeps the set it has.
    if (language)
        if (TWebUpdateWizardLanguage* texts = textSetForLanguage(language->code(), upden, updde, updtr))
            WebUpdateWizard1->Language = texts;
    WebUpdateWizard1->Execute();
}

void ApplicationUpdate::prepareForm(TWUWIZ& form)
{
    m_form = &form;
    if (m_unattended)
        form.RAccept->setChecked(true);
    if (m_namingDialogs)
        connect(form.PageControl1, &QStackedWidget::currentChanged, &form,
                [](int page) { writeToStandardError(QStringLiteral("velkorn: wizard page %1").arg(page)); });
}

bool ApplicationUpdate::runOnMainThreadAndWait(const std::function<void()>& fn)
{
    return base::runOnMainThreadAndWait(this, fn, m_shared->stop.token());
}

void ApplicationUpdate::setUnattended(bool unattended)
{
    m_unattended = unattended;
    WebUpdateWizard1->AutoStart = unattended;
    WebUpdateWizard1->AutoRun = unattended;
    if (!unattended) {
        wizard::setQuestionHandler({});
        widgets::setMessageBoxHandler({});
        return;
    }
    wizard::setQuestionHandler([](const update::Question& question) {
        writeToStandardError(QStringLiteral("velkorn: question answered Yes: ") + question.text);
        return true;
    });
    widgets::setMessageBoxHandler([](const widgets::BoxRequest& box) {
        writeToStandardError(QStringLiteral("velkorn: message: ") + box.caption + QStringLiteral(": ") + box.text);
    });
}

void ApplicationUpdate::showDialogsUnattended()
{
    setUnattended(false);
    WebUpdateWizard1->AutoStart = true;
    WebUpdateWizard1->AutoRun = true;
    if (!m_namingDialogs)
        qApp->installEventFilter(this);
    m_namingDialogs = true;
}

bool ApplicationUpdate::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        if (const auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isWindow()) {
            QString line =
                QStringLiteral("velkorn: dialog shown: ") + QString::fromLatin1(dialog->metaObject()->className());
            if (const auto* box = qobject_cast<const QMessageBox*>(dialog))
                line += QStringLiteral(": ") + box->windowTitle() + QStringLiteral(": ") + box->text();
            writeToStandardError(line);
        }
    }
    return QObject::eventFilter(watched, event);
}

void ApplicationUpdate::confirmStart()
{
    // The name is shared with the restart helper (update/helper/RestartHelper.h).
    const QByteArray marker = qgetenv("VELKORN_UPDATE_MARKER");
    if (marker.isEmpty())
        return;
    QFile started(QFile::decodeName(marker));
    if (!started.open(QIODevice::WriteOnly))
        qWarning("velkorn: cannot tell the restart helper that the update came up");
    qunsetenv("VELKORN_UPDATE_MARKER"); // not for programs started from here
}

bool ApplicationUpdate::takeRollBackNotice()
{
    // Set by the restart helper when it put the old files back and started this version again.
    if (qgetenv("VELKORN_UPDATE_ROLLED_BACK") != "1")
        return false;
    qunsetenv("VELKORN_UPDATE_ROLLED_BACK");
    return true;
}

} // namespace app
