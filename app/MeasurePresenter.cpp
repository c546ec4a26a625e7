#include "app/MeasurePresenter.h"

#include "app/CatalogPresenter.h"
#include "app/CatalogTools.h"
#include "app/MainWindowLayout.h"
#include "app/PageControl.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/ItemDetails.h"
#include "catalog/QueryTableModel.h"
#include "catalog/TQuery.h"
#include "i18n/ComponentText.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>

namespace app {

namespace {

const QColor WithinColour(200, 240, 200);
const QColor NearColour(255, 224, 160);
constexpr int SelectedShade = 118; // percent
const QColor FaultColour(204, 17, 17);

QString differenceText(double difference, const QLocale& locale)
{
    if (difference == 0)
        return QStringLiteral("0");
    return (difference > 0 ? QStringLiteral("+") : QString()) + catalog::formatNumber(difference, locale);
}

// The measure a result column stands for ("V2" its value, "D2" its difference), or -1.
int measureOfField(const QString& field, bool* difference = nullptr)
{
    if (field.size() != 2 || (field[0] != QLatin1Char('V') && field[0] != QLatin1Char('D')) || !field[1].isDigit())
        return -1;
    if (difference)
        *difference = field[0] == QLatin1Char('D');
    return field[1].digitValue();
}

// The width the header needs for its longest word: the caption wraps between words.
int widestWord(const QTableView* grid, int column)
{
    const QFontMetrics metrics(grid->horizontalHeader()->font());
    int widest = 0;
    for (const QString& word : grid->model()->headerData(column, Qt::Horizontal).toString().split(QLatin1Char(' ')))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    return widest + 14;
}

// The hits' grid: the value and difference cells of each entered measure coloured by closeness and written in
// the catalog's locale. The rows hold the numbers themselves, so that sorting orders them as numbers.
class MeasureResultsModel final : public catalog::QueryTableModel
{
public:
    using HitOfItem = std::function<const catalog::MeasureHit*(int itemId)>;

    MeasureResultsModel(catalog::TQuery* query, HitOfItem hitOfItem, std::function<QLocale()> locale, QObject* parent)
        : QueryTableModel(query, parent), m_hitOfItem(std::move(hitOfItem)), m_locale(std::move(locale))
    {
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        bool difference = false;
        const int measure =
            index.isValid() ? measureOfField(query()->fieldNames().value(index.column()), &difference) : -1;
        if (measure < 0 || index.row() >= rowCount())
            return QueryTableModel::data(index, role);
        switch (role) {
        case Qt::DisplayRole: {
            const double value = QueryTableModel::data(index, role).toDouble();
            return difference ? differenceText(value, m_locale()) : catalog::formatNumber(value, m_locale());
        }
        case Qt::TextAlignmentRole:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::BackgroundRole: {
            const int itemId = query()->value(index.row(), columnOf(QStringLiteral("ITEM_ID"))).toInt();
            if (const catalog::MeasureHit* hit = m_hitOfItem(itemId))
                for (const catalog::MeasureMatch& match : hit->matches)
                    if (int(match.measure) == measure)
                        return match.closeness == catalog::Closeness::Within ? WithinColour : NearColour;
            return {};
        }
        default:
            return QueryTableModel::data(index, role);
        }
    }

private:
    HitOfItem m_hitOfItem;
    std::function<QLocale()> m_locale;
};

// The closeness colours stay under the selection, a shade darker, so the chosen hit still shows how close it is.
class ClosenessDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        const QVariant colour = index.data(Qt::BackgroundRole);
        if ((option.state & QStyle::State_Selected) && colour.canConvert<QColor>()) {
            const QColor shade = colour.value<QColor>().darker(SelectedShade);
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
                opt.palette.setColor(group, QPalette::Highlight, shade);
        }
        QStyledItemDelegate::paint(painter, opt, index);
    }
};

// A white calliper on a red square, like the search button beside it: the button's glyph.
QIcon calliperIcon()
{
    QPixmap pixmap(26, 26);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient red(0, 0, 0, 26);
    red.setColorAt(0, QColor(226, 40, 40));
    red.setColorAt(1, QColor(170, 10, 10));
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(red);
    p.drawRoundedRect(QRectF(0.5, 0.5, 25, 25), 4, 4);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawLine(QPointF(4, 8), QPointF(22, 8));
    for (int x = 7; x <= 21; x += 3)
        p.drawLine(QPointF(x, 8), QPointF(x, x % 2 ? 11 : 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 8, 3, 12));
    p.drawRect(QRectF(15, 8, 3, 9));
    return QIcon(pixmap);
}

} // namespace

MeasurePresenter::MeasurePresenter(MainWindowLayout& layout, CatalogPresenter& catalog, CatalogTools& tools,
                                   QPointer<QTableView>& currentGrid, MessageLookup msg, QWidget* window)
    : QObject(window), qryMeasure(new catalog::TQuery(this)), m_layout(layout), m_catalog(catalog),
      m_currentGrid(currentGrid), m_msg(std::move(msg)), m_window(window)
{
    qryMeasure->setObjectName("qryMeasure");
    qryMeasure->setRowSource([this](QStringList& fieldNames, QVector<QVector<QVariant>>& rows) {
        fillRows(fieldNames, rows);
        return true;
    });
    m_layout.pgGlobal->addPage(m_page.pgMeasure);
    m_layout.pgGrid->addPage(m_page.pgMeasureResults);

    m_model = new MeasureResultsModel(
        qryMeasure,
        [this](int itemId) {
            const int at = m_hitOfItem.value(itemId, -1);
            return at >= 0 ? &m_hits.at(at) : nullptr;
        },
        [this] { return m_catalog.browser() ? m_catalog.browser()->locale() : QLocale(); }, this);
    m_page.grdMeasure->setModel(m_model);
    m_model->attachSelectionModel(m_page.grdMeasure->selectionModel());
    m_page.grdMeasure->setItemDelegate(new ClosenessDelegate(m_page.grdMeasure));
    auto* paneModel = new catalog::QueryTableModel(qryMeasure, this);
    m_page.grdMeasureResults->setModel(paneModel);
    paneModel->attachSelectionModel(m_page.grdMeasureResults->selectionModel());
    connect(m_model, &QAbstractItemModel::modelReset, this, &MeasurePresenter::layoutColumns);
    // Sorting by header, Ctrl+E and the row count as on the item page's lists; the export leaves out the code and
    // style, with which every exported row begins anyway.
    tools.addListGrid(m_page.grdMeasure, {QStringLiteral("CODE"), QStringLiteral("STYLE")}, false);
    tools.addListGrid(m_page.grdMeasureResults, {}, true);
    for (QTableView* grid : {m_page.grdMeasure, m_page.grdMeasureResults}) {
        // No header bar over an empty results area before the first search.
        grid->horizontalHeader()->hide();
        // The window steps the list on Left/Right already; the grid must not move a second time.
        grid->installEventFilter(this);
        connect(qobject_cast<catalog::QueryTableModel*>(grid->model()), &catalog::QueryTableModel::databaseError, this,
                [this](const QString& message) {
                    widgets::showMessageBox({m_window, "Velkorn", message, widgets::BoxIcon::Error});
                });
    }
    connect(m_page.grdMeasure, &QTableView::clicked, this, &MeasurePresenter::showChosenHit);
    connect(m_page.grdMeasure, &QTableView::activated, this, &MeasurePresenter::showChosenHit);
    connect(m_page.btnMeasureFind, &QPushButton::clicked, this, &MeasurePresenter::btnMeasureFindClick);
    connect(m_page.btnMeasureClear, &QPushButton::clicked, this, [this] { m_page.clearForm(); });
    for (const MeasurePage::Row& row : m_page.rows)
        for (QLineEdit* box : {row.value, row.tolerance})
            if (box)
                connect(box, &QLineEdit::returnPressed, this, &MeasurePresenter::btnMeasureFindClick);

    // The menu-bar entry after the existing ones, and Ctrl+M from anywhere in the window.
    btnMeasure = new QAction(this);
    btnMeasure->setObjectName("btnMeasure");
    btnMeasure->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    btnMeasure->setShortcutContext(Qt::WindowShortcut);
    if (auto* bar = window->findChild<QMenuBar*>("dxBarManager1"))
        bar->addAction(btnMeasure);
    window->addAction(btnMeasure);
    connect(btnMeasure, &QAction::triggered, this, &MeasurePresenter::btnMeasureClick);

    // The button stands on the header's decoration just left of the search box.
    QWidget* searchArea = m_layout.edtSearch->parentWidget();
    QWidget* header = searchArea->parentWidget();
    btnMeasureSearch = headerButton(header, "btnMeasureSearch", calliperIcon(), searchArea->x() - 30);
    connect(btnMeasureSearch, &QToolButton::clicked, this, &MeasurePresenter::btnMeasureClick);

    // Texts come from message lookup, not from the language files' form sections.
    for (QWidget* page : {m_page.pgMeasure, m_page.pgMeasureResults})
        for (QObject* component : page->findChildren<QObject*>())
            i18n::excludeFromTranslation(component);
    i18n::excludeFromTranslation(btnMeasure);
    i18n::excludeFromTranslation(btnMeasureSearch);
}

MeasurePresenter::~MeasurePresenter() = default;

void MeasurePresenter::applyTexts()
{
    m_page.applyTexts(m_msg);
    btnMeasure->setText(m_msg("btnMeasure"));
    btnMeasureSearch->setToolTip(m_msg("btnMeasure"));
    if (qryMeasure->isActive())
        layoutColumns();
}

bool MeasurePresenter::bindToCatalog()
{
    catalog::CatalogBrowser* browser = m_catalog.browser();
    if (!browser)
        return false;
    if (!m_bound) {
        m_bound = true;
        browser->addList(qryMeasure);
        // A synchronisation changed the catalog: the measures are read again at the next search.
        connect(browser, &catalog::CatalogBrowser::allClosed, this, [this] {
            m_search.reset();
            setHits({});
            m_page.lblMeasureFound->clear();
        });
        // Another seat's synchronisation: the hits shown stay, the next search reads the measures again.
        connect(browser, &catalog::CatalogBrowser::reloaded, this, [this] { m_search.reset(); });
    }
    return true;
}

void MeasurePresenter::btnMeasureClick()
{
    m_layout.pgGlobal->setCurrentPage(m_page.pgMeasure);
    m_page.rows[0].value->setFocus(Qt::ShortcutFocusReason);
}

void MeasurePresenter::btnMeasureFindClick()
{
    catalog::MeasureQuery query;
    if (const std::optional<MeasurePage::Fault> fault = m_page.readQuery(&query)) {
        // The hits of the previous entries do not answer these: they go, and the line says what to mend.
        qryMeasure->close();
        setHits({});
        showFound(faultText(*fault), true);
        return;
    }
    if (!bindToCatalog())
        return;
    try {
        if (!m_search) {
            const QString connection = m_catalog.browser()->qryItem->connectionName();
            m_search = catalog::MeasurementSearch::load(QSqlDatabase::database(connection, false));
        }
        m_query = query;
        setHits(m_search->find(query));
        m_currentGrid = m_page.grdMeasure;
        // A new search is ranked again, whatever column the last one was sorted by.
        qryMeasure->setRowOrder(QString());
        qryMeasure->open();
    } catch (const catalog::DatabaseError& e) {
        widgets::showMessageBox({m_window, "Velkorn", e.message(), widgets::BoxIcon::Error});
        return;
    }
    if (m_hits.isEmpty())
        showFound(m_msg("measureNothing"), false);
    else if (m_hits.size() == 1)
        showFound(m_msg("measureFound1"), false);
    else
        showFound(m_msg("measureFound").arg(m_hits.size()), false);
}

void MeasurePresenter::setHits(QVector<catalog::MeasureHit> hits)
{
    m_hits = std::move(hits);
    m_hitOfItem.clear();
    for (int at = 0; at < m_hits.size(); ++at)
        m_hitOfItem.insert(m_hits.at(at).itemId, at);
}

void MeasurePresenter::showFound(const QString& text, bool fault)
{
    QLabel* line = m_page.lblMeasureFound;
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText,
                     fault ? FaultColour : line->parentWidget()->palette().color(QPalette::WindowText));
    line->setPalette(palette);
    line->setText(text);
}

QString MeasurePresenter::faultText(const MeasurePage::Fault& fault) const
{
    const auto text = [this](const char* key) { return m_msg(QString::fromLatin1(key)); };
    QString box = m_msg(measureKey(fault.measure));
    if (fault.tolerance)
        box = text("measureToleranceOf").arg(box);
    switch (fault.problem) {
    case catalog::EntryProblem::Negative:
        return text("measureNegative").arg(box);
    case catalog::EntryProblem::WrongUnit: {
        const catalog::EntryRule rule =
            fault.tolerance ? catalog::toleranceRule(fault.measure) : catalog::valueRule(fault.measure);
        return text("measureWrongUnit").arg(box, rule.percent ? rule.unit + QStringLiteral(" / %") : rule.unit);
    }
    case catalog::EntryProblem::NotWhole:
        return text("measureNotWhole").arg(box);
    case catalog::EntryProblem::RangeNotAllowed:
        return text("measureNoRange").arg(box);
    case catalog::EntryProblem::ReversedRange:
        return text("measureReversedRange").arg(box);
    case catalog::EntryProblem::NotANumber:
    case catalog::EntryProblem::None:
        break;
    }
    return text("measureNotNumber").arg(box, fault.text);
}

void MeasurePresenter::showChosenHit()
{
    if (m_hits.isEmpty())
        return;
    m_layout.pgGrid->setCurrentPage(m_page.pgMeasureResults);
    m_layout.showPage(MainPage::CenterItem);
    m_currentGrid = m_page.grdMeasureResults;
}

void MeasurePresenter::fillRows(QStringList& fieldNames, QVector<QVector<QVariant>>& rows) const
{
    fieldNames = {QStringLiteral("CODE")};
    for (int m = 0; m < catalog::kMeasureCount; ++m)
        if (m_query.values[m])
            fieldNames << QStringLiteral("V%1").arg(m) << QStringLiteral("D%1").arg(m);
    fieldNames << QStringLiteral("STYLE") << QStringLiteral("ITEM_ID");
    rows.reserve(m_hits.size());
    for (const catalog::MeasureHit& hit : m_hits) {
        QVector<QVariant> row{hit.code};
        for (const catalog::MeasureMatch& match : hit.matches)
            row << match.itemValue << match.difference;
        row << m_msg(QStringLiteral("type%1").arg(hit.style)) << hit.itemId;
        rows.append(row);
    }
}

void MeasurePresenter::layoutColumns()
{
    auto caption = [this](catalog::QueryTableModel* model) {
        model->setHeaderCaption("CODE", m_msg("gridStyleCODE"));
        model->setHeaderCaption("STYLE", m_msg("measureStyle"));
        for (int m = 0; m < catalog::kMeasureCount; ++m) {
            model->setHeaderCaption(QStringLiteral("V%1").arg(m), m_msg(measureKey(catalog::Measure(m))));
            model->setHeaderCaption(QStringLiteral("D%1").arg(m), m_msg("measureDiff"));
        }
    };
    catalog::QueryTableModel* model = m_model;
    auto* paneModel = qobject_cast<catalog::QueryTableModel*>(m_page.grdMeasureResults->model());
    caption(model);
    caption(paneModel);
    for (QTableView* grid : {m_page.grdMeasure, m_page.grdMeasureResults})
        grid->horizontalHeader()->setVisible(qryMeasure->isActive());
    for (int column = 0; column < paneModel->columnCount(); ++column)
        m_page.grdMeasureResults->setColumnHidden(column, column != paneModel->columnOf("CODE"));
    QTableView* grid = m_page.grdMeasure;
    grid->horizontalHeader()->setStretchLastSection(false);
    for (int column = 0; column < model->columnCount(); ++column) {
        grid->setColumnHidden(column, column == model->columnOf("ITEM_ID"));
        // Values and differences take what a number needs; the code and style what their texts need.
        if (column == model->columnOf("CODE") || column == model->columnOf("STYLE"))
            grid->resizeColumnToContents(column);
        else
            grid->setColumnWidth(column, (column % 2) ? std::max(84, widestWord(grid, column)) : 52);
    }
    grid->horizontalHeader()->setStretchLastSection(true);
}

bool MeasurePresenter::isEntryBox(const QWidget* widget) const
{
    for (const MeasurePage::Row& row : m_page.rows)
        if (widget && (widget == row.value || widget == row.tolerance))
            return true;
    return false;
}

bool MeasurePresenter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right)
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
