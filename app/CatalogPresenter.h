#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

#include <functional>

class QAction;
class QLineEdit;
class QThread;
class QTableView;
class QWidget;
namespace catalog {
class BackgroundCodeIndex;
class CatalogLocation;
class CatalogBrowser;
class QueryTableModel;
struct ItemDetails;
enum class ListPage;
} // namespace catalog

namespace app {

class CodeSuggestions;
class MainWindowLayout;

// The catalog on the item page: the lists, the item view and the two search boxes. Turns the window's list
// actions into calls of the catalog browser, binds the browser's queries to the layout's grids and shows what the
// browser reports. A database failure of one of these actions ends in a message box; the window keeps running.
class CatalogPresenter final : public QObject
{
    Q_OBJECT
public:
    using MessageLookup = std::function<QString(const QString&)>;

    // `currentGrid` is the window's field, set here whenever a list action or a search picks a grid. `window`
    // is repainted before a list opens and parents the error boxes.
    CatalogPresenter(MainWindowLayout& layout, QPointer<QTableView>& currentGrid, MessageLookup msg, QWidget* window);

    // Once the database is open: the browser on `connectionName`, its queries bound to the grids, and the code
    // index built in the background from `location` (its thread handed to `threadStarted`) behind the search and the
    // drop-down.
    void bind(const QString& connectionName, const catalog::CatalogLocation& location, const QString& applicationDir,
              const std::function<void(QThread*)>& threadStarted);
    catalog::CatalogBrowser* browser() const { return m_browser; }
    catalog::BackgroundCodeIndex* codeIndex() const { return m_codeIndex; }
    CodeSuggestions* codeSuggestions() const { return m_suggestions; }

    // The code-type entries read from the database, appended to the OEM and cross-reference menus.
    QList<QAction*> addCodeTypeEntries();

    void openStyleList(int styleTag);
    void openUsageList(int usageTag);
    void openCodeTypeList(QAction* codeTypeEntry);
    // Shows an item on the item page without touching the lists (a database failure ends in a message box).
    void openItem(int itemId);
    void stepBack();
    void stepForward();
    void search();
    // A committed synchronisation closes every list and the item.
    void closeAll();

    // Asked first about every database failure of an action: true when the failure was a lost connection, which the
    // asker reports itself (once); the presenter then shows nothing.
    void setConnectionCheck(std::function<bool()> connectionFailed)
    {
        m_connectionFailed = std::move(connectionFailed);
    }

    QString columnCaption(const QString& column) const { return m_columnCaptions.value(column); }
    void setColumnCaption(const QString& column, const QString& caption);

    // Enter, Up and Down in a search box; true when the key was used up.
    bool searchBoxKey(int key);
    // A key in a search box while its drop-down is open; true when the drop-down used it up.
    bool suggestionKey(QLineEdit* box, int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openList(catalog::ListPage page, const std::function<void()>& open);
    void runCatalogAction(const std::function<void()>& action);
    void showDatabaseError(const QString& message);
    void bindGrid(QTableView* grid, catalog::QueryTableModel* model);
    void layoutGridColumns(QTableView* grid);
    void applyColumnCaptions();
    void showItem(const catalog::ItemDetails& details);
    void showPictures(const QVector<QImage>& pictures);
    void clearItem();
    void searchBoxEntered(QLineEdit* box);
    void searchBoxLeft(QLineEdit* box);

    MainWindowLayout& m_layout;
    QPointer<QTableView>& m_currentGrid;
    MessageLookup m_msg;
    QWidget* m_window;
    catalog::CatalogBrowser* m_browser = nullptr;
    catalog::BackgroundCodeIndex* m_codeIndex = nullptr;
    CodeSuggestions* m_suggestions = nullptr;
    QHash<QString, QString> m_columnCaptions;
    std::function<bool()> m_connectionFailed;
};

} // namespace app
