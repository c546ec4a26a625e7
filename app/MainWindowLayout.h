#pragma once

#include "catalog/CatalogBrowser.h"
#include "i18n/Language.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <array>
#include <memory>

class QAction;
class QIcon;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QObject;
class QScrollBar;
class QTableView;
class QToolButton;
class QWidget;

namespace app {

class DataText;
class PageControl;
class PictureBox;

// The pages of `pgGlobal`, in the page control's order.
enum class MainPage
{
    CenterItem,
    Profile1,
    Installation,
    Profile,
    Profile2,
    Intro,
    Installation2,
    Installation3,
};

using catalog::ListPage;

// The look of the list grids (font, red header, selection colours, tips for cut-off texts), for grids of other
// pages that list items too.
void styleListGrid(QTableView* grid);
// The title line of a page of our own (measurements, comparison): bold, larger, in the list headers' red.
QLabel* pageTitle(QWidget* page, const QString& name);
// A 26 × 26 picture button on the item page's header bar at `x`, kept at its distance from the bar's right edge.
// `style` is added to the button's style sheet (the look of its states).
QToolButton* headerButton(QWidget* header, const QString& name, const QIcon& icon, int x, const QString& style = {});

// One component per language, in the order of Language::all().
template <typename T> struct LanguageArt
{
    std::array<T*, 3> items{};

    T* of(const i18n::Language& language) const { return items.at(i18n::Language::all().indexOf(language)); }
};

// The main window's widget tree with its geometry: banner, menu bar, the eight pages of `pgGlobal` and the item
// page's lists and item view. Built once into the window; everyone else reaches the components through the typed
// pointers here. Component names stay set as object names: the language component translates by them.
class MainWindowLayout final
{
public:
    explicit MainWindowLayout(QWidget* window);
    ~MainWindowLayout();
    MainWindowLayout(const MainWindowLayout&) = delete;
    MainWindowLayout& operator=(const MainWindowLayout&) = delete;

    // Gives every page its height for the window's current size. Qt lays out a window that is not on the screen
    // only when it is shown; start-up reads the page height before that.
    void layOutNow() const;

    void showPage(MainPage page) const;
    QWidget* page(MainPage page) const;
    bool isShowing(MainPage page) const;
    void showListPage(ListPage page) const;
    QTableView* listGrid(ListPage page) const { return m_listGrids.at(int(page)); }
    bool isListGrid(const QObject* object) const;
    const std::array<QTableView*, 4>& listGrids() const { return m_listGrids; }

    // The menu bar's entries and sub-menus by component name (the code-type entries included).
    QAction* menuEntry(const QString& name) const;
    QMenu* subMenu(const QString& name) const;
    // Appends a menu entry to `menu`, owned with the other entries outside the window's children.
    QAction* addMenuEntry(QMenu* menu, const QString& name, const QString& text, int tag);

    // The mounting-symbol legend is worded; it shows the language's copy.
    void showStudsLegendIn(const i18n::Language& language) const;

    PageControl* pgGlobal = nullptr;
    PageControl* pgGrid = nullptr;

    QMenuBar* dxBarManager1 = nullptr;
    QMenu* btnStyle = nullptr;
    QMenu* btnOem = nullptr;
    QMenu* btnKullanim = nullptr;
    QMenu* btnCross = nullptr;
    QAction* btnProfile = nullptr;
    QAction* btnInstructions = nullptr;

    // Picture buttons: the logo, the two search buttons, the arrows and the page-turning buttons by number.
    QWidget* ImageButton1 = nullptr;
    QWidget* ImageButton2 = nullptr;
    QWidget* btnSearch = nullptr;
    QWidget* btnPrev = nullptr;
    QWidget* btnNext = nullptr;
    QMap<int, QWidget*> pageButtons;
    bool isForwardButton(int number) const { return m_forwardButtons.contains(number); }

    QWidget* cntSouth = nullptr; // the banner
    QLineEdit* edtSearch = nullptr;
    QLineEdit* dxEdit1 = nullptr;

    QTableView* gridOemCross = nullptr;
    QTableView* gridStyle = nullptr;
    QTableView* grdSearch = nullptr;
    QTableView* grdKullanim = nullptr;
    QTableView* dxDBGrid1 = nullptr;

    // Item view.
    QWidget* WallPaper5 = nullptr;
    QWidget* cntItem = nullptr;
    DataText* DBText1 = nullptr;
    DataText* DBText10 = nullptr;
    // DBText2 ... DBText9, the technical data values top to bottom.
    std::array<DataText*, 8> values{};
    std::array<PictureBox*, 3> res{};
    PictureBox* studs = nullptr;
    std::array<QWidget*, 4> tasit{};
    std::array<QWidget*, 4> sTasit{};

    // The language's artwork.
    LanguageArt<QWidget> slogan;
    LanguageArt<QWidget> intro;
    LanguageArt<QWidget> rtfProfile;
    LanguageArt<PictureBox> imgProfile2;
    std::array<LanguageArt<QWidget>, 3> installation; // the first, second and third installation picture

    QWidget* pgProfile2 = nullptr;
    QScrollBar* profile2scroll = nullptr;

private:
    QWidget* buildBanner();
    QMenuBar* buildMenu();
    QWidget* buildItemPage();
    void buildListPane(QWidget* dxContainer2);
    void buildItemHeader(QWidget* dxContainer3);
    void buildItemArea(QWidget* dxContainer3);
    QWidget* buildArtPage(const QString& name, const QString& pictureBase, int backButton, int forwardButton);
    QWidget* buildProfileRangePage();
    QWidget* buildCompanyPage();
    QWidget* buildProfile2Page();
    QWidget* buildIntroPage();
    void addPageButton(QWidget* page, int number, bool forward, int x);

    QWidget* m_window;
    QWidget* m_cntCenter = nullptr;
    std::array<QWidget*, 8> m_pages{};
    std::array<QTableView*, 4> m_listGrids{};
    // Owns the menu entries outside the window's own children: like the bar items of the original form they are
    // not menu items for the language component, whose captions come from message lookup instead.
    std::unique_ptr<QObject> m_menuOwner;
    QList<QMenu*> m_menus;
    QSet<int> m_forwardButtons;
};

} // namespace app
