#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPoint;
class QTableView;
class QWidget;
namespace catalog {
class CatalogBrowser;
enum class ListPage;
} // namespace catalog

namespace app {

class MainWindowLayout;

// Copying, exporting, sorting and counting on the item page, the catalog's date and the About box, and the item
// pictures shown large. Adds the menu bar's "Tools" menu, the grids' and the item view's context menus and
// Ctrl+C, a row count under every list and the catalog line at the right end of the menu bar. Its actions are
// public so that the window's tests can drive them.
class CatalogTools final : public QObject
{
    Q_OBJECT
public:
    using MessageLookup = std::function<QString(const QString&)>;

    CatalogTools(MainWindowLayout& layout, MessageLookup msg, QWidget* window);
    ~CatalogTools() override;

    // Once the database is open: the browser whose lists and item these functions work on.
    void bind(catalog::CatalogBrowser* browser, const QString& connectionName, const QString& applicationDir);
    // Sets every text from message lookup; start-up calls it with the window's other captions.
    void setCaptions();
    // Reads the catalog's date and counts again (after a synchronisation has committed).
    void refreshCatalogFacts();

    QMenu* menu() const { return m_menu; }
    QLabel* catalogLine() const { return m_catalogLine; }
    QLabel* rowCount(catalog::ListPage page) const;

    // The clipboard actions. Without a grid they act on the grid that had the focus last, or the current list.
    void copyCode(QTableView* grid = nullptr, int row = -1, int column = -1);
    void copyAllCodes();
    void copyRow(QTableView* grid = nullptr, int row = -1);
    // Copies one row of the technical data (0 = total weight ... 7 = loading capacity), or all of them for -1.
    void copyTechnicalData(int row = -1);
    // The technical data row at height `y` of the table, or -1.
    static int technicalRowAt(int y);

    // Writes the current list to a CSV file; false (after a message box) when it cannot be written.
    bool exportList(const QString& fileName);
    // Asks for the file name, then writes.
    void exportListAs();

    // Sorts a list grid by a column; the same column again reverses the order.
    void sortList(QTableView* grid, int column);

    QString aboutText() const;
    void showAbout();
    // Opens picture slot 0..2 of the item view large, when it shows a picture.
    void showPictureLarge(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString text(const char* key) const;
    void buildMenu();
    void buildRowCounts();
    void updateRowCount(int page);
    void updateSortIndicator(QTableView* grid);
    void fillSortMenu();
    void showGridMenu(QTableView* grid, const QPoint& pos);
    void showHeaderCodeMenu(const QPoint& pos);
    void showTechnicalMenu(const QPoint& pos);
    QTableView* actingGrid() const;
    QTableView* currentListGrid() const;
    QStringList technicalRow(int row) const;
    QStringList technicalCaptions() const;
    QString labelText(const char* name) const;

    MainWindowLayout& m_layout;
    MessageLookup m_msg;
    QWidget* m_window;
    QWidget* m_details;
    catalog::CatalogBrowser* m_browser = nullptr;
    QString m_connectionName;
    QString m_applicationDir;
    QPointer<QTableView> m_lastGrid;
    QMenu* m_menu = nullptr;
    QMenu* m_sortMenu = nullptr;
    QAction* m_copyCode = nullptr;
    QAction* m_copyAllCodes = nullptr;
    QAction* m_copyRow = nullptr;
    QAction* m_export = nullptr;
    QAction* m_picture = nullptr;
    QAction* m_about = nullptr;
    QLabel* m_catalogLine = nullptr;
    std::array<QLabel*, 4> m_rowCounts{};
    QString m_catalogDate;
    int m_items = 0;
    int m_codes = 0;
};

} // namespace app
