#include "app/MainWindowLayout.h"

#include "app/Anchors.h"
#include "app/AppArt.h"
#include "app/CutOffTips.h"
#include "app/DataText.h"
#include "app/PageControl.h"
#include "app/PictureBox.h"

#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

using i18n::Language;

namespace app {

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

const QColor SelectionColor(183, 191, 212);
const QString SearchDesignText = QStringLiteral("Ürün,OEM,Karşılık Kodu");

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
    CutOffTips::install(grid);
}

QTableView* grid(QWidget* parent, const QString& name)
{
    auto* g = new QTableView(parent);
    g->setObjectName(name);
    styleGrid(g);
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

QWidget* newPage(const QString& name)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    page->resize(PageSize);
    return page;
}

} // namespace

void styleListGrid(QTableView* grid)
{
    styleGrid(grid);
}

QLabel* pageTitle(QWidget* page, const QString& name)
{
    auto* title = new QLabel(page);
    title->setObjectName(name);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + 2);
    title->setFont(font);
    title->setStyleSheet("color: rgb(204,17,17);");
    return title;
}

QToolButton* headerButton(QWidget* header, const QString& name, const QIcon& icon, int x, const QString& style)
{
    auto* button = new QToolButton(header);
    button->setObjectName(name);
    button->setIcon(icon);
    button->setIconSize(QSize(26, 26));
    button->setStyleSheet("QToolButton { border: none; background: transparent; }" + style);
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(x, 5, 26, 26);
    Anchors::anchor(button, Anchors::TopRight, header->size());
    return button;
}

MainWindowLayout::MainWindowLayout(QWidget* window) : m_window(window)
{
    window->setFont(windowFont());
    window->setAutoFillBackground(true);
    QPalette p = window->palette();
    p.setColor(QPalette::Window, Qt::white);
    window->setPalette(p);
    window->setMinimumSize(ClientWidth, ClientHeight);
    window->resize(ClientWidth, ClientHeight);
    // Restored, the window stands centred on its screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());

    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildBanner());
    column->addWidget(buildMenu());

    auto* cntCenter = new QWidget(window);
    m_cntCenter = cntCenter;
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
    m_pages = {buildItemPage(),
               buildProfileRangePage(),
               buildArtPage("pgInstallation", "", 0, 5),
               buildCompanyPage(),
               buildProfile2Page(),
               buildIntroPage(),
               buildArtPage("pgInstallation2", "2", 9, 7),
               buildArtPage("pgInstallation3", "3", 10, 8)};
    for (QWidget* page : m_pages)
        pgGlobal->addPage(page);
}

MainWindowLayout::~MainWindowLayout()
{
    qDeleteAll(m_menus);
}

void MainWindowLayout::layOutNow() const
{
    // Outer layout first: it sizes the content area whose own layout sizes the page control.
    for (QWidget* w : {m_window, m_cntCenter}) {
        w->layout()->invalidate();
        w->layout()->activate();
    }
}

void MainWindowLayout::showPage(MainPage page) const
{
    pgGlobal->setCurrentPage(this->page(page));
}

QWidget* MainWindowLayout::page(MainPage page) const
{
    return m_pages.at(int(page));
}

bool MainWindowLayout::isShowing(MainPage page) const
{
    return pgGlobal->currentPage() == this->page(page);
}

void MainWindowLayout::showListPage(ListPage page) const
{
    pgGrid->setCurrentIndex(int(page));
}

bool MainWindowLayout::isListGrid(const QObject* object) const
{
    return std::find(m_listGrids.begin(), m_listGrids.end(), object) != m_listGrids.end();
}

void MainWindowLayout::showStudsLegendIn(const Language& language) const
{
    studs->setPixmap(QPixmap(":/art/" + art("studs" + language.artSuffix())));
}

QWidget* MainWindowLayout::buildBanner()
{
    cntSouth = new QWidget(m_window);
    cntSouth->setObjectName("cntSouth");
    cntSouth->setFixedHeight(BannerHeight);
    cntSouth->resize(ClientWidth, BannerHeight);
    const QSize design(ClientWidth, BannerHeight);
    QWidget* wallPaper1 = makeWallPaper(cntSouth, "WallPaper1", art("bannerTile"), ArtPlacement::Tiled,
                                        QRect(0, 0, ClientWidth, BannerHeight));
    Anchors::anchor(wallPaper1, Anchors::All, design);
    makeWallPaper(cntSouth, "WallPaper2", art("logo"), ArtPlacement::TopLeft, QRect(0, 0, 173, 100));
    auto* slot = new QWidget(cntSouth);
    slot->setObjectName("sloganSlot");
    slot->setGeometry(ClientWidth - 218, 0, 218, 97);
    Anchors::anchor(slot, Anchors::TopRight, design);
    for (int i = 0; i < 3; ++i) {
        const QString name = "slogan" + Language::all().at(i).artSuffix();
        slogan.items[i] = makePicture(slot, name, art(name), QRect(0, 0, 218, 97));
        slogan.items[i]->hide();
    }
    return cntSouth;
}

QMenuBar* MainWindowLayout::buildMenu()
{
    auto* bar = new QMenuBar(m_window);
    dxBarManager1 = bar;
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

    btnStyle = addMenu("btnStyle", "Stil");
    const QStringList styleDesign = {"Roll Körük",
                                     "Roll Metalli Körük (Pistonsuz)",
                                     "Roll Metalli Körük (Komple)",
                                     "Tek Katlı Körükler",
                                     "Çift Katlı Körükler",
                                     "3 Katlı Körükler",
                                     "Kabin Körükleri",
                                     "Koltuk Körükleri"};
    for (int n = 1; n <= 8; ++n)
        addMenuEntry(btnStyle, QString("btnSTYLE%1").arg(n), styleDesign.at(n - 1), n);
    btnOem = addMenu("btnOem", "OEM");
    btnKullanim = addMenu("btnKullanim", "Kullanım Alanı");
    const QStringList usageDesign = {"Otobüs", "Çekici", "Treyler", "Dingil"};
    for (int n = 1; n <= 4; ++n)
        addMenuEntry(btnKullanim, QString("btnKullanim%1").arg(n), usageDesign.at(n - 1), n);
    btnCross = addMenu("btnCross", "Üretici Firma Karşılıkları");
    btnProfile = new QAction("Firma Profili", m_menuOwner.get());
    btnProfile->setObjectName("btnProfile");
    bar->addAction(btnProfile);
    btnInstructions = new QAction("Montaj", m_menuOwner.get());
    btnInstructions->setObjectName("btnInstructions");
    bar->addAction(btnInstructions);
    return bar;
}

QAction* MainWindowLayout::addMenuEntry(QMenu* menu, const QString& name, const QString& text, int tag)
{
    auto* entry = new QAction(text, m_menuOwner.get());
    entry->setObjectName(name);
    entry->setData(tag);
    entry->setToolTip(text);
    menu->addAction(entry);
    return entry;
}

QAction* MainWindowLayout::menuEntry(const QString& name) const
{
    return m_menuOwner ? m_menuOwner->findChild<QAction*>(name, Qt::FindDirectChildrenOnly) : nullptr;
}

QMenu* MainWindowLayout::subMenu(const QString& name) const
{
    for (QMenu* menu : m_menus)
        if (menu->objectName() == name)
            return menu;
    return nullptr;
}

QWidget* MainWindowLayout::buildItemPage()
{
    QWidget* page = newPage("pgCenterItem");

    // Left column: list pane, red splitter, codes list.
    auto* dxContainer2 = new QWidget(page);
    dxContainer2->setObjectName("dxContainer2");
    dxContainer2->setGeometry(0, 0, 220, PageHeight);
    Anchors::anchor(dxContainer2, Anchors::Left | Anchors::Top | Anchors::Bottom, PageSize);
    buildListPane(dxContainer2);

    // Right area: header bar and item area.
    auto* dxContainer3 = new QWidget(page);
    dxContainer3->setObjectName("dxContainer3");
    dxContainer3->setGeometry(220, 0, PageWidth - 220, PageHeight);
    Anchors::anchor(dxContainer3, Anchors::All, PageSize);
    buildItemHeader(dxContainer3);
    buildItemArea(dxContainer3);
    return page;
}

void MainWindowLayout::buildListPane(QWidget* dxContainer2)
{
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
    for (int i = 0; i < 4; ++i) {
        auto* gp = new QWidget;
        gp->setObjectName(gridPages.at(i));
        auto* l = new QVBoxLayout(gp);
        l->setContentsMargins(0, 0, 0, 0);
        m_listGrids[i] = grid(gp, gridNames.at(i));
        l->addWidget(m_listGrids[i]);
        pgGrid->addPage(gp);
    }
    gridOemCross = listGrid(ListPage::OemCross);
    gridStyle = listGrid(ListPage::Style);
    grdSearch = listGrid(ListPage::SearchResults);
    grdKullanim = listGrid(ListPage::Kullanim);
    dxDBGrid1 = new QTableView;
    dxDBGrid1->setObjectName("dxDBGrid1");
    styleGrid(dxDBGrid1);
    dxDBGrid1->setShowGrid(false);
    dxDBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    split->addWidget(pgGrid);
    split->addWidget(dxDBGrid1);
    split->setSizes({275, PageHeight - 275 - 5});
    split->setStretchFactor(1, 1);
}

void MainWindowLayout::buildItemHeader(QWidget* dxContainer3)
{
    const QSize rightSize = dxContainer3->size();
    const QSize headerSize(rightSize.width(), 37);
    auto* dxContainer1 = new QWidget(dxContainer3);
    dxContainer1->setObjectName("dxContainer1");
    dxContainer1->setGeometry(QRect(QPoint(0, 0), headerSize));
    Anchors::anchor(dxContainer1, Anchors::Left | Anchors::Top | Anchors::Right, rightSize);
    makeWallPaper(dxContainer1, "WallPaper9", art("WallPaper9"), ArtPlacement::TopLeft, QRect(0, 0, 27, 36));
    const int middleWidth = headerSize.width() - 27 - 41 - 172;
    QWidget* wallPaper4 = makeWallPaper(dxContainer1, "WallPaper4", art("WallPaper4"), ArtPlacement::Tiled,
                                        QRect(27, 0, middleWidth, 36));
    Anchors::anchor(wallPaper4, Anchors::Left | Anchors::Top | Anchors::Right, headerSize);
    WallPaper5 = makeWallPaper(wallPaper4, "WallPaper5", art("WallPaper5"), ArtPlacement::TopLeft, QRect(0, 0, 19, 36));
    WallPaper5->hide();
    DBText1 = dataText(wallPaper4, "DBText1", QRect(22, 9, 10, 19), Qt::AlignLeft);
    QFont codeFont = m_window->font();
    codeFont.setPointSize(12);
    codeFont.setBold(true);
    DBText1->setFont(codeFont);
    DBText1->setColor(Qt::white);
    DBText1->setAutoSize(true);
    DBText1->hide();
    QWidget* wallPaper8 = makeWallPaper(wallPaper4, "WallPaper8", art("WallPaper8"), ArtPlacement::TopLeft,
                                        QRect(middleWidth - 107, 0, 107, 36));
    Anchors::anchor(wallPaper8, Anchors::TopRight, QSize(middleWidth, 36));
    btnPrev = makeImageButton(wallPaper8, "btnPrev", art("btnPrev"), art("btnPrevOver"), QRect(6, 9, 11, 17));
    btnNext = makeImageButton(wallPaper8, "btnNext", art("btnNext"), art("btnNextOver"), QRect(93, 9, 11, 17));
    QWidget* wallPaper6 = makeWallPaper(dxContainer1, "WallPaper6", art("WallPaper6"), ArtPlacement::TopLeft,
                                        QRect(headerSize.width() - 213, 0, 41, 36));
    Anchors::anchor(wallPaper6, Anchors::TopRight, headerSize);
    QWidget* wallPaper7 = makeWallPaper(dxContainer1, "WallPaper7", art("WallPaper7"), ArtPlacement::Tiled,
                                        QRect(headerSize.width() - 172, 0, 172, 36));
    Anchors::anchor(wallPaper7, Anchors::TopRight, headerSize);
    edtSearch = new QLineEdit(wallPaper7);
    edtSearch->setObjectName("edtSearch");
    edtSearch->setGeometry(1, 6, 131, 21);
    btnSearch = makeImageButton(wallPaper7, "btnSearch", art("btnSearch"), art("btnSearchOver"), QRect(137, 4, 29, 29));
}

void MainWindowLayout::buildItemArea(QWidget* dxContainer3)
{
    const QSize rightSize = dxContainer3->size();
    const QSize itemSize(rightSize.width(), PageHeight - 37);
    cntItem = new QWidget(dxContainer3);
    cntItem->setObjectName("cntItem");
    cntItem->setGeometry(QRect(QPoint(0, 37), itemSize));
    Anchors::anchor(cntItem, Anchors::All, rightSize);
    cntItem->hide();
    DBText10 = dataText(cntItem, "DBText10", QRect(5, 1, 268, 13), Qt::AlignLeft);
    const QRect pictureSlots[3] = {QRect(4, 13, 320, 300), QRect(323, 13, 185, 212), QRect(507, 13, 185, 212)};
    for (int i = 0; i < 3; ++i) {
        res[i] = new PictureBox(cntItem, PictureBox::CenterFit);
        res[i]->setObjectName(QString("res%1").arg(i + 1));
        res[i]->setGeometry(pictureSlots[i]);
        res[i]->hide();
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
    } valueSlots[] = {{"DBText2", 10, false}, {"DBText3", 26, true},  {"DBText4", 42, true},   {"DBText5", 58, true},
                      {"DBText6", 74, false}, {"DBText7", 90, false}, {"DBText8", 106, false}, {"DBText9", 122, false}};
    // A left-aligned value fills the value column between its lines at 246 and 385, less a small margin: the
    // longest piston type of the three languages needs nearly all of it.
    for (int i = 0; i < 8; ++i) {
        const auto& v = valueSlots[i];
        values[i] = v.pressure ? dataText(details, v.name, QRect(300, v.y, 81, 13), Qt::AlignRight)
                               : dataText(details, v.name, QRect(249, v.y, 135, 13), Qt::AlignLeft);
    }
    studs = makePicture(details, "studs", art("studs"), QRect(390, 8, 153, 74));
    studs->hide();
    for (int n = 1; n <= 4; ++n) {
        tasit[n - 1] =
            makePicture(details, QString("tasit%1").arg(n), art(QString("tasit%1").arg(n)), QRect(397, 78, 167, 65));
        tasit[n - 1]->hide();
        sTasit[n - 1] =
            makePicture(details, QString("sTasit%1").arg(n), art(QString("sTasit%1").arg(n)), QRect(592, 85, 80, 31));
        sTasit[n - 1]->hide();
    }
}

void MainWindowLayout::addPageButton(QWidget* page, int number, bool forward, int x)
{
    auto* holder = new QWidget(page);
    holder->setObjectName(QString("pnlImageButton%1").arg(number));
    holder->setGeometry(x, 2, 24, 24);
    Anchors::anchor(holder, Anchors::TopRight, PageSize);
    const QString glyph = forward ? "pageForward" : "pageBack";
    if (forward)
        m_forwardButtons.insert(number);
    pageButtons.insert(number, makeImageButton(holder, QString("ImageButton%1").arg(number), art(glyph),
                                               art(glyph + "Over"), QRect(2, 2, 20, 20)));
}

QWidget* MainWindowLayout::buildArtPage(const QString& name, const QString& pictureNumber, int backButton,
                                        int forwardButton)
{
    QWidget* page = newPage(name);
    LanguageArt<QWidget>& pictures = installation.at(pictureNumber.isEmpty() ? 0 : pictureNumber.toInt() - 1);
    for (int i = 0; i < 3; ++i) {
        const QString picture = "inst" + Language::all().at(i).artSuffix() + pictureNumber;
        pictures.items[i] = makePicture(page, picture, art(picture), QRect(8, 8, 0, 0));
        pictures.items[i]->hide();
    }
    if (backButton)
        addPageButton(page, backButton, false, BackButtonX);
    if (forwardButton)
        addPageButton(page, forwardButton, true, ForwardButtonX);
    return page;
}

QWidget* MainWindowLayout::buildProfileRangePage()
{
    QWidget* page = newPage("pgProfile1");
    for (int i = 0; i < 3; ++i) {
        const QString name = "rtfProfile" + Language::all().at(i).artSuffix();
        rtfProfile.items[i] = makeRichText(page, name, art(name), QRect(8, 8, 913, PageHeight - 8));
        rtfProfile.items[i]->hide();
    }
    addPageButton(page, 6, false, BackButtonX);
    addPageButton(page, 3, true, ForwardButtonX);
    return page;
}

QWidget* MainWindowLayout::buildCompanyPage()
{
    QWidget* page = newPage("pgProfile");
    QWidget* background = makeBackgroundPicture(page, "velkornBg", art("velkornBg"), ArtPlacement::BottomRight);
    background->setGeometry(QRect(QPoint(0, 0), PageSize));
    Anchors::anchor(background, Anchors::All, PageSize);
    for (int i = 0; i < 3; ++i) {
        const QString name = "intro" + Language::all().at(i).artSuffix();
        intro.items[i] = makeRichText(background, name, art(name), QRect(8, 8, 882, 506));
        Anchors::anchor(intro.items[i], Anchors::All, PageSize);
        intro.items[i]->hide();
    }
    return page;
}

QWidget* MainWindowLayout::buildProfile2Page()
{
    QWidget* page = newPage("pgProfile2");
    pgProfile2 = page;
    for (int i = 0; i < 3; ++i) {
        const QString name = "imgProfile2" + Language::all().at(i).artSuffix();
        imgProfile2.items[i] = makePicture(page, name, art(name), QRect(8, 8, 0, 0));
        imgProfile2.items[i]->hide();
    }
    profile2scroll = new QScrollBar(Qt::Vertical, page);
    profile2scroll->setObjectName("profile2scroll");
    profile2scroll->setGeometry(PageWidth - 16, 0, 16, PageHeight);
    profile2scroll->setSingleStep(1);
    profile2scroll->setPageStep(1);
    profile2scroll->setMaximum(0);
    profile2scroll->hide();
    Anchors::anchor(profile2scroll, Anchors::Top | Anchors::Bottom | Anchors::Right, PageSize);
    // The back button stands where other pages have their forward button.
    addPageButton(page, 4, false, ForwardButtonX);
    return page;
}

QWidget* MainWindowLayout::buildIntroPage()
{
    QWidget* page = newPage("pgIntro");
    ImageButton1 = makeImageButton(page, "ImageButton1", art("introLogo"), art("introLogoOver"),
                                   QRect((PageWidth - 690) / 2, (PageHeight - 344) / 2, 690, 344));
    Anchors::anchor(ImageButton1, Anchors::CenterH | Anchors::CenterV, PageSize);
    QWidget* wallPaper10 = makeWallPaper(page, "WallPaper10", art("WallPaper10"), ArtPlacement::TopLeft,
                                         QRect(PageWidth - 213, 0, 41, 36));
    Anchors::anchor(wallPaper10, Anchors::TopRight, PageSize);
    QWidget* wallPaper3 =
        makeWallPaper(page, "WallPaper3", art("WallPaper3"), ArtPlacement::Tiled, QRect(PageWidth - 172, 0, 172, 36));
    Anchors::anchor(wallPaper3, Anchors::TopRight, PageSize);
    dxEdit1 = new QLineEdit(SearchDesignText, wallPaper3);
    dxEdit1->setCursorPosition(0);
    dxEdit1->setObjectName("dxEdit1");
    dxEdit1->setGeometry(1, 6, 131, 21);
    ImageButton2 =
        makeImageButton(wallPaper3, "ImageButton2", art("btnSearch"), art("btnSearchOver"), QRect(137, 4, 29, 29));
    for (QLineEdit* box : {edtSearch, dxEdit1}) {
        box->setStyleSheet("QLineEdit { border: 1px solid grey; }");
        // Set here, not inherited: a widget with its own style sheet does not take the window's font.
        box->setFont(windowFont());
    }
    return page;
}

} // namespace app
