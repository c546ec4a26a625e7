#include "update/wizard/TWebUpdateWizard.h"

#include "update/TWebUpdate.h"
#include "update/wizard/TWUWIZ.h"
#include "update/wizard/TWebUpdateEngineAdapter.h"
#include "update/wizard/TWebUpdateWizardEnglish.h"
#include "update/wizard/UpdateQuestion.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <memory>
#include <stdexcept>

namespace wizard {

namespace {

// Puts the engine's own event handlers back however the window ends.
class EventRestorer
{
public:
    explicit EventRestorer(WizardEngine& engine)
        : m_engine(engine), m_progress(engine.fileProgressHandler()), m_cancel(engine.cancelHandler())
    {
    }
    ~EventRestorer()
    {
        m_engine.setFileProgressHandler(m_progress);
        m_engine.setCancelHandler(m_cancel);
    }

private:
    WizardEngine& m_engine;
    WizardEngine::FileProgressHandler m_progress;
    WizardEngine::CancelHandler m_cancel;
};

} // namespace

TWebUpdateWizard::TWebUpdateWizard(QObject* parent) : QObject(parent), Font(QStringLiteral("Verdana"))
{
    Font.setPointSize(9);
    Font.setBold(true);
}

TWebUpdateWizard::~TWebUpdateWizard() = default;

void TWebUpdateWizard::Execute()
{
    std::unique_ptr<TWebUpdateEngineAdapter> adapter;
    WizardEngine* engine = m_engine;
    if (!engine) {
        if (!WebUpdate)
            throw std::runtime_error("No WebUpdate component assigned");
        wizard::supplyEngineDialogs(*WebUpdate);
        adapter = std::make_unique<TWebUpdateEngineAdapter>(*WebUpdate);
        engine = adapter.get();
    }

    TWUWIZ form(qobject_cast<QWidget*>(parent()));
    if (BorderStyle == bsNone)
        form.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    if (!BillBoard.isNull())
        form.Billboard->setPixmap(BillBoard);
    form.setFont(Font);

    if (Language) {
        form.applyTexts(*Language);
    } else {
        const TWebUpdateWizardEnglish english;
        form.applyTexts(english);
    }

    if (BorderStyle == bsNone)
        form.setFixedSize(form.Shape1->size() + QSize(2, 2));

    form.AutoRun = AutoRun;
    form.AutoStart = AutoStart;

    const EventRestorer restorer(*engine);
    engine->setFileProgressHandler([&form](QObject*, const QString& fileName, qint64 pos, qint64 size) {
        form.WebUpdateFileProgress(fileName, pos, size);
    });
    engine->setCancelHandler([&form](QObject*, bool& cancel) { cancel = form.WebUpdateCancel(); });
    form.cancelFlag = false;
    form.engine = engine;

    form.setWindowTitle(Caption);
    if (Position != poDesigned) {
        QWidget* owner = form.parentWidget();
        const QRect area = Position == poMainFormCenter && owner ? owner->window()->frameGeometry()
                           : form.screen()                       ? form.screen()->availableGeometry()
                                                                 : QRect();
        if (area.isValid())
            form.move(area.center() - form.rect().center());
    }
    if (onFormReady)
        onFormReady(form);
    form.exec();
    // The application's exit (a termination signal during a transfer) ends the loop without the wizard closing
    // the session; close it here, or the control file and its signature stay in the temporary folder.
    if (!form.isClosed())
        engine->CloseSession();
}

} // namespace wizard
