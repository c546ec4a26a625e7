#pragma once

#include "app/ProfileScrollRule.h"

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QSqlDatabase>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <functional>
#include <memory>

class BackgroundJobs;
class CodeSuggestions;
class DataText;
class PictureBox;
class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QScrollBar;
class QSplitter;
class PageControl;
class QTableView;
class TLngINISupp;
class ApplicationUpdate;
namespace catalog {
class BackgroundCodeIndex;
class CatalogBrowser;
class QueryTableModel;
struct ItemDetails;
} // namespace catalog
namespace catalogsync {
class CatalogSync;
}
class TMsgINISupp;

// The catalog's main window: start-up and shutdown, the window keys, the banner, the menu bar and the eight pages
// of `pgGlobal`. The catalog content of the item page is driven by the catalog module's browsing classes.
class TfrmMain : public QWidget
{
    Q_OBJECT
public:
    // `applicationDir` is the directory the database, language files and pictures are found in (trailing '/').
    explicit TfrmMain(const QString& applicationDir, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Fields other modules read (the synchronisation reads the three catalog server fields).
    QString languageCode;
    QString catalogHost;
    QString catalogPath;
    QString catalogSeparator;
    QPointer<QTableView> currentGrid;
    QPointer<PictureBox> profilePicture;

    const QString& applicationDir() const { return m_applicationDir; }
    QSqlDatabase localDb() const;
    static constexpr const char* LocalDbConnection = "localDb";

    // Threads using the database register here; shutdown stops and awaits them before disconnecting.
    BackgroundJobs* backgroundJobs() const { return m_jobs; }
    // The catalog browsing (lists, item view, search); exists once the database is open.
    catalog::CatalogBrowser* browser() const { return m_browser; }
    // The in-memory code index behind the search and the drop-down under the search boxes.
    catalog::BackgroundCodeIndex* codeIndex() const { return m_codeIndex; }
    CodeSuggestions* codeSuggestions() const { return m_suggestions; }
    // The catalog synchronisation started at start-up, if any.
    catalogsync::CatalogSync* catalogSync() const { return m_sync; }

    // Replaceable in tests: the language dialog (defaults to the real dialog) and the start of the feed download
    // thread (defaults to the synchronisation module's thread).
    std::function<QString()> languageSelector;
    std::function<void()> startFeedThread;

    // Names of the start-up steps run so far, in order; "terminated" once the application was told to end.
    const QStringList& startupSteps() const { return m_steps; }
    bool terminateRequested() const { return m_terminateRequested; }
    bool shutdownDone() const { return m_shutdownDone; }

    // Message lookup in the chosen language (MIS); "ERROR" before a language is loaded.
    QString msg(const QString& key) const;
    QString columnCaption(const QString& column) const { return m_columnCaptions.value(column); }
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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    QWidget* buildBanner();
    QMenuBar* buildMenu();
    QWidget* buildItemPage();
    QWidget* buildArtPage(const QString& name, const QStringList& pictures, int backButton, int forwardButton);
    QWidget* buildProfileRangePage();
    QWidget* buildCompanyPage();
    QWidget* buildProfile2Page();
    QWidget* buildIntroPage();
    QWidget* addPageButton(QWidget* page, int number, bool forward, int x);
    void imageButtonClick(int number);

    void runStartup();
    void step(const QString& name);
    void terminateApplication();
    bool openCatalogDatabase();
    void showLanguageArtwork(const QStringList& baseNames);
    void setCaptionsFromMessages();
    void applyProfileScrollRule();
    void searchBoxEntered(QLineEdit* box);
    void searchBoxLeft(QLineEdit* box);
    bool searchBoxKey(QLineEdit* box, int key);
    void openList(int page, QTableView* grid, const std::function<void()>& open);
    void runCatalogAction(const std::function<void()>& action);
    void showDatabaseError(const QString& message);
    void bindCatalog();
    void bindGrid(QTableView* grid, catalog::QueryTableModel* model);
    void layoutGridColumns(QTableView* grid);
    void applyColumnCaptions();
    void showItem(const catalog::ItemDetails& details);
    void showPictures(const QVector<QImage>& pictures);
    void clearItem();
    void startCatalogSync();

    QString m_applicationDir;
    QStringList m_steps;
    bool m_shown = false;
    bool m_terminateRequested = false;
    bool m_shutdownDone = false;
    BackgroundJobs* m_jobs = nullptr;
    TLngINISupp* LIS = nullptr;
    TMsgINISupp* MIS = nullptr;
    ApplicationUpdate* m_applicationUpdate = nullptr;
    app::ProfileScrollState m_profileScroll;
    QHash<QString, QString> m_columnCaptions;
    catalog::CatalogBrowser* m_browser = nullptr;
    catalog::BackgroundCodeIndex* m_codeIndex = nullptr;
    CodeSuggestions* m_suggestions = nullptr;
    catalogsync::CatalogSync* m_sync = nullptr;
    // Owns the menu entries outside the window's own children: like the bar items of the original form they are
    // not menu items for the language component, whose captions come from message lookup instead.
    std::unique_ptr<QObject> m_menuOwner;
    QList<QMenu*> m_menus;

    PageControl* pgGlobal = nullptr;
    PageControl* pgGrid = nullptr;
    QMenu* btnStyle = nullptr;
    QMenu* btnOem = nullptr;
    QMenu* btnKullanim = nullptr;
    QMenu* btnCross = nullptr;
    QAction* btnProfile = nullptr;
    QAction* btnInstructions = nullptr;
    QLineEdit* edtSearch = nullptr;
    QLineEdit* dxEdit1 = nullptr;
    QWidget* btnPrev = nullptr;
    QWidget* btnNext = nullptr;
    QWidget* btnSearch = nullptr;
    QScrollBar* profile2scroll = nullptr;
    QWidget* pgProfile2 = nullptr;
    QTableView* gridOemCross = nullptr;
    QTableView* gridStyle = nullptr;
    QTableView* grdSearch = nullptr;
    QTableView* grdKullanim = nullptr;
    QTableView* dxDBGrid1 = nullptr;
    DataText* DBText1 = nullptr;
};
