#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QMenu;
class QPoint;
class QTableView;
class QWidget;
namespace catalog {
class CatalogBrowser;
class TQuery;
} // namespace catalog

namespace app {

class MainWindowLayout;

// Copying from the item page as plain text: context menus and Ctrl+C on the grids (a row, tab-separated), on the
// item's own code in the header bar and on the technical data, and the copy entries of the Tools menu.
class ItemCopying final : public QObject
{
    Q_OBJECT
public:
    // `text` answers the copy entries' message keys.
    ItemCopying(MainWindowLayout& layout, std::function<QString(const char*)> text, QObject* parent);

    void bind(catalog::CatalogBrowser* browser) { m_browser = browser; }
    // A grid of a list on another page: it offers the copies too, and the first grid added for a list is that
    // list's grid while it is the current list.
    void addListGrid(const catalog::TQuery* list, QTableView* grid);

    // Without a grid they act on the grid that had the focus last, or the current list; copyCode without a grid
    // copies the item's own code.
    void copyCode(QTableView* grid = nullptr, int row = -1, int column = -1);
    void copyAllCodes();
    void copyRow(QTableView* grid = nullptr, int row = -1);
    // Copies one row of the technical data (0 = total weight ... 7 = loading capacity), or all of them for -1.
    void copyTechnicalData(int row = -1);
    // The technical data row at height `y` of the table, or -1.
    static int technicalRowAt(int y);
    // Caption and unit of each technical data row as the table shows them, "Total Weight (kg)".
    QStringList technicalCaptions() const;

    // Entries other functions add to these menus for the item a menu concerns: a list row's item, or the item shown.
    std::function<void(QMenu& menu, int itemId)> addMenuEntries;
    // The item of a grid's row: a list's ITEM_ID, the item shown for its codes list; 0 for none.
    int itemIdOfRow(const QTableView* grid, int row) const;

    // The grid of the list opened last, if any.
    QTableView* currentListGrid() const;
    // The grid the Tools menu's "Copy row" acts on.
    QTableView* actingGrid() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void offerCopies(QTableView* grid);
    void showGridMenu(QTableView* grid, const QPoint& pos);
    void showHeaderCodeMenu(const QPoint& pos);
    void showTechnicalMenu(const QPoint& pos);
    QStringList technicalRow(int row) const;
    QString labelText(const char* name) const;
    void execMenu(QMenu& menu, int itemId, const QPoint& globalPos);

    MainWindowLayout& m_layout;
    std::function<QString(const char*)> m_text;
    QWidget* m_details;
    catalog::CatalogBrowser* m_browser = nullptr;
    QPointer<QTableView> m_lastGrid;
    QList<QTableView*> m_otherGrids;
    QHash<const catalog::TQuery*, QPointer<QTableView>> m_gridOfList;
};

} // namespace app
