#include "app/TfrmMain.h"

#include "app/Anchors.h"
#include "app/AppArt.h"
#include "app/BackgroundJobs.h"
#include "app/DataText.h"
#include "app/PictureBox.h"
#include "app/ServerHosts.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QSqlError>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <stdexcept>

#ifdef VELKORN_APP_HAVE_I18N
#include "i18n/LanguageSelector.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "i18n/SilentCancel.h"
#endif
#ifdef VELKORN_APP_HAVE_CATALOG
#include "catalog/CatalogDatabase.h"
#endif

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
    const QString family = QFontDatabase::hasFamily("Tahoma") ? "Tahoma" : "DejaVu Sans";
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
#ifdef VELKORN_APP_HAVE_I18N
    languageSelector = [] { return SelectLanguage(); };
    LIS = new TLngINISupp(this);
    LIS->setObjectName("LIS");
    MIS = new TMsgINISupp(this);
    MIS->setObjectName("MIS");
    MIS->setLngINISupp(LIS);
#else
    languageSelector = [] { return QString(); };
#endif
    startFeedThread = [] {};
    buildWindow();
    FormCreate();
    qApp->installEventFilter(this);
}

TfrmMain::~TfrmMain()
{
    qApp->removeEventFilter(this);
    if (!m_shutdownDone)
        m_jobs->stopAll();
    if (QSqlDatabase::contains(LocalDbConnection)) {
        QSqlDatabase::database(LocalDbConnection, false).close();
        QSqlDatabase::removeDatabase(LocalDbConnection);
    }
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
    pgGlobal = new QStackedWidget(cntCenter);
    pgGlobal->setObjectName("pgGlobal");
    row->addWidget(pgGlobal, 1);
    column->addWidget(cntCenter, 1);

    pgGlobal->addWidget(buildItemPage());
    pgGlobal->addWidget(buildProfileRangePage());
    pgGlobal->addWidget(buildArtPage("pgInstallation", {"instTR", "instEN", "instDE"}, 0, 5));
    pgGlobal->addWidget(buildCompanyPage());
    pgGlobal->addWidget(buildProfile2Page());
    pgGlobal->addWidget(buildIntroPage());
    pgGlobal->addWidget(buildArtPage("pgInstallation2", {"instTR2", "instEN2", "instDE2"}, 9, 7));
    pgGlobal->addWidget(buildArtPage("pgInstallation3", {"instTR3", "instEN3", "instDE3"}, 10, 8));
    for (int i = 0; i < pgGlobal->count(); ++i)
        pgGlobal->widget(i)->resize(PageSize);
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
    app::makeWallPaper(cntSouth, "WallPaper2", art("WallPaper2"), app::ArtPlacement::TopLeft, QRect(0, 0, 173, 100));
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

    btnStyle = bar->addMenu("Stil");
    btnStyle->setObjectName("btnStyle");
    const QStringList styleDesign = {"Roll Körük",
                                     "Roll Metalli Körük (Pistonsuz)",
                                     "Roll Metalli Körük (Komple)",
                                     "Tek Katlı Körükler",
                                     "Çift Katlı Körükler",
                                     "3 Katlı Körükler",
                                     "Kabin Körükleri",
                                     "Koltuk Körükleri"};
    for (int n = 1; n <= 8; ++n) {
        QAction* entry = btnStyle->addAction(styleDesign.at(n - 1));
        entry->setObjectName(QString("btnSTYLE%1").arg(n));
        entry->setData(n);
        connect(entry, &QAction::triggered, this, [this, n] { btnSTYLE1Click(n); });
    }
    btnOem = bar->addMenu("OEM");
    btnOem->setObjectName("btnOem");
    btnKullanim = bar->addMenu("Kullanım Alanı");
    btnKullanim->setObjectName("btnKullanim");
    const QStringList usageDesign = {"Otobüs", "Çekici", "Treyler", "Dingil"};
    for (int n = 1; n <= 4; ++n) {
        QAction* entry = btnKullanim->addAction(usageDesign.at(n - 1));
        entry->setObjectName(QString("btnKullanim%1").arg(n));
        entry->setData(n);
        connect(entry, &QAction::triggered, this, [this, n] { btnKullanim1Click(n); });
    }
    btnCross = bar->addMenu("Üretici Firma Karşılıkları");
    btnCross->setObjectName("btnCross");
    btnProfile = bar->addAction("Firma Profili");
    btnProfile->setObjectName("btnProfile");
    connect(btnProfile, &QAction::triggered, this, &TfrmMain::btnProfileClick);
    btnInstructions = bar->addAction("Montaj");
    btnInstructions->setObjectName("btnInstructions");
    connect(btnInstructions, &QAction::triggered, this, &TfrmMain::btnInstructionsClick);
    return bar;
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
    pgGrid = new QStackedWidget;
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
        pgGrid->addWidget(gp);
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
    struct Row
    {
        int y;
        const char* caption;
        const char* unitName;
        const char* unitText;
        const char* value;
    };
    const Row rows[] = {
        {10, "lblTotalWeight", "Label1", "(kg)", "DBText2"},
        {42, "lblOperationPressure", "Label2", "(bar)", nullptr},
        {74, "lblOperationSpace", "Label3", "(mm)", "DBText6"},
        {90, "lblAssemblyHeight", "Label4", "(mm)", "DBText7"},
        {106, "lblPistonType", nullptr, nullptr, "DBText8"},
        {122, "lblLoadingCapacity", "Label5", "(kg)", "DBText9"},
    };
    for (const Row& r : rows) {
        label(details, r.caption, r.caption, QRect(12, r.y, 184, 13));
        if (r.unitName)
            label(details, r.unitName, r.unitText, QRect(202, r.y, 42, 13));
        if (r.value)
            dataText(details, r.value, QRect(250, r.y, 131, 13), Qt::AlignLeft);
    }
    const struct
    {
        int y;
        const char* name;
        const char* text;
        const char* value;
    } pressure[] = {
        {26, "Label8", "Default:", "DBText3"}, {42, "Label6", "Max:", "DBText4"}, {58, "Label7", "Min:", "DBText5"}};
    for (const auto& r : pressure) {
        label(details, r.name, r.text, QRect(250, r.y, 60, 13));
        dataText(details, r.value, QRect(300, r.y, 81, 13), Qt::AlignRight);
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
        box->installEventFilter(this);
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
#ifdef VELKORN_APP_HAVE_I18N
    try {
        runStartup();
    } catch (const SilentCancel&) {
        // A language component abandoned start-up silently; it has shown its own message already.
    }
#else
    runStartup();
#endif
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
#ifdef VELKORN_APP_HAVE_I18N
    LIS->setFileName(m_applicationDir + languageCode + ".lng");
    try {
        LIS->LoadLanguage();
    } catch (const std::runtime_error& e) {
        // The language file could not be completed: say so and go on with the texts applied so far, rather than
        // leaving a window without its catalog.
        platform::showMessageBox({this, "Velkorn", QString::fromUtf8(e.what()), platform::BoxIcon::Error});
    }
    MIS->OpenMessages();
#endif

    step("openDatabase");
    if (!openCatalogDatabase()) {
        platform::showMessageBox({this, msg("msg001"), msg("msg002"), platform::BoxIcon::Error});
        terminateApplication();
        return;
    }
    localDbAfterConnect();

    step("startFeedThread");
    if (startFeedThread)
        startFeedThread();

    step("languageArtwork");
    showLanguageArtwork({"slogan", "intro"});

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
        localDb().close();
    const QString path = m_applicationDir + "KATALOG.GDB";
#ifdef VELKORN_APP_HAVE_CATALOG
    try {
        catalog::openDatabase(path, LocalDbConnection);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
#else
    // Checked first: nothing at start-up may leave a file behind.
    if (!QFile::exists(path))
        return false;
    QSqlDatabase db =
        QSqlDatabase::contains(LocalDbConnection) ? localDb() : QSqlDatabase::addDatabase("QIBASE", LocalDbConnection);
    db.setDatabaseName(path);
    db.setUserName("SYSDBA");
    db.setPassword("catalogpw");
    db.setConnectOptions("ISC_DPB_SQL_DIALECT=1");
    return db.open();
#endif
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
}

QString TfrmMain::msg(const QString& key) const
{
#ifdef VELKORN_APP_HAVE_I18N
    return MIS->MessageText(key);
#else
    Q_UNUSED(key);
    return QStringLiteral("ERROR");
#endif
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
#ifdef VELKORN_APP_HAVE_I18N
    MIS->CloseMessages();
    LIS->ReleaseLanguage();
#endif
    // Threads still working with the connection must be done before it closes.
    m_jobs->stopAll();
    if (QSqlDatabase::contains(LocalDbConnection))
        localDb().close();
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
            FormKeyDown(keyEvent->key());
            if (box && searchBoxKey(box, keyEvent->key()))
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
    if (QWidget* page = pgGlobal->findChild<QWidget*>(pageName, Qt::FindDirectChildrenOnly))
        pgGlobal->setCurrentWidget(page);
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
    QSqlQuery query(localDb());
    query.setForwardOnly(true);
    if (!query.exec("select code_type_id, prefix, type from item_code_type order by code_type_id"))
        return;
    while (query.next()) {
        const int id = query.value(0).toInt();
        if (id == 1)
            continue;
        const QString prefix = query.value(1).toString();
        QMenu* parentMenu = prefix == "OEM" ? btnOem : btnCross;
        QAction* entry = parentMenu->addAction(query.value(2).toString());
        entry->setObjectName(QString("codeType%1").arg(id));
        entry->setData(id);
        entry->setToolTip(prefix);
        entry->setVisible(true);
        connect(entry, &QAction::triggered, this, [this, entry] { buttonClick(entry); });
    }
}

void TfrmMain::openList(int page, QTableView* grid, const std::function<void()>& open)
{
    showPage("pgCenterItem");
    pgGrid->setCurrentIndex(page);
    repaint();
    QCoreApplication::processEvents();
    currentGrid = grid;
    if (open)
        open();
}

void TfrmMain::btnSTYLE1Click(int styleTag)
{
    openList(1, gridStyle, nullptr);
    Q_UNUSED(styleTag);
}

void TfrmMain::btnKullanim1Click(int usageTag)
{
    openList(3, grdKullanim, nullptr);
    Q_UNUSED(usageTag);
}

void TfrmMain::buttonClick(QAction* codeTypeEntry)
{
    showPage("pgCenterItem");
    m_columnCaptions.insert("grdColCode2", codeTypeEntry->text());
    openList(0, gridOemCross, nullptr);
}

void TfrmMain::btnPrevClick() {}

void TfrmMain::btnNextClick() {}

void TfrmMain::btnSearchClick() {}

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
