#include "app/TfrmMain.h"

#include "app/AccessibleTexts.h"
#include "app/AppArt.h"
#include "app/ApplicationUpdate.h"
#include "app/BackgroundJobs.h"
#include "app/CatalogPresenter.h"
#include "app/CatalogSeat.h"
#include "app/CatalogTools.h"
#include "app/CodeSuggestions.h"
#include "app/ComparePresenter.h"
#include "app/DatasheetActions.h"
#include "app/HistoryPresenter.h"
#include "app/MainWindowLayout.h"
#include "app/MeasurePresenter.h"
#include "app/PageControl.h"
#include "app/PictureBox.h"
#include "app/ServerHosts.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/PictureFiles.h"
#include "i18n/LanguageSelector.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "i18n/QtTranslations.h"
#include "i18n/SilentCancel.h"
#include "i18n/texts/BuiltInTexts.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"
#include "sync/CatalogSync.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>

#include <stdexcept>

using app::MainPage;
using i18n::Language;
using i18n::SelectLanguage;
using i18n::SilentCancel;
using i18n::TLngINISupp;
using i18n::TMsgINISupp;

namespace app {

TfrmMain::TfrmMain(const QString& applicationDir, QWidget* parent)
    : QWidget(parent), m_applicationDir(applicationDir), m_jobs(new BackgroundJobs(m_stop, this))
{
    if (!m_applicationDir.endsWith('/'))
        m_applicationDir += '/';
    m_catalogLocation = catalog::CatalogLocation::localFile(m_applicationDir + catalog::CatalogLocation::FileName);
    setObjectName("frmMain");
    setWindowTitle("Velkorn");
    languageSelector = [] { return SelectLanguage(); };
    LIS = new TLngINISupp(this);
    LIS->setObjectName("LIS");
    MIS = new TMsgINISupp(this);
    MIS->setObjectName("MIS");
    LIS->setApplicationDir(m_applicationDir);
    MIS->setApplicationDir(m_applicationDir);
    MIS->setLngINISupp(LIS);
    // The update components (upd, WebUpdateWizard1, upden, updde, updtr) and the hand-off that drives them.
    m_applicationUpdate = new ApplicationUpdate(this, m_applicationDir, m_stop);
    startFeedThread = [this] { startCatalogSync(); };
    m_layout = std::make_unique<app::MainWindowLayout>(this);
    m_presenter = new app::CatalogPresenter(
        *m_layout, currentGrid, [this](const QString& key) { return msg(key); }, this);
    const auto texts = [this](const QString& key) { return msg(key); };
    m_tools = new app::CatalogTools(
        *m_layout, texts, [this] { return m_language ? m_language->locale() : QLocale(); }, this);
    m_measure = new app::MeasurePresenter(*m_layout, *m_presenter, *m_tools, currentGrid, texts, this);
    m_datasheet = new app::DatasheetActions(
        *m_presenter, *m_layout, texts, [this] { return languageCode; }, this);
    m_compare = new app::ComparePresenter(*m_layout, *m_presenter, *m_datasheet, *m_tools->copying(), texts, this);
    m_compare->addContextMenu(m_measure->page().grdMeasure);
    m_compare->addContextMenu(m_measure->page().grdMeasureResults);
    m_history = new app::HistoryPresenter(*m_presenter, texts, this);
    wireHandlers();
    FormCreate();
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    // Hidden while everything the grids show is still alive; the children go after this body.
    hide();
    m_stop.requestStop();
    m_applicationUpdate->stop();
    if (m_seat)
        m_seat->stop();
    if (m_sync)
        m_sync->requestStopAndWait();
    m_jobs->stopAll();
    if (QSqlDatabase::contains(LocalDbConnection))
        catalog::closeDatabase(LocalDbConnection);
}

void TfrmMain::wireHandlers()
{
    for (QAction* entry : m_layout->btnStyle->actions())
        connect(entry, &QAction::triggered, this, [this, entry] { btnSTYLE1Click(entry->data().toInt()); });
    for (QAction* entry : m_layout->btnKullanim->actions())
        connect(entry, &QAction::triggered, this, [this, entry] { btnKullanim1Click(entry->data().toInt()); });
    connect(m_layout->btnProfile, &QAction::triggered, this, &TfrmMain::btnProfileClick);
    connect(m_layout->btnInstructions, &QAction::triggered, this, &TfrmMain::btnInstructionsClick);
    app::onImageButtonClick(m_layout->ImageButton1, this, [this] { ImageButton1Click(); });
    app::onImageButtonClick(m_layout->ImageButton2, this, [this] { btnSearchClick(); });
    app::onImageButtonClick(m_layout->btnSearch, this, [this] { btnSearchClick(); });
    app::onImageButtonClick(m_layout->btnPrev, this, [this] { btnPrevClick(); });
    app::onImageButtonClick(m_layout->btnNext, this, [this] { btnNextClick(); });
    for (auto it = m_layout->pageButtons.cbegin(); it != m_layout->pageButtons.cend(); ++it) {
        const int number = it.key();
        app::onImageButtonClick(it.value(), this, [this, number] { imageButtonClick(number); });
    }
    connect(m_layout->profile2scroll, &QScrollBar::valueChanged, this, &TfrmMain::profile2scrollScroll);
}

QSqlDatabase TfrmMain::localDb() const
{
    return QSqlDatabase::database(LocalDbConnection, false);
}

catalog::CatalogBrowser* TfrmMain::browser() const
{
    return m_presenter->browser();
}

catalog::BackgroundCodeIndex* TfrmMain::codeIndex() const
{
    return m_presenter->codeIndex();
}

CodeSuggestions* TfrmMain::codeSuggestions() const
{
    return m_presenter->codeSuggestions();
}

QString TfrmMain::columnCaption(const QString& column) const
{
    return m_presenter->columnCaption(column);
}

QAction* TfrmMain::menuEntry(const QString& name) const
{
    return m_layout->menuEntry(name);
}

QMenu* TfrmMain::subMenu(const QString& name) const
{
    return m_layout->subMenu(name);
}

// ---------------------------------------------------------------------------------------------------------------
// Start-up and shutdown

void TfrmMain::FormCreate()
{
    catalogHost = app::catalogServerHost();
    catalogSeparator = "/";
    catalogPath = QString();
}

void TfrmMain::setVisible(bool visible)
{
    // The window appears once start-up has given it its language: the first request to show it starts start-up
    // instead, from the event loop, and start-up shows the window when it has completed.
    if (visible && !m_startupDone) {
        if (!m_startupRequested) {
            m_startupRequested = true;
            QMetaObject::invokeMethod(this, &TfrmMain::FormShow, Qt::QueuedConnection);
        }
        return;
    }
    QWidget::setVisible(visible);
}

void TfrmMain::FormShow()
{
    try {
        runStartup();
    } catch (const SilentCancel&) {
        // A language component abandoned start-up silently; it has shown its own message already.
    }
}

void TfrmMain::step(const QString& name)
{
    m_steps.append(name);
}

void TfrmMain::terminateApplication()
{
    step("terminated");
    m_terminateRequested = true;
    QCoreApplication::exit(0);
}

void TfrmMain::runStartup()
{
    step("selectLanguage");
    // The one place a Language code becomes the language everyone else is handed.
    m_language = Language::fromCode(languageSelector ? languageSelector() : QString());
    if (!m_language) {
        terminateApplication();
        return;
    }
    const Language& language = *m_language;
    languageCode = language.code();

    step("loadLanguage");
    // Qt's own dialogs and buttons follow the chosen language; without its file they stay English.
    i18n::installQtTranslations(m_applicationDir, language);
    LIS->setFileName(m_applicationDir + language.fileName());
    try {
        LIS->LoadLanguage();
    } catch (const std::runtime_error& e) {
        // The language file could not be completed: say so and go on with the texts applied so far, rather than
        // leaving a window without its catalog.
        widgets::showMessageBox({this, "Velkorn", QString::fromUtf8(e.what()), widgets::BoxIcon::Error});
    }
    MIS->OpenMessages();
    if (!startupNotice.isEmpty()) {
        step("startupNotice");
        widgets::showMessageBox({this, msg("updateCaption"), msg(startupNotice), widgets::BoxIcon::Warning});
    }
    // A termination request while a box was open has shut the window down already.
    if (m_shutdownDone)
        return;

    step("openDatabase");
    if (!openCatalogDatabase()) {
        // Which catalog could not be opened matters once it may lie on a server; never its password.
        const QString where = msg("catalogLocation").arg(m_catalogLocation.displayName());
        widgets::showMessageBox({this, msg("msg001"), msg("msg002") + "\r\n" + where, widgets::BoxIcon::Error});
        terminateApplication();
        return;
    }
    localDbAfterConnect();

    step("startFeedThread");
    try {
        if (startFeedThread)
            startFeedThread();
    } catch (const std::exception&) {
        // Without its thread the catalog simply runs unsynchronised this time.
    }

    step("languageArtwork");
    for (const Language& each : Language::all()) {
        m_layout->slogan.of(each)->setVisible(each == language);
        m_layout->intro.of(each)->setVisible(each == language);
    }
    m_layout->showStudsLegendIn(language);

    step("captions");
    setCaptionsFromMessages();

    step("openStyleList");
    btnSTYLE1Click(1);

    step("profileArtwork");
    for (const Language& each : Language::all()) {
        m_layout->rtfProfile.of(each)->setVisible(each == language);
        m_layout->imgProfile2.of(each)->hide();
    }
    profilePicture = m_layout->imgProfile2.of(language);
    profilePicture->show();
    m_layout->layOutNow();
    applyProfileScrollRule();

    step("installationArtwork");
    for (const Language& each : Language::all())
        for (const app::LanguageArt<QWidget>& pictures : m_layout->installation)
            pictures.of(each)->setVisible(each == language);

    step("showIntro");
    m_layout->showPage(MainPage::Intro);
    // From here on every item the user is shown goes into the history; the one start-up loaded stays out.
    m_history->start();

    // The window itself holds the keyboard focus at first: a search box that the window's activation hands the
    // focus to would lose its prompt before the user has looked at it.
    setFocus(Qt::OtherFocusReason);
    m_startupDone = true;
    setVisible(true);
}

bool TfrmMain::openCatalogDatabase()
{
    if (QSqlDatabase::contains(LocalDbConnection))
        catalog::closeDatabase(LocalDbConnection);
    try {
        catalog::openDatabase(m_catalogLocation, LocalDbConnection);
    } catch (const catalog::DatabaseError&) {
        // The box that start-up shows says all the user needs; the driver's text is not for them.
        return false;
    }
    platform::reassertTerminationHandler();
    m_presenter->bind(LocalDbConnection, m_catalogLocation, m_applicationDir,
                      [this](QThread* thread) { m_jobs->add(thread); });
    m_tools->bind(m_presenter->browser(), LocalDbConnection, m_applicationDir);
    m_compare->bindCatalog();

    CatalogSeat::Parts seat;
    seat.browser = m_presenter->browser();
    seat.codeIndex = m_presenter->codeIndex();
    seat.connectionName = LocalDbConnection;
    seat.location = m_catalogLocation;
    seat.pictureSource = syncSettings();
    // A picture is fetched while the user looks at its item: bounded by what the item view would read, and a
    // stalled server gives up soon.
    seat.pictureSource.transfer.maxBytes = catalog::kMaxPictureFileSize;
    seat.pictureSource.transfer.connectTimeoutMs = 10000;
    seat.pictureSource.transfer.stallTimeoutMs = 10000;
    seat.refreshCatalogFacts = [this] { m_tools->refreshCatalogFacts(); };
    seat.threadStarted = [this](QThread* thread) { m_jobs->add(thread); };
    seat.msg = [this](const QString& key) { return msg(key); };
    seat.window = this;
    m_seat = new CatalogSeat(std::move(seat), this);
    m_presenter->setConnectionCheck([this] { return m_seat->connectionFailed(); });
    m_seat->start();
    return true;
}

void TfrmMain::setCaptionsFromMessages()
{
    app::MainWindowLayout& ui = *m_layout;
    ui.btnPrev->setToolTip(msg("btnPrev"));
    ui.btnNext->setToolTip(msg("btnNext"));
    ui.btnSearch->setToolTip(msg("btnSearch"));
    ui.btnProfile->setText(msg("btnProfile"));
    ui.btnInstructions->setText(msg("btnInstructions"));
    ui.btnCross->setTitle(msg("btnCross"));
    ui.edtSearch->setText(msg("edtSearch"));
    ui.edtSearch->setCursorPosition(0);
    ui.dxEdit1->setText(msg("edtSearch"));
    ui.dxEdit1->setCursorPosition(0);
    m_presenter->setColumnCaption("grdColType", msg("grdColType"));
    m_presenter->setColumnCaption("grdColCode", msg("grdColCode"));
    ui.btnKullanim->setTitle(msg("btnKullanim"));
    for (QAction* entry : ui.btnKullanim->actions()) {
        entry->setText(msg(entry->objectName()));
        entry->setToolTip(entry->text());
    }
    ui.btnStyle->setTitle(msg("btnStyle"));
    for (QAction* entry : ui.btnStyle->actions()) {
        entry->setText(msg(QString("type%1").arg(entry->data().toInt())));
        entry->setToolTip(entry->text());
    }
    m_presenter->setColumnCaption("gridStyleCODE", msg("gridStyleCODE"));
    m_presenter->setColumnCaption("grdKullanimKod", msg("grdKullanimKod"));
    m_presenter->setColumnCaption("grdSearchColumn3", msg("grdColType"));
    setWindowTitle(msg("frmMainCaption"));
    m_presenter->setColumnCaption("dxDBGridMaskColumn1", msg("grdColCode"));
    m_tools->setCaptions();
    m_measure->applyTexts();
    m_datasheet->applyTexts();
    m_compare->applyTexts();
    m_history->applyTexts();

    const auto text = [this](const char* key) { return msg(QString::fromLatin1(key)); };
    if (CodeSuggestions* drop = codeSuggestions())
        drop->setMoreRowsText(text("moreCodes"));
    app::applyAccessibleTexts(ui, *m_measure, codeSuggestions(), text);
}

QString TfrmMain::msg(const QString& key) const
{
    return i18n::withBuiltInText(MIS->MessageText(key), languageCode, key);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmMain::FormClose()
{
    if (m_shutdownDone)
        return;
    m_shutdownDone = true;
    step("close");
    // An open update wizard closes first and a running update check ends, so the threads below can end.
    m_stop.requestStop();
    m_applicationUpdate->stop();
    MIS->CloseMessages();
    LIS->ReleaseLanguage();
    // Threads still working with the connection must be done before it closes.
    if (m_seat)
        m_seat->stop();
    if (m_sync)
        m_sync->requestStopAndWait();
    m_jobs->stopAll();
    if (QSqlDatabase::contains(LocalDbConnection))
        catalog::closeDatabase(LocalDbConnection);
    terminateApplication();
}

catalogsync::SyncSettings TfrmMain::syncSettings() const
{
    catalogsync::SyncSettings settings;
    settings.appDir = m_applicationDir;
    settings.catalog = m_catalogLocation;
    settings.catalogHost = catalogHost;
    settings.catalogPath = catalogPath;
    settings.catalogSeparator = catalogSeparator;
    settings.transfer.stop = m_stop.token();
    return settings;
}

void TfrmMain::startCatalogSync()
{
    m_sync = new catalogsync::CatalogSync(this, m_stop);
    catalogsync::SyncSettings settings = syncSettings();
    // Testing aid: the applying thread pauses in the middle of its work until the named file exists.
    settings.pauseFile = qEnvironmentVariable("VELKORN_SYNC_PAUSE");
    catalogsync::CatalogSync::Hooks hooks;
    hooks.messageText = [this](const QString& key) { return msg(key); };
    hooks.showInformation = [](const QString& caption, const QString& text) {
        widgets::showMessageBox({nullptr, caption, text, widgets::BoxIcon::Information});
    };
    hooks.threadCreated = [this](QThread* thread) { m_jobs->add(thread); };
    m_applicationUpdate->setLanguage(*m_language);
    hooks.handOffToApplicationUpdate = [this] { m_applicationUpdate->handOff(); };
    connect(m_sync, &catalogsync::CatalogSync::catalogChanged, m_presenter, &app::CatalogPresenter::closeAll);
    // After the lists: their commit lets the connection see the new date.
    connect(m_sync, &catalogsync::CatalogSync::catalogChanged, m_tools, &app::CatalogTools::refreshCatalogFacts);
    m_sync->start(settings, hooks);
}

// ---------------------------------------------------------------------------------------------------------------
// Keys, resizing, pages

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // The window previews every key once: at the focused control, or at the window when nothing has the focus.
        QWidget* focus = QApplication::focusWidget();
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && target->window() == this && (target == focus || (!focus && target == this))) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // Alt+Left and Alt+Right walk the history, not the list.
            if (static_cast<QKeyEvent*>(event)->modifiers() & Qt::AltModifier &&
                (key == Qt::Key_Left || key == Qt::Key_Right))
                return QWidget::eventFilter(watched, event);
            const bool inSearchBox = target == m_layout->edtSearch || target == m_layout->dxEdit1;
            // An open drop-down under a search box takes the box's keys first (Escape closes only the drop-down).
            if (inSearchBox && m_presenter->suggestionKey(static_cast<QLineEdit*>(target), key))
                return true;
            const bool stepped = FormKeyDown(key);
            if (inSearchBox && m_presenter->searchBoxKey(key))
                return true;
            // A list grid has one visible column, and Qt would turn Left/Right into a second row step.
            if (stepped && m_layout->isListGrid(target))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmMain::FormKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Left:
        if (QApplication::focusWidget() == m_layout->edtSearch || m_measure->isEntryBox(QApplication::focusWidget()))
            return false;
        btnPrevClick();
        return true;
    case Qt::Key_Right:
        if (QApplication::focusWidget() == m_layout->edtSearch || m_measure->isEntryBox(QApplication::focusWidget()))
            return false;
        btnNextClick();
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        return false;
    }
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize()
{
    applyProfileScrollRule();
}

void TfrmMain::applyProfileScrollRule()
{
    if (!profilePicture)
        return;
    // The page may not be laid out yet while hidden: its height is what the page control gives it.
    const int pageHeight = m_layout->pgGlobal->height();
    m_profileScroll = app::applyProfileScrollRule(m_profileScroll, pageHeight, profilePicture->height());
    m_layout->profile2scroll->setMaximum(m_profileScroll.maximum);
    m_layout->profile2scroll->setVisible(m_profileScroll.visible);
}

void TfrmMain::profile2scrollScroll(int position)
{
    if (profilePicture)
        profilePicture->move(profilePicture->x(), app::profilePictureTop(position));
}

void TfrmMain::showPage(const QString& pageName)
{
    if (QWidget* page = m_layout->pgGlobal->findPage(pageName))
        m_layout->pgGlobal->setCurrentPage(page);
}

void TfrmMain::btnProfileClick()
{
    m_layout->showPage(MainPage::Profile);
}

void TfrmMain::btnInstructionsClick()
{
    m_layout->showPage(MainPage::Installation);
}

void TfrmMain::ImageButton1Click()
{
    // A failure to open the browser shows nothing of ours.
    platform::openWithDesktop("http://www.velkorn.example");
}

void TfrmMain::imageButtonClick(int number)
{
    static const QHash<int, MainPage> targets = {
        {5, MainPage::Installation2},  {9, MainPage::Installation}, {7, MainPage::Installation3},
        {10, MainPage::Installation2}, {8, MainPage::Profile1},     {6, MainPage::Installation3},
        {3, MainPage::Profile2},       {4, MainPage::Profile1},
    };
    if (targets.contains(number))
        m_layout->showPage(targets.value(number));
}

// ---------------------------------------------------------------------------------------------------------------
// Catalog lists and search

void TfrmMain::localDbAfterConnect()
{
    for (QAction* entry : m_presenter->addCodeTypeEntries())
        connect(entry, &QAction::triggered, this, [this, entry] { buttonClick(entry); });
}

void TfrmMain::btnSTYLE1Click(int styleTag)
{
    m_presenter->openStyleList(styleTag);
}

void TfrmMain::btnKullanim1Click(int usageTag)
{
    m_presenter->openUsageList(usageTag);
}

void TfrmMain::buttonClick(QAction* codeTypeEntry)
{
    m_presenter->openCodeTypeList(codeTypeEntry);
}

void TfrmMain::btnPrevClick()
{
    m_presenter->stepBack();
}

void TfrmMain::btnNextClick()
{
    m_presenter->stepForward();
}

void TfrmMain::btnSearchClick()
{
    m_presenter->search();
}

} // namespace app
