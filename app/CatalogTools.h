#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QTableView;
class QWidget;
namespace catalog {
class CatalogBrowser;
enum class ListPage;
} // namespace catalog

namespace app {

class ItemCopying;
class MainWindowLayout;

// Exporting, sorting and counting on the item page, the catalog's date and the About box, and the item pictures
// shown large. Adds the menu bar's "Tools" menu (with the copy entries of ItemCopying), a row count under every
// list and the catalog line at the right end of the menu bar. Its actions are
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

    // The copy functions of the context menus, Ctrl+C and the Tools menu.
    ItemCopying* copying() const { return m_copying; }

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

    MainWindowLayout& m_layout;
    MessageLookup m_msg;
    QWidget* m_window;
    ItemCopying* m_copying;
    catalog::CatalogBrowser* m_browser = nullptr;
    QString m_connectionName;
    QString m_applicationDir;
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
