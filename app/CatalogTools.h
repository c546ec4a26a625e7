#pragma once

#include <QDate>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

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

    // `languageLocale` gives the chosen language's locale, in which the catalog's date and the counts are written.
    CatalogTools(MainWindowLayout& layout, MessageLookup msg, std::function<QLocale()> languageLocale, QWidget* window);
    ~CatalogTools() override;

    // Once the database is open: the browser whose lists and item these functions work on.
    void bind(catalog::CatalogBrowser* browser, const QString& connectionName, const QString& applicationDir);
    // Sets every text from message lookup; start-up calls it with the window's other captions.
    void setCaptions();
    // Reads the catalog's date and counts again (after a synchronisation has committed).
    void refreshCatalogFacts();

    // A list grid of another page joins the item page's lists: its header sorts, `withRowCount` puts the row count
    // under it, and the first grid of a list is the one Ctrl+E exports, leaving out `ownFields` (the item's own
    // code and style, with which every exported row begins anyway).
    void addListGrid(QTableView* grid, const QStringList& ownFields, bool withRowCount);

    QMenu* menu() const { return m_menu; }
    QLabel* catalogLine() const { return m_catalogLine; }
    QLabel* rowCount(catalog::ListPage page) const;
    QLabel* rowCount(const QTableView* grid) const;

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
    QLocale languageLocale() const;
    // "Catalog of 1 June 2024", or that it was never updated, as a whole sentence of the language.
    QString catalogDateText() const;
    void buildMenu();
    void watchList(int list);
    void updateRowCount(int list);
    // The grid of the current list that export and the sort menu act on, while the list is open.
    QTableView* openListGrid() const;
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
    // Every list grid: first the item page's four by ListPage, then those of other pages.
    struct ListGrid
    {
        QTableView* grid = nullptr;
        QLabel* rowCount = nullptr;
        QStringList ownFields;
    };
    QVector<ListGrid> m_lists;
    std::function<QLocale()> m_languageLocale;
    QDate m_lastUpdate;
    int m_items = 0;
    int m_codes = 0;
};

} // namespace app
