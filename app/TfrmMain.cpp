#include "app/TfrmMain.h"

#include "app/Anchors.h"
#include "app/AppArt.h"
#include "app/ApplicationUpdate.h"
#include "app/BackgroundJobs.h"
#include "app/CodeSuggestions.h"
#include "app/DataText.h"
#include "app/PageControl.h"
#include "app/PictureBox.h"
#include "app/ServerHosts.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/TerminationSignals.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

#include <stdexcept>

#include "app/CodesDelegate.h"
#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/QueryTableModel.h"
#include "i18n/LanguageSelector.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "i18n/SilentCancel.h"
#include "sync/CatalogSync.h"
#include "sync/TThread1.h"
#include "sync/TThread2.h"

namespace {

// Design sizes of the window's form; anchored children are laid out against them.
constexpr int ClientWidth = 917;
constexpr int ClientHeight = 638;
constexpr int BannerHeight = 97;
constexpr int MenuHeight = 22;
constexpr int PageWidth = 915;
constexpr int PageHeight = ClientHeight - BannerHeight - MenuHeight;
constexpr QSize PageSize(PageWidth, PageHeight);
constexpr int ForwardButtonX = 873;
constexpr int BackButtonX = 846;

const QColor Red(204, 17, 17);
const QColor SelectionColor(183, 191, 212);
const QColor PromptGrey(128, 128, 128);
const QString SearchDesignText = QStringLiteral("Ürün,OEM,Karşılık Kodu");

const QStringList Languages = {"TR", "EN", "DE"};

// Built-in artwork is looked up by its component name; the extension follows the picture's format.
QString art(const QString& name)
{
    for (const char* ext : {".jpg", ".bmp", ".png", ".rtf"}) {
        if (QFile::exists(":/art/" + name + ext))
            return name + ext;
    }
    return name + ".jpg";
}

QFont windowFont()
{
    // Where Tahoma is missing, DejaVu Sans Condensed comes closest to its widths, so texts still fit their slots.
    // One family, not a list: style sheets on the grids would drop the list's fallbacks.
    QString family = "DejaVu Sans";
    for (const char* candidate : {"Tahoma", "DejaVu Sans Condensed"}) {
        if (QFontDatabase::hasFamily(candidate)) {
            family = candidate;
            break;
        }
    }
    QFont font(family);
    font.setPointSize(8);
    return font;
}

QWidget* line(QWidget* parent, const QRect& geometry)
{
    auto* w = new QWidget(parent);
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, QColor(160, 160, 160));
    w->setPalette(p);
    w->setGeometry(geometry);
    return w;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* w = new QLabel(text, parent);
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

DataText* dataText(QWidget* parent, const QString& name, const QRect& geometry, Qt::Alignment alignment)
{
    auto* w = new DataText(parent);
    w->setObjectName(name);
    w->setGeometry(geometry);
    w->setAlignment(alignment | Qt::AlignVCenter);
    return w;
}

void styleGrid(QTableView* grid)
{
    // Set here, not inherited: the style sheets around the grids keep the window's font from reaching them.
    grid->setFont(windowFont());
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setFrameShape(QFrame::NoFrame);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setStyleSheet("QHeaderView::section { background-color: rgb(204,17,17); color: white;"
                                            " font-weight: bold; border: 0px; border-right: 1px solid white;"
                                            " padding: 1px; }");
    // The selected row keeps its colours whether or not the grid has the focus.
    QPalette p = grid->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Highlight, SelectionColor);
        p.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    grid->setPalette(p);
}

QTableView* grid(QWidget* parent, const QString& name)
{
    auto* g = new QTableView(parent);
    g->setObjectName(name);
    styleGrid(g);
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

} // namespace

TfrmMain::TfrmMain(const QString& applicationDir, QWidget* parent)
    : QWidget(parent), m_applicationDir(applicationDir), m_jobs(new BackgroundJobs(this))
{
    if (!m_applicationDir.endsWith('/'))
        m_applicationDir += '/';
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
    m_applicationUpdate = new ApplicationUpdate(this, m_applicationDir);
    startFeedThread = [this] { startCatalogSync(); };
    buildWindow();
    FormCreate();
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    // Hidden while everything the grids show is still alive; the children go after this body.
    hide();
    qDeleteAll(m_menus);
    m_applicationUpdate->stop();
    if (m_sync)
        m_sync->requestStopAndWait();
    m_jobs->stopAll();
    if (QSqlDatabase::contains(LocalDbConnection))
        catalog::closeDatabase(LocalDbConnection);
}

QSqlDatabase TfrmMain::localDb() const
{
    return QSqlDatabase::database(LocalDbConnection, false);
}

// ---------------------------------------------------------------------------------------------------------------
// Layout

void TfrmMain::buildWindow()
{
    setFont(windowFont());
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setMinimumSize(ClientWidth, ClientHeight);
    resize(ClientWidth, ClientHeight);
    // Restored, the window stands centred on its screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildBanner());
    column->addWidget(buildMenu());

    auto* cntCenter = new QWidget(this);
    cntCenter->setObjectName("cntCenter");
    auto* row = new QHBoxLayout(cntCenter);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* splitter1 = new QWidget(cntCenter);
    splitter1->setObjectName("Splitter1");
    splitter1->setFixedWidth(2);
    splitter1->setAutoFillBackground(true);
    QPalette sp = splitter1->palette();
    sp.setColor(QPalette::Window, QColor(128, 128, 128));
    splitter1->setPalette(sp);
    row->addWidget(splitter1);
    pgGlobal = new PageControl(cntCenter);
    pgGlobal->setObjectName("pgGlobal");
    row->addWidget(pgGlobal, 1);
    column->addWidget(cntCenter, 1);

    pgGlobal->resize(PageSize);
    pgGlobal->addPage(buildItemPage());
    pgGlobal->addPage(buildProfileRangePage());
    pgGlobal->addPage(buildArtPage("pgInstallation", {"instTR", "instEN", "instDE"}, 0, 5));
    pgGlobal->addPage(buildCompanyPage());
    pgGlobal->addPage(buildProfile2Page());
    pgGlobal->addPage(buildIntroPage());
    pgGlobal->addPage(buildArtPage("pgInstallation2", {"instTR2", "instEN2", "instDE2"}, 9, 7));
    pgGlobal->addPage(buildArtPage("pgInstallation3", {"instTR3", "instEN3", "instDE3"}, 10, 8));
}

QWidget* TfrmMain::buildBanner()
{
    auto* cntSouth = new QWidget(this);
    cntSouth->setObjectName("cntSouth");
    cntSouth->setFixedHeight(BannerHeight);
    cntSouth->resize(ClientWidth, BannerHeight);
    const QSize design(ClientWidth, BannerHeight);
    QWidget* wallPaper1 = app::makeWallPaper(cntSouth, "WallPaper1", art("bannerTile"), app::ArtPlacement::Tiled,
                                             QRect(0, 0, ClientWidth, BannerHeight));
    Anchors::anchor(wallPaper1, Anchors::All, design);
    app::makeWallPaper(cntSouth, "WallPaper2", art("logo"), app::ArtPlacement::TopLeft, QRect(0, 0, 173, 100));
    auto* slot = new QWidget(cntSouth);
    slot->setObjectName("sloganSlot");
    slot->setGeometry(ClientWidth - 218, 0, 218, 97);
    Anchors::anchor(slot, Anchors::TopRight, design);
    for (const QString& lang : Languages)
        app::makePicture(slot, "slogan" + lang, art("slogan" + lang), QRect(0, 0, 218, 97))->hide();
    return cntSouth;
}

QMenuBar* TfrmMain::buildMenu()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName("dxBarManager1");
    bar->setFixedHeight(MenuHeight);
    bar->setNativeMenuBar(false);
    bar->setStyleSheet("QMenuBar { background: white; border: 0px; }"
                       " QMenuBar::item:selected { background: rgb(183,191,212); }");
    m_menuOwner = std::make_unique<QObject>();
    auto addMenu = [this, bar](const QString& name, const QString& title) {
        auto* menu = new QMenu(title);
        menu->setObjectName(name);
        menu->setToolTipsVisible(false);
        m_menus.append(menu);
        bar->addMenu(menu);
        return menu;
    };
    auto addEntry = [this](QMenu* menu, const QString& name, const QString& text, int tag) {
        auto* entry = new QAction(text, m_menuOwner.get());
        entry->setObjectName(name);
        entry->setData(tag);
        entry->setToolTip(text);
        menu->addAction(entry);
        return entry;
    };

    btnStyle = addMenu("btnStyle", "Stil");
    const QStringList styleDesign = {"Roll Körük",
                                     "Roll Metalli Körük (Pistonsuz)",
                                     "Roll Metalli Körük (Komple)",
                                     "Tek Katlı Körükler",
                                     "Çift Katlı Körükler",
                                     "3 Katlı Körükler",
                                     "Kabin Körükleri",
                                     "Koltuk Körükleri"};
    for (int n = 1; n <= 8; ++n) {
        QAction* entry = addEntry(btnStyle, QString("btnSTYLE%1").arg(n), styleDesign.at(n - 1), n);
        connect(entry, &QAction::triggered, this, [this, n] { btnSTYLE1Click(n); });
    }
    btnOem = addMenu("btnOem", "OEM");
    btnKullanim = addMenu("btnKullanim", "Kullanım Alanı");
    const QStringList usageDesign = {"Otobüs", "Çekici", "Treyler", "Dingil"};
    for (int n = 1; n <= 4; ++n) {
        QAction* entry = addEntry(btnKullanim, QString("btnKullanim%1").arg(n), usageDesign.at(n - 1), n);
        connect(entry, &QAction::triggered, this, [this, n] { btnKullanim1Click(n); });
    }
    btnCross = addMenu("btnCross", "Üretici Firma Karşılıkları");
    btnProfile = new QAction("Firma Profili", m_menuOwner.get());
    btnProfile->setObjectName("btnProfile");
    bar->addAction(btnProfile);
    connect(btnProfile, &QAction::triggered, this, &TfrmMain::btnProfileClick);
    btnInstructions = new QAction("Montaj", m_menuOwner.get());
    btnInstructions->setObjectName("btnInstructions");
    bar->addAction(btnInstructions);
    connect(btnInstructions, &QAction::triggered, this, &TfrmMain::btnInstructionsClick);
    return bar;
}

QAction* TfrmMain::menuEntry(const QString& name) const
{
    return m_menuOwner ? m_menuOwner->findChild<QAction*>(name, Qt::FindDirectChildrenOnly) : nullptr;
}

QMenu* TfrmMain::subMenu(const QString& name) const
{
    for (QMenu* menu : m_menus)
        if (menu->objectName() == name)
            return menu;
    return nullptr;
}

QWidget* TfrmMain::buildItemPage()
{
    auto* page = new QWidget;
    page->setObjectName("pgCenterItem");
    page->resize(PageSize);

    // Left column: list pane, red splitter, codes list.
    auto* dxContainer2 = new QWidget(page);
    dxContainer2->setObjectName("dxContainer2");
    dxContainer2->setGeometry(0, 0, 220, PageHeight);
    Anchors::anchor(dxContainer2, Anchors::Left | Anchors::Top | Anchors::Bottom, PageSize);
    auto* split = new QSplitter(Qt::Vertical, dxContainer2);
    split->setObjectName("dxSplitter1");
    split->setHandleWidth(5);
    split->setChildrenCollapsible(false);
    split->setStyleSheet("QSplitter::handle { background-color: rgb(204,17,17); }");
    auto* leftLayout = new QVBoxLayout(dxContainer2);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(split);
    pgGrid = new PageControl;
    pgGrid->setObjectName("pgGrid");
    const QStringList gridPages = {"pgOemCross", "dxTabSheet2", "pgSearchResults", "pgKullanim"};
    const QStringList gridNames = {"gridOemCross", "gridStyle", "grdSearch", "grdKullanim"};
    QTableView* grids[4];
    for (int i = 0; i < 4; ++i) {
        auto* gp = new QWidget;
        gp->setObjectName(gridPages.at(i));
        auto* l = new QVBoxLayout(gp);
        l->setContentsMargins(0, 0, 0, 0);
        grids[i] = grid(gp, gridNames.at(i));
        l->addWidget(grids[i]);
        pgGrid->addPage(gp);
    }
    gridOemCross = grids[0];
    gridStyle = grids[1];
    grdSearch = grids[2];
    grdKullanim = grids[3];
    dxDBGrid1 = new QTableView;
    dxDBGrid1->setObjectName("dxDBGrid1");
    styleGrid(dxDBGrid1);
    dxDBGrid1->setShowGrid(false);
    dxDBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    split->addWidget(pgGrid);
    split->addWidget(dxDBGrid1);
    split->setSizes({275, PageHeight - 275 - 5});
    split->setStretchFactor(1, 1);
    m_columnCaptions.insert("gridOemCrossVELKORNCODE", "Velkorn");
    m_columnCaptions.insert("grdSearchColumn3", "Code Type");
    m_columnCaptions.insert("dxDBGridMaskColumn1", "Code");

    // Right area: header bar and item area.
    const QSize rightSize(PageWidth - 220, PageHeight);
    auto* dxContainer3 = new QWidget(page);
    dxContainer3->setObjectName("dxContainer3");
    dxContainer3->setGeometry(220, 0, rightSize.width(), PageHeight);
    Anchors::anchor(dxContainer3, Anchors::All, PageSize);

    const QSize headerSize(rightSize.width(), 37);
    auto* dxContainer1 = new QWidget(dxContainer3);
    dxContainer1->setObjectName("dxContainer1");
    dxContainer1->setGeometry(QRect(QPoint(0, 0), headerSize));
    Anchors::anchor(dxContainer1, Anchors::Left | Anchors::Top | Anchors::Right, rightSize);
    app::makeWallPaper(dxContainer1, "WallPaper9", art("WallPaper9"), app::ArtPlacement::TopLeft, QRect(0, 0, 27, 36));
    const int middleWidth = headerSize.width() - 27 - 41 - 172;
    QWidget* wallPaper4 = app::makeWallPaper(dxContainer1, "WallPaper4", art("WallPaper4"), app::ArtPlacement::Tiled,
                                             QRect(27, 0, middleWidth, 36));
    Anchors::anchor(wallPaper4, Anchors::Left | Anchors::Top | Anchors::Right, headerSize);
    QWidget* wallPaper5 = app::makeWallPaper(wallPaper4, "WallPaper5", art("WallPaper5"), app::ArtPlacement::TopLeft,
                                             QRect(0, 0, 19, 36));
    wallPaper5->hide();
    DBText1 = dataText(wallPaper4, "DBText1", QRect(22, 9, 10, 19), Qt::AlignLeft);
    QFont codeFont = font();
    codeFont.setPointSize(12);
    codeFont.setBold(true);
    DBText1->setFont(codeFont);
    DBText1->setColor(Qt::white);
    DBText1->setAutoSize(true);
    DBText1->hide();
    QWidget* wallPaper8 = app::makeWallPaper(wallPaper4, "WallPaper8", art("WallPaper8"), app::ArtPlacement::TopLeft,
                                             QRect(middleWidth - 107, 0, 107, 36));
    Anchors::anchor(wallPaper8, Anchors::TopRight, QSize(middleWidth, 36));
    btnPrev = app::makeImageButton(wallPaper8, "btnPrev", art("btnPrev"), art("btnPrevOver"), QRect(6, 9, 11, 17));
    btnNext = app::makeImageButton(wallPaper8, "btnNext", art("btnNext"), art("btnNextOver"), QRect(93, 9, 11, 17));
    app::onImageButtonClick(btnPrev, this, [this] { btnPrevClick(); });
    app::onImageButtonClick(btnNext, this, [this] { btnNextClick(); });
    QWidget* wallPaper6 = app::makeWallPaper(dxContainer1, "WallPaper6", art("WallPaper6"), app::ArtPlacement::TopLeft,
                                             QRect(headerSize.width() - 213, 0, 41, 36));
    Anchors::anchor(wallPaper6, Anchors::TopRight, headerSize);
    QWidget* wallPaper7 = app::makeWallPaper(dxContainer1, "WallPaper7", art("WallPaper7"), app::ArtPlacement::Tiled,
                                             QRect(headerSize.width() - 172, 0, 172, 36));
    Anchors::anchor(wallPaper7, Anchors::TopRight, headerSize);
    edtSearch = new QLineEdit(wallPaper7);
    edtSearch->setObjectName("edtSearch");
    edtSearch->setGeometry(1, 6, 131, 21);
    btnSearch =
        app::makeImageButton(wallPaper7, "btnSearch", art("btnSearch"), art("btnSearchOver"), QRect(137, 4, 29, 29));
    app::onImageButtonClick(btnSearch, this, [this] { btnSearchClick(); });

    // Item area: style name, pictures, technical data and pictograms.
    const QSize itemSize(rightSize.width(), PageHeight - 37);
    auto* cntItem = new QWidget(dxContainer3);
    cntItem->setObjectName("cntItem");
    cntItem->setGeometry(QRect(QPoint(0, 37), itemSize));
    Anchors::anchor(cntItem, Anchors::All, rightSize);
    cntItem->hide();
    dataText(cntItem, "DBText10", QRect(5, 1, 268, 13), Qt::AlignLeft);
    const QRect pictureSlots[3] = {QRect(4, 13, 320, 300), QRect(323, 13, 185, 212), QRect(507, 13, 185, 212)};
    for (int i = 0; i < 3; ++i) {
        auto* res = new PictureBox(cntItem, PictureBox::CenterFit);
        res->setObjectName(QString("res%1").arg(i + 1));
        res->setGeometry(pictureSlots[i]);
        res->hide();
    }
    auto* details = new QWidget(cntItem);
    details->setObjectName("cntItemDetails");
    details->setGeometry(0, itemSize.height() - 144, itemSize.width(), 144);
    Anchors::anchor(details, Anchors::Left | Anchors::Right | Anchors::Bottom, itemSize);
    for (int y : {8, 24, 72, 88, 104, 120, 136})
        line(details, QRect(8, y, 385 - 8 + 1, 1));
    for (int x : {8, 198, 246, 385})
        line(details, QRect(x, 8, 1, 136 - 8 + 1));
    // Created in the order the language file lists them: the six row names, then the units and the three
    // pressure captions.
    const struct
    {
        const char* name;
        int y;
    } captions[] = {{"lblTotalWeight", 10},    {"lblOperationPressure", 42}, {"lblOperationSpace", 74},
                    {"lblAssemblyHeight", 90}, {"lblPistonType", 106},       {"lblLoadingCapacity", 122}};
    for (const auto& c : captions)
        label(details, c.name, c.name, QRect(12, c.y, 184, 13));
    const struct
    {
        const char* name;
        const char* text;
        QRect geometry;
    } units[] = {{"Label1", "(kg)", QRect(202, 10, 42, 13)},  {"Label2", "(bar)", QRect(202, 42, 42, 13)},
                 {"Label3", "(mm)", QRect(202, 74, 42, 13)},  {"Label4", "(mm)", QRect(202, 90, 42, 13)},
                 {"Label5", "(kg)", QRect(202, 122, 42, 13)}, {"Label6", "Max:", QRect(250, 42, 60, 13)},
                 {"Label7", "Min:", QRect(250, 58, 60, 13)},  {"Label8", "Default:", QRect(250, 26, 60, 13)}};
    for (const auto& u : units)
        label(details, u.name, u.text, u.geometry);
    const struct
    {
        const char* name;
        int y;
        bool pressure;
    } values[] = {{"DBText2", 10, false}, {"DBText3", 26, true},  {"DBText4", 42, true},   {"DBText5", 58, true},
                  {"DBText6", 74, false}, {"DBText7", 90, false}, {"DBText8", 106, false}, {"DBText9", 122, false}};
    for (const auto& v : values) {
        if (v.pressure)
            dataText(details, v.name, QRect(300, v.y, 81, 13), Qt::AlignRight);
        else
            dataText(details, v.name, QRect(250, v.y, 131, 13), Qt::AlignLeft);
    }
    app::makePicture(details, "studs", art("studs"), QRect(390, 8, 153, 74))->hide();
    for (int n = 1; n <= 4; ++n) {
        app::makePicture(details, QString("tasit%1").arg(n), art(QString("tasit%1").arg(n)), QRect(397, 78, 167, 65))
            ->hide();
        app::makePicture(details, QString("sTasit%1").arg(n), art(QString("sTasit%1").arg(n)), QRect(592, 85, 80, 31))
            ->hide();
    }
    return page;
}

QWidget* TfrmMain::addPageButton(QWidget* page, int number, bool forward, int x)
{
    auto* holder = new QWidget(page);
    holder->setObjectName(QString("pnlImageButton%1").arg(number));
    holder->setGeometry(x, 2, 24, 24);
    Anchors::anchor(holder, Anchors::TopRight, PageSize);
    const QString glyph = forward ? "pageForward" : "pageBack";
    QWidget* button = app::makeImageButton(holder, QString("ImageButton%1").arg(number), art(glyph),
                                           art(glyph + "Over"), QRect(2, 2, 20, 20));
    app::onImageButtonClick(button, this, [this, number] { imageButtonClick(number); });
    return button;
}

QWidget* TfrmMain::buildArtPage(const QString& name, const QStringList& pictures, int backButton, int forwardButton)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    page->resize(PageSize);
    for (const QString& picture : pictures)
        app::makePicture(page, picture, art(picture), QRect(8, 8, 0, 0))->hide();
    if (backButton)
        addPageButton(page, backButton, false, BackButtonX);
    if (forwardButton)
        addPageButton(page, forwardButton, true, ForwardButtonX);
    return page;
}

QWidget* TfrmMain::buildProfileRangePage()
{
    auto* page = new QWidget;
    page->setObjectName("pgProfile1");
    page->resize(PageSize);
    for (const QString& lang : Languages)
        app::makeRichText(page, "rtfProfile" + lang, art("rtfProfile" + lang), QRect(8, 8, 913, PageHeight - 8))
            ->hide();
    addPageButton(page, 6, false, BackButtonX);
    addPageButton(page, 3, true, ForwardButtonX);
    return page;
}

QWidget* TfrmMain::buildCompanyPage()
{
    auto* page = new QWidget;
    page->setObjectName("pgProfile");
    page->resize(PageSize);
    QWidget* background =
        app::makeBackgroundPicture(page, "velkornBg", art("velkornBg"), app::ArtPlacement::BottomRight);
    background->setGeometry(QRect(QPoint(0, 0), PageSize));
    Anchors::anchor(background, Anchors::All, PageSize);
    for (const QString& lang : Languages) {
        QWidget* intro = app::makeRichText(background, "intro" + lang, art("intro" + lang), QRect(8, 8, 882, 506));
        Anchors::anchor(intro, Anchors::All, PageSize);
        intro->hide();
    }
    return page;
}

QWidget* TfrmMain::buildProfile2Page()
{
    auto* page = new QWidget;
    pgProfile2 = page;
    page->setObjectName("pgProfile2");
    page->resize(PageSize);
    for (const QString& lang : Languages)
        app::makePicture(page, "imgProfile2" + lang, art("imgProfile2" + lang), QRect(8, 8, 0, 0))->hide();
    profile2scroll = new QScrollBar(Qt::Vertical, page);
    profile2scroll->setObjectName("profile2scroll");
    profile2scroll->setGeometry(PageWidth - 16, 0, 16, PageHeight);
    profile2scroll->setSingleStep(1);
    profile2scroll->setPageStep(1);
    profile2scroll->setMaximum(0);
    profile2scroll->hide();
    Anchors::anchor(profile2scroll, Anchors::Top | Anchors::Bottom | Anchors::Right, PageSize);
    connect(profile2scroll, &QScrollBar::valueChanged, this, &TfrmMain::profile2scrollScroll);
    // The back button stands where other pages have their forward button.
    addPageButton(page, 4, false, ForwardButtonX);
    return page;
}

QWidget* TfrmMain::buildIntroPage()
{
    auto* page = new QWidget;
    page->setObjectName("pgIntro");
    page->resize(PageSize);
    QWidget* logo = app::makeImageButton(page, "ImageButton1", art("introLogo"), art("introLogoOver"),
                                         QRect((PageWidth - 690) / 2, (PageHeight - 344) / 2, 690, 344));
    Anchors::anchor(logo, Anchors::CenterH | Anchors::CenterV, PageSize);
    app::onImageButtonClick(logo, this, [this] { ImageButton1Click(); });
    QWidget* wallPaper10 = app::makeWallPaper(page, "WallPaper10", art("WallPaper10"), app::ArtPlacement::TopLeft,
                                              QRect(PageWidth - 213, 0, 41, 36));
    Anchors::anchor(wallPaper10, Anchors::TopRight, PageSize);
    QWidget* wallPaper3 = app::makeWallPaper(page, "WallPaper3", art("WallPaper3"), app::ArtPlacement::Tiled,
                                             QRect(PageWidth - 172, 0, 172, 36));
    Anchors::anchor(wallPaper3, Anchors::TopRight, PageSize);
    dxEdit1 = new QLineEdit(SearchDesignText, wallPaper3);
    dxEdit1->setCursorPosition(0);
    dxEdit1->setObjectName("dxEdit1");
    dxEdit1->setGeometry(1, 6, 131, 21);
    QWidget* imageButton2 =
        app::makeImageButton(wallPaper3, "ImageButton2", art("btnSearch"), art("btnSearchOver"), QRect(137, 4, 29, 29));
    app::onImageButtonClick(imageButton2, this, [this] { btnSearchClick(); });
    for (QLineEdit* box : {edtSearch, dxEdit1}) {
        QPalette p = box->palette();
        p.setColor(QPalette::Text, PromptGrey);
        box->setPalette(p);
        box->setStyleSheet("QLineEdit { border: 1px solid grey; }");
        // Set here, not inherited: a widget with its own style sheet does not take the window's font.
        box->setFont(windowFont());
    }
    return page;
}

// ---------------------------------------------------------------------------------------------------------------
// Start-up and shutdown

void TfrmMain::FormCreate()
{
    catalogHost = app::catalogServerHost();
    catalogSeparator = "/";
    catalogPath = QString();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // Start-up runs once the window is on the screen, from the event loop.
    QMetaObject::invokeMethod(this, &TfrmMain::FormShow, Qt::QueuedConnection);
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
    languageCode = languageSelector ? languageSelector() : QString();
    if (languageCode.isEmpty()) {
        terminateApplication();
        return;
    }

    step("loadLanguage");
    LIS->setFileName(m_applicationDir + languageCode + ".lng");
    try {
        LIS->LoadLanguage();
    } catch (const std::runtime_error& e) {
        // The language file could not be completed: say so and go on with the texts applied so far, rather than
        // leaving a window without its catalog.
        platform::showMessageBox({this, "Velkorn", QString::fromUtf8(e.what()), platform::BoxIcon::Error});
    }
    MIS->OpenMessages();

    step("openDatabase");
    if (!openCatalogDatabase()) {
        platform::showMessageBox({this, msg("msg001"), msg("msg002"), platform::BoxIcon::Error});
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
    showLanguageArtwork({"slogan", "intro"});
    // The mounting-symbol legend is worded; it shows the chosen language's copy.
    if (auto* studs = findChild<PictureBox*>("studs"))
        studs->setPixmap(QPixmap(":/art/" + art("studs" + languageCode.toUpper())));

    step("captions");
    setCaptionsFromMessages();

    step("openStyleList");
    btnSTYLE1Click(1);

    step("profileArtwork");
    showLanguageArtwork({"rtfProfile"});
    for (const QString& lang : Languages)
        if (auto* picture = findChild<PictureBox*>("imgProfile2" + lang))
            picture->hide();
    const QString profileLang = languageCode == "en" ? "EN" : languageCode == "de" ? "DE" : "TR";
    profilePicture = findChild<PictureBox*>("imgProfile2" + profileLang);
    if (profilePicture)
        profilePicture->show();
    applyProfileScrollRule();

    step("installationArtwork");
    for (const QString& lang : Languages) {
        const bool chosen = lang.toLower() == languageCode;
        for (const QString& suffix : {"", "2", "3"})
            if (QWidget* w = findChild<QWidget*>("inst" + lang + suffix))
                w->setVisible(chosen);
    }

    step("showIntro");
    showPage("pgIntro");
}

bool TfrmMain::openCatalogDatabase()
{
    if (QSqlDatabase::contains(LocalDbConnection))
        catalog::closeDatabase(LocalDbConnection);
    try {
        catalog::openDatabase(m_applicationDir + "KATALOG.GDB", LocalDbConnection);
    } catch (const catalog::DatabaseError&) {
        // The box that start-up shows says all the user needs; the driver's text is not for them.
        return false;
    }
    platform::reassertTerminationHandler();
    bindCatalog();
    return true;
}

void TfrmMain::showLanguageArtwork(const QStringList& baseNames)
{
    for (const QString& base : baseNames)
        for (const QString& lang : Languages)
            if (QWidget* w = findChild<QWidget*>(base + lang))
                w->setVisible(lang.toLower() == languageCode);
}

void TfrmMain::setCaptionsFromMessages()
{
    btnPrev->setToolTip(msg("btnPrev"));
    btnNext->setToolTip(msg("btnNext"));
    btnSearch->setToolTip(msg("btnSearch"));
    btnProfile->setText(msg("btnProfile"));
    btnInstructions->setText(msg("btnInstructions"));
    btnCross->setTitle(msg("btnCross"));
    edtSearch->setText(msg("edtSearch"));
    edtSearch->setCursorPosition(0);
    dxEdit1->setText(msg("edtSearch"));
    dxEdit1->setCursorPosition(0);
    m_columnCaptions.insert("grdColType", msg("grdColType"));
    m_columnCaptions.insert("grdColCode", msg("grdColCode"));
    btnKullanim->setTitle(msg("btnKullanim"));
    for (QAction* entry : btnKullanim->actions()) {
        entry->setText(msg(entry->objectName()));
        entry->setToolTip(entry->text());
    }
    btnStyle->setTitle(msg("btnStyle"));
    for (QAction* entry : btnStyle->actions()) {
        entry->setText(msg(QString("type%1").arg(entry->data().toInt())));
        entry->setToolTip(entry->text());
    }
    m_columnCaptions.insert("gridStyleCODE", msg("gridStyleCODE"));
    m_columnCaptions.insert("grdKullanimKod", msg("grdKullanimKod"));
    m_columnCaptions.insert("grdSearchColumn3", msg("grdColType"));
    setWindowTitle(msg("frmMainCaption"));
    m_columnCaptions.insert("dxDBGridMaskColumn1", msg("grdColCode"));
    applyColumnCaptions();
}

QString TfrmMain::msg(const QString& key) const
{
    return MIS->MessageText(key);
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
    m_applicationUpdate->stop();
    MIS->CloseMessages();
    LIS->ReleaseLanguage();
    // Threads still working with the connection must be done before it closes.
    if (m_sync)
        m_sync->requestStopAndWait();
    m_jobs->stopAll();
    if (QSqlDatabase::contains(LocalDbConnection))
        catalog::closeDatabase(LocalDbConnection);
    terminateApplication();
}

// ---------------------------------------------------------------------------------------------------------------
// Keys, resizing, pages

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && (box == edtSearch || box == dxEdit1)) {
        if (event->type() == QEvent::FocusIn) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                searchBoxEntered(box);
        } else if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                searchBoxLeft(box);
        }
    }
    if (event->type() == QEvent::KeyPress) {
        // The window previews every key once: at the focused control, or at the window when nothing has the focus.
        QWidget* focus = QApplication::focusWidget();
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && target->window() == this && (target == focus || (!focus && target == this))) {
            auto* keyEvent = static_cast<QKeyEvent*>(event);
            // An open drop-down under a search box takes the box's keys first (Escape closes only the drop-down).
            if (box && m_suggestions && m_suggestions->handleKey(box, keyEvent->key()))
                return true;
            const bool stepped = FormKeyDown(keyEvent->key());
            if (box && searchBoxKey(box, keyEvent->key()))
                return true;
            // A list grid has one visible column, and Qt would turn Left/Right into a second row step.
            if (stepped &&
                (target == gridOemCross || target == gridStyle || target == grdSearch || target == grdKullanim))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmMain::FormKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Left:
        if (QApplication::focusWidget() == edtSearch)
            return false;
        btnPrevClick();
        return true;
    case Qt::Key_Right:
        if (QApplication::focusWidget() == edtSearch)
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
    if (!profilePicture || !profile2scroll)
        return;
    // The page may not be laid out yet while hidden: its height is what the page control gives it.
    const int pageHeight = pgGlobal->height();
    m_profileScroll = app::applyProfileScrollRule(m_profileScroll, pageHeight, profilePicture->height());
    profile2scroll->setMaximum(m_profileScroll.maximum);
    profile2scroll->setVisible(m_profileScroll.visible);
}

void TfrmMain::profile2scrollScroll(int position)
{
    if (profilePicture)
        profilePicture->move(profilePicture->x(), app::profilePictureTop(position));
}

void TfrmMain::showPage(const QString& pageName)
{
    if (QWidget* page = pgGlobal->findPage(pageName))
        pgGlobal->setCurrentPage(page);
}

void TfrmMain::btnProfileClick()
{
    showPage("pgProfile");
}

void TfrmMain::btnInstructionsClick()
{
    showPage("pgInstallation");
}

void TfrmMain::ImageButton1Click()
{
    // A failure to open the browser shows nothing of ours.
    platform::openWithDesktop("http://www.velkorn.example");
}

void TfrmMain::imageButtonClick(int number)
{
    static const QHash<int, QString> targets = {
        {5, "pgInstallation2"}, {9, "pgInstallation"},  {7, "pgInstallation3"}, {10, "pgInstallation2"},
        {8, "pgProfile1"},      {6, "pgInstallation3"}, {3, "pgProfile2"},      {4, "pgProfile1"},
    };
    showPage(targets.value(number));
}

// ---------------------------------------------------------------------------------------------------------------
// Catalog lists and search

void TfrmMain::localDbAfterConnect()
{
    if (!m_browser)
        return;
    QVector<catalog::CodeTypeEntry> entries;
    runCatalogAction([&] { entries = m_browser->localDbAfterConnect(); });
    for (const catalog::CodeTypeEntry& e : entries) {
        auto* entry = new QAction(e.caption, m_menuOwner.get());
        entry->setObjectName(e.name);
        entry->setData(e.codeTypeId);
        entry->setToolTip(e.hint);
        entry->setVisible(true);
        (e.oem ? btnOem : btnCross)->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, entry] { buttonClick(entry); });
    }
}

void TfrmMain::runCatalogAction(const std::function<void()>& action)
{
    try {
        action();
    } catch (const catalog::DatabaseError& e) {
        showDatabaseError(e.message());
    }
}

void TfrmMain::showDatabaseError(const QString& message)
{
    platform::showMessageBox({this, "Velkorn", message, platform::BoxIcon::Error});
}

void TfrmMain::openList(int page, QTableView* grid, const std::function<void()>& open)
{
    showPage("pgCenterItem");
    pgGrid->setCurrentIndex(page);
    repaint();
    QCoreApplication::processEvents();
    currentGrid = grid;
    if (m_browser && open)
        runCatalogAction(open);
}

void TfrmMain::btnSTYLE1Click(int styleTag)
{
    openList(1, gridStyle, [this, styleTag] { m_browser->btnSTYLE1Click(styleTag); });
}

void TfrmMain::btnKullanim1Click(int usageTag)
{
    openList(3, grdKullanim, [this, usageTag] { m_browser->btnKullanim1Click(usageTag); });
}

void TfrmMain::buttonClick(QAction* codeTypeEntry)
{
    showPage("pgCenterItem");
    m_columnCaptions.insert("grdColCode2", codeTypeEntry->text());
    applyColumnCaptions();
    const int tag = codeTypeEntry->data().toInt();
    openList(0, gridOemCross, [this, tag] { m_browser->buttonClick(tag); });
}

void TfrmMain::btnPrevClick()
{
    if (m_browser)
        runCatalogAction([this] { m_browser->btnPrevClick(); });
}

void TfrmMain::btnNextClick()
{
    if (m_browser)
        runCatalogAction([this] { m_browser->btnNextClick(); });
}

void TfrmMain::btnSearchClick()
{
    QLineEdit* box = pgGlobal->currentPage() == pgGlobal->findPage("pgIntro") ? dxEdit1 : edtSearch;
    if (!m_browser)
        return;
    bool searched = false;
    runCatalogAction([&] { searched = m_browser->btnSearchClick(box->text()); });
    if (!searched)
        return;
    pgGrid->setCurrentIndex(2);
    repaint();
    QCoreApplication::processEvents();
    currentGrid = grdSearch;
    showPage("pgCenterItem");
}

// ---------------------------------------------------------------------------------------------------------------
// Catalog binding

void TfrmMain::bindCatalog()
{
    if (m_browser)
        return;
    m_browser = new catalog::CatalogBrowser(
        LocalDbConnection, m_applicationDir, [this](const QString& key) { return msg(key); }, this);
    m_browser->setLocale(QLocale::system());
    bindGrid(gridOemCross, new catalog::QueryTableModel(m_browser->qryOEM, this));
    bindGrid(gridStyle, new catalog::QueryTableModel(m_browser->qryStyle, this));
    bindGrid(grdSearch, new catalog::QueryTableModel(m_browser->qrySearch, this));
    bindGrid(grdKullanim, new catalog::QueryTableModel(m_browser->qryKullanim, this));
    bindGrid(dxDBGrid1, new catalog::QueryTableModel(m_browser->qryCodes, this));
    dxDBGrid1->setItemDelegate(new CodesDelegate(3, dxDBGrid1));
    applyColumnCaptions();
    connect(m_browser, &catalog::CatalogBrowser::itemOpened, this, [this] {
        findChild<QWidget*>("WallPaper5")->show();
        DBText1->show();
        findChild<QWidget*>("cntItem")->show();
    });
    connect(m_browser, &catalog::CatalogBrowser::itemLoaded, this, &TfrmMain::showItem);
    connect(m_browser, &catalog::CatalogBrowser::picturesLoaded, this, &TfrmMain::showPictures);
    connect(m_browser, &catalog::CatalogBrowser::allClosed, this, &TfrmMain::clearItem);

    m_codeIndex = new catalog::BackgroundCodeIndex(m_applicationDir + "KATALOG.GDB", this);
    m_codeIndex->threadStarted = [this](QThread* thread) { m_jobs->add(thread); };
    m_browser->setCodeIndex(m_codeIndex);
    m_codeIndex->rebuild();
    m_suggestions = CodeSuggestions::forIndex(this, m_codeIndex, {edtSearch, dxEdit1});
    connect(m_suggestions, &CodeSuggestions::itemChosen, this, [this](int itemId) {
        runCatalogAction([&] { m_browser->showItem(itemId); });
        showPage("pgCenterItem");
    });
}

void TfrmMain::bindGrid(QTableView* grid, catalog::QueryTableModel* model)
{
    grid->setModel(model);
    model->attachSelectionModel(grid->selectionModel());
    connect(model, &catalog::QueryTableModel::databaseError, this, &TfrmMain::showDatabaseError);
    connect(model, &QAbstractItemModel::modelReset, grid, [this, grid] { layoutGridColumns(grid); });
}

void TfrmMain::layoutGridColumns(QTableView* grid)
{
    auto* model = qobject_cast<catalog::QueryTableModel*>(grid->model());
    if (!model)
        return;
    QHeaderView* header = grid->horizontalHeader();
    auto hide = [&](const char* field) {
        const int column = model->columnOf(field);
        if (column >= 0)
            grid->setColumnHidden(column, true);
    };
    auto width = [&](const char* field, int w) {
        const int column = model->columnOf(field);
        if (column >= 0)
            grid->setColumnWidth(column, w);
    };
    if (grid == dxDBGrid1) {
        hide("ID");
        hide("PREFIX");
        width("TYPE", 107);
        width("CODE", 118);
        if (auto* delegate = qobject_cast<CodesDelegate*>(grid->itemDelegate()))
            delegate->setPrefixColumn(model->columnOf("PREFIX"));
        return;
    }
    hide("ITEM_ID");
    if (grid == gridOemCross) {
        width("VELKORNCODE", 94);
        width("CODE2", 89);
    } else if (grid == grdSearch) {
        width("TYPE", 99);
        width("CODE", 105);
    }
    header->setStretchLastSection(true);
}

void TfrmMain::applyColumnCaptions()
{
    if (!m_browser)
        return;
    auto caption = [this](QTableView* grid, const char* field, const QString& column) {
        if (m_columnCaptions.contains(column))
            static_cast<catalog::QueryTableModel*>(grid->model())
                ->setHeaderCaption(field, m_columnCaptions.value(column));
    };
    caption(gridOemCross, "VELKORNCODE", "gridOemCrossVELKORNCODE");
    caption(gridOemCross, "CODE2", "grdColCode2");
    caption(gridStyle, "CODE", "gridStyleCODE");
    caption(grdSearch, "TYPE", "grdSearchColumn3");
    caption(grdSearch, "CODE", "dxDBGridMaskColumn1");
    caption(grdKullanim, "CODE", "grdKullanimKod");
    caption(dxDBGrid1, "TYPE", "grdColType");
    caption(dxDBGrid1, "CODE", "grdColCode");
}

void TfrmMain::showItem(const catalog::ItemDetails& d)
{
    auto set = [this](const char* name, const QString& text) {
        if (auto* w = findChild<DataText*>(name))
            w->setText(text);
    };
    set("DBText1", d.code);
    set("DBText10", d.typeStr);
    set("DBText2", d.totalWeight);
    set("DBText3", d.operationPressureDefault);
    set("DBText4", d.operationPressureMax);
    set("DBText5", d.operationPressureMin);
    set("DBText6", d.operationSpace);
    set("DBText7", d.assemblyHeight);
    set("DBText8", d.ptStr);
    set("DBText9", d.loadingCapacity);
    findChild<QWidget*>("studs")->setVisible(d.studsVisible);
    for (int n = 1; n <= 4; ++n) {
        findChild<QWidget*>(QString("tasit%1").arg(n))->setVisible(d.largeVehicle == n);
        findChild<QWidget*>(QString("sTasit%1").arg(n))->setVisible(d.smallVehicle == n);
    }
}

void TfrmMain::showPictures(const QVector<QImage>& pictures)
{
    for (int n = 1; n <= 3; ++n) {
        auto* slot = findChild<PictureBox*>(QString("res%1").arg(n));
        if (n <= pictures.size()) {
            slot->setPixmap(QPixmap::fromImage(pictures.at(n - 1)));
            slot->show();
        } else {
            slot->hide();
        }
    }
}

void TfrmMain::clearItem()
{
    // A committed synchronisation closed the item: its texts go blank, pictures and pictograms stay.
    for (const char* name : {"DBText1", "DBText2", "DBText3", "DBText4", "DBText5", "DBText6", "DBText7", "DBText8",
                             "DBText9", "DBText10"})
        if (auto* w = findChild<DataText*>(name))
            w->setText(QString());
}

void TfrmMain::startCatalogSync()
{
    m_sync = new catalogsync::CatalogSync(this);
    catalogsync::SyncSettings settings;
    settings.appDir = m_applicationDir;
    settings.catalogHost = catalogHost;
    settings.catalogPath = catalogPath;
    settings.catalogSeparator = catalogSeparator;
    catalogsync::CatalogSync::Hooks hooks;
    hooks.messageText = [this](const QString& key) { return msg(key); };
    hooks.threadCreated = [this](QThread* thread) { m_jobs->add(thread); };
    m_applicationUpdate->setLanguageCode(languageCode);
    hooks.handOffToApplicationUpdate = [this] { m_applicationUpdate->handOff(); };
    connect(m_sync, &catalogsync::CatalogSync::catalogChanged, this, [this] {
        if (m_browser)
            m_browser->closeAll();
    });
    m_sync->start(settings, hooks);
}

void TfrmMain::searchBoxEntered(QLineEdit* box)
{
    box->clear();
    QPalette p = box->palette();
    p.setColor(QPalette::Text, Qt::black);
    box->setPalette(p);
}

void TfrmMain::searchBoxLeft(QLineEdit* box)
{
    box->setText(msg("edtSearch"));
    box->setCursorPosition(0);
    QPalette p = box->palette();
    p.setColor(QPalette::Text, PromptGrey);
    box->setPalette(p);
}

bool TfrmMain::searchBoxKey(QLineEdit* box, int key)
{
    Q_UNUSED(box);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        btnSearchClick();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (currentGrid)
            currentGrid->setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}
