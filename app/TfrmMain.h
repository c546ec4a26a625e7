#pragma once

#include "app/ProfileScrollRule.h"
#include "base/StopToken.h"
#include "catalog/CatalogLocation.h"
#include "i18n/Language.h"

#include <QPointer>
#include <QSqlDatabase>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QTableView;

namespace catalog {
class BackgroundCodeIndex;
class CatalogBrowser;
} // namespace catalog
namespace catalogsync {
class CatalogSync;
struct SyncSettings;
} // namespace catalogsync
namespace i18n {
class TLngINISupp;
class TMsgINISupp;
} // namespace i18n

namespace app {

class BackgroundJobs;
class CatalogSeat;
class CodeSuggestions;
class PictureBox;
class ApplicationUpdate;
class CatalogPresenter;
class CatalogTools;
class ComparePresenter;
class DatasheetActions;
class HistoryPresenter;
class MainWindowLayout;
class MeasurePresenter;

// The catalog's main window: start-up and shutdown, the window keys and the handlers of its components. The widget
// tree is app::MainWindowLayout; the lists, item view and search of the item page are app::CatalogPresenter.
class TfrmMain : public QWidget
{
    Q_OBJECT
public:
    // `applicationDir` is the directory the database, language files and pictures are found in (trailing '/').
    explicit TfrmMain(const QString& applicationDir, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Fields other modules read (the synchronisation reads the three catalog server fields). `languageCode` is the
    // code of language().
    QString languageCode;
    QString catalogHost;
    QString catalogPath;
    QString catalogSeparator;
    QPointer<QTableView> currentGrid;
    QPointer<PictureBox> profilePicture;

    const QString& applicationDir() const { return m_applicationDir; }
    // The language chosen at start-up; none before the dialog has answered.
    const std::optional<i18n::Language>& language() const { return m_language; }
    QSqlDatabase localDb() const;
    static constexpr const char* LocalDbConnection = "localDb";
    // Where start-up opens the catalog, and the synchronisation and the code index with it: KATALOG.GDB in the
    // Application directory unless set before start-up.
    const catalog::CatalogLocation& catalogLocation() const { return m_catalogLocation; }
    void setCatalogLocation(const catalog::CatalogLocation& location) { m_catalogLocation = location; }

    // Threads using the database register here; shutdown stops and awaits them before disconnecting.
    BackgroundJobs* backgroundJobs() const { return m_jobs; }
    // The catalog browsing (lists, item view, search); exists once the database is open.
    catalog::CatalogBrowser* browser() const;
    // The in-memory code index behind the search and the drop-down under the search boxes.
    catalog::BackgroundCodeIndex* codeIndex() const;
    CodeSuggestions* codeSuggestions() const;
    // Copy, export, sort and count, the catalog's date and About, pictures large.
    app::CatalogTools* tools() const { return m_tools; }
    // "Find by measurements" and the datasheet of the item shown.
    app::MeasurePresenter* measurePresenter() const { return m_measure; }
    app::DatasheetActions* datasheetActions() const { return m_datasheet; }
    // The comparison of up to three items, and the history of the items shown (Alt+Left, Alt+Right).
    app::ComparePresenter* compare() const { return m_compare; }
    app::HistoryPresenter* history() const { return m_history; }
    // The catalog synchronisation started at start-up, if any.
    catalogsync::CatalogSync* catalogSync() const { return m_sync; }
    // This window as a seat of a shared catalog (other seats' synchronisations, the connection, missing pictures);
    // exists once the database is open.
    app::CatalogSeat* seat() const { return m_seat; }

    // Replaceable in tests: the language dialog (defaults to the real dialog) and the start of the feed download
    // thread (defaults to the synchronisation module's thread).
    std::function<QString()> languageSelector;
    std::function<void()> startFeedThread;
    // Message key of what start-up tells the user as soon as the language is known, before the catalog is opened (an
    // interrupted update that was undone at this start); empty for nothing.
    QString startupNotice;

    // Names of the start-up steps run so far, in order; "terminated" once the application was told to end.
    const QStringList& startupSteps() const { return m_steps; }
    bool terminateRequested() const { return m_terminateRequested; }
    bool shutdownDone() const { return m_shutdownDone; }

    // Message lookup in the chosen language (MIS); "ERROR" before a language is loaded. Keys that came after the
    // first language files fall back on their built-in texts where the file lacks them.
    QString msg(const QString& key) const;
    QString columnCaption(const QString& column) const;
    // The menu bar's entries and sub-menus by component name.
    QAction* menuEntry(const QString& name) const;
    QMenu* subMenu(const QString& name) const;

    // Handlers, public so that the catalog and synchronisation modules and the tests can drive them.
    void FormCreate();
    void FormShow();
    void FormClose();
    // Returns true when the key was acted on; the key still goes on to the focused control.
    bool FormKeyDown(int key);
    void FormResize();
    void btnProfileClick();
    void btnInstructionsClick();
    void ImageButton1Click();
    void profile2scrollScroll(int position);
    void btnPrevClick();
    void btnNextClick();
    void btnSTYLE1Click(int styleTag);
    void btnKullanim1Click(int usageTag);
    void buttonClick(QAction* codeTypeEntry);
    void btnSearchClick();
    void localDbAfterConnect();
    void showPage(const QString& pageName);

    // The first request to show the window runs start-up; the window appears when start-up has completed.
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wireHandlers();
    void runStartup();
    void step(const QString& name);
    void terminateApplication();
    bool openCatalogDatabase();
    void setCaptionsFromMessages();
    void applyProfileScrollRule();
    void imageButtonClick(int number);
    void startCatalogSync();
    catalogsync::SyncSettings syncSettings() const;

    QString m_applicationDir;
    catalog::CatalogLocation m_catalogLocation;
    std::optional<i18n::Language> m_language;
    QStringList m_steps;
    bool m_startupRequested = false;
    bool m_startupDone = false;
    bool m_terminateRequested = false;
    bool m_shutdownDone = false;
    // The one stop of a shutdown, handed to the threads, the synchronisation and the update.
    base::StopSource m_stop;
    BackgroundJobs* m_jobs = nullptr;
    i18n::TLngINISupp* LIS = nullptr;
    i18n::TMsgINISupp* MIS = nullptr;
    ApplicationUpdate* m_applicationUpdate = nullptr;
    app::ProfileScrollState m_profileScroll;
    catalogsync::CatalogSync* m_sync = nullptr;
    app::CatalogSeat* m_seat = nullptr;
    std::unique_ptr<app::MainWindowLayout> m_layout;
    app::CatalogPresenter* m_presenter = nullptr;
    app::CatalogTools* m_tools = nullptr;
    app::MeasurePresenter* m_measure = nullptr;
    app::DatasheetActions* m_datasheet = nullptr;
    app::ComparePresenter* m_compare = nullptr;
    app::HistoryPresenter* m_history = nullptr;
};

} // namespace app
