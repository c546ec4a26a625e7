#pragma once

#include "app/ComparePage.h"
#include "catalog/ItemComparison.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QTableView;
class QToolButton;
class QWidget;

namespace app {

class CatalogPresenter;
class DatasheetActions;
class ItemCopying;
class MainWindowLayout;

// The comparison of up to three items: its page, its menu-bar menu, the button beside the item's code, and the
// "Add to comparison" entries of the lists' context menus and of the code drop-down. A fourth item is refused with
// a message that names it, and the comparison page opens so that the user can choose which one to remove: an item
// chosen on purpose never drops out unseen. Which values differ is catalog::ItemComparison's business.
class ComparePresenter final : public QObject
{
    Q_OBJECT
public:
    using MessageLookup = std::function<QString(const QString&)>;

    // `datasheet` lends its texts and pictures folder to the page and the PDF; `copying` carries the lists' context
    // menus.
    ComparePresenter(MainWindowLayout& layout, CatalogPresenter& catalog, DatasheetActions& datasheet,
                     ItemCopying& copying, MessageLookup msg, QWidget* window);
    ~ComparePresenter() override;

    // After the language is loaded: every caption.
    void applyTexts();
    // Once the database is open: the code drop-down's entry, and items deleted by a synchronisation dropping out.
    void bindCatalog();
    // Gives a grid of item rows (with ITEM_ID) of another page the context menu entry.
    void addContextMenu(QTableView* grid);

    // Adds an item (or says that the comparison is full); true when it is in the comparison afterwards.
    bool addToComparison(int itemId);
    void removeFromComparison(int itemId);
    // The item shown on the item page in or out of the comparison.
    void toggleShownItem();
    // Reads the items again and shows the page.
    void showComparison();
    void clearComparison();
    // Asks for a file name and writes the comparison as PDF there.
    void btnCompareSavePdfClick();
    // The menu entry for an item in a context menu: add, or remove when it is compared already.
    void addMenuEntry(QMenu& menu, int itemId);

    const catalog::ItemComparison& comparison() const { return m_comparison; }
    const ComparePage& page() const { return m_page; }
    // Asks for the PDF file's name (the suggested one to start with); empty when the user cancels. Replaceable in
    // tests.
    std::function<QString(const QString& suggested)> askFileName;

    QMenu* btnCompare = nullptr;
    QAction* btnCompareAdd = nullptr;
    QAction* btnCompareShow = nullptr;
    QAction* btnCompareClearAll = nullptr;
    QToolButton* btnCompareItem = nullptr; // beside the item's code in the item page's header

private:
    int shownItemId() const;
    void comparisonChanged();
    void updateItemButton();
    // The comparison's items as the catalog holds them now; deleted ones drop out. Database failures end in a box.
    QVector<catalog::ItemSheet> loadSheets();
    void fillPage(const QVector<catalog::ItemSheet>& sheets);
    void showError(const QString& message) const;

    MainWindowLayout& m_layout;
    CatalogPresenter& m_catalog;
    DatasheetActions& m_datasheet;
    ItemCopying& m_copying;
    MessageLookup m_msg;
    QWidget* m_window;
    ComparePage m_page;
    catalog::ItemComparison m_comparison;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace app
