#pragma once

#include "app/MeasurePage.h"
#include "catalog/MeasurementSearch.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QTableView;
class QToolButton;
namespace catalog {
class QueryTableModel;
class TQuery;
} // namespace catalog

namespace app {

class CatalogPresenter;
class CatalogTools;
class MainWindowLayout;

// "Find by measurements": its page and list-pane page, its menu-bar entry and the button beside the search box.
// The ranked hits become the rows of the list query `qryMeasure`, which follows the catalog's list protocol, so a
// row chosen shows the item in the item view and Prev/Next walk the hits.
class MeasurePresenter final : public QObject
{
    Q_OBJECT
public:
    using MessageLookup = std::function<QString(const QString&)>;

    // `msg` answers the added keys from the built-in texts when the language file lacks them. `currentGrid` is
    // the window's field. The hits join `tools`' sorting, export and row counts.
    MeasurePresenter(MainWindowLayout& layout, CatalogPresenter& catalog, CatalogTools& tools,
                     QPointer<QTableView>& currentGrid, MessageLookup msg, QWidget* window);
    ~MeasurePresenter() override;

    // After the language is loaded: every caption, hint and combo entry.
    void applyTexts();

    // btnMeasure: shows the measurement page with the form as the user left it.
    void btnMeasureClick();
    // Ranks the catalog by the form's entries and opens the hits as the current list.
    void btnMeasureFindClick();
    // Shows the item of the chosen hit on the item page, the hits in the list pane.
    void showChosenHit();

    const MeasurePage& page() const { return m_page; }
    QAction* btnMeasure = nullptr;
    QToolButton* btnMeasureSearch = nullptr; // beside the item page's search box
    catalog::TQuery* const qryMeasure;
    const QVector<catalog::MeasureHit>& hits() const { return m_hits; }
    // A box of the form: Left and Right move its cursor there instead of stepping the list.
    bool isEntryBox(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool bindToCatalog();
    void setHits(QVector<catalog::MeasureHit> hits);
    // The line above the hits: their number, or in red what is wrong with the entries.
    void showFound(const QString& text, bool fault);
    QString faultText(const MeasurePage::Fault& fault) const;
    void fillRows(QStringList& fieldNames, QVector<QVector<QVariant>>& rows) const;
    void layoutColumns();

    MainWindowLayout& m_layout;
    CatalogPresenter& m_catalog;
    QPointer<QTableView>& m_currentGrid;
    MessageLookup m_msg;
    QWidget* m_window;
    MeasurePage m_page;
    bool m_bound = false;
    std::optional<catalog::MeasurementSearch> m_search; // read on first use, again after a synchronisation
    catalog::MeasureQuery m_query;
    QVector<catalog::MeasureHit> m_hits;
    QHash<int, int> m_hitOfItem; // item id to its place in m_hits, for the grid's colours in any row order
    catalog::QueryTableModel* m_model = nullptr;
};

} // namespace app
