#include "app/ItemCopying.h"

#include "app/CopyText.h"
#include "app/DataText.h"
#include "app/MainWindowLayout.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/ItemDetails.h"
#include "catalog/QueryTableModel.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTableView>

namespace app {

namespace {

using catalog::ListPage;

void toClipboard(const QString& text)
{
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

QString withCopyKey(const QString& text)
{
    return text + QLatin1Char('\t') + QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText);
}

// The lines of the technical data table (top of each row) within the item-detail panel; the operating pressure
// spans three rows.
constexpr int TechnicalRowTops[] = {8, 24, 40, 56, 72, 88, 104, 120, 136};

} // namespace

ItemCopying::ItemCopying(MainWindowLayout& layout, std::function<QString(const char*)> text, QObject* parent)
    : QObject(parent), m_layout(layout), m_text(std::move(text)), m_details(layout.values[0]->parentWidget())
{
    for (QTableView* grid :
         {m_layout.gridOemCross, m_layout.gridStyle, m_layout.grdSearch, m_layout.grdKullanim, m_layout.dxDBGrid1})
        offerCopies(grid);
    for (QWidget* copySource : {static_cast<QWidget*>(m_layout.DBText1), m_details}) {
        // A click gives them the keyboard focus, so that Ctrl+C reaches them.
        copySource->setFocusPolicy(Qt::ClickFocus);
        copySource->setContextMenuPolicy(Qt::CustomContextMenu);
        copySource->installEventFilter(this);
    }
    connect(m_layout.DBText1, &QWidget::customContextMenuRequested, this, &ItemCopying::showHeaderCodeMenu);
    connect(m_details, &QWidget::customContextMenuRequested, this, &ItemCopying::showTechnicalMenu);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (auto* grid = qobject_cast<QTableView*>(now);
            grid && (grid == m_layout.dxDBGrid1 || m_layout.isListGrid(grid) || m_otherGrids.contains(grid)))
            m_lastGrid = grid;
    });
}

void ItemCopying::offerCopies(QTableView* grid)
{
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& pos) { showGridMenu(grid, pos); });
    grid->installEventFilter(this);
}

void ItemCopying::addListGrid(const catalog::TQuery* list, QTableView* grid)
{
    offerCopies(grid);
    m_otherGrids.append(grid);
    if (!m_gridOfList.contains(list))
        m_gridOfList.insert(list, grid);
}

QTableView* ItemCopying::currentListGrid() const
{
    if (!m_browser || !m_browser->currentList())
        return nullptr;
    const ListPage page = m_browser->pageOf(m_browser->currentList());
    return page == ListPage::None ? m_gridOfList.value(m_browser->currentList()).data() : m_layout.listGrid(page);
}

QTableView* ItemCopying::actingGrid() const
{
    return m_lastGrid ? m_lastGrid.data() : currentListGrid();
}

void ItemCopying::copyCode(QTableView* grid, int row, int column)
{
    toClipboard(grid ? codeOfRow(grid, row, column) : m_layout.DBText1->text());
}

void ItemCopying::copyAllCodes()
{
    if (!m_browser || !m_browser->qryCodes->isActive())
        return;
    const catalog::TQuery* codes = m_browser->qryCodes;
    QList<QPair<QString, QString>> typeAndCode;
    const int type = codes->fieldIndex("TYPE");
    const int code = codes->fieldIndex("CODE");
    for (int row = 0; row < codes->recordCount(); ++row)
        typeAndCode.append({codes->value(row, type).toString(), codes->value(row, code).toString()});
    toClipboard(clipboardCodes(typeAndCode));
}

void ItemCopying::copyRow(QTableView* grid, int row)
{
    if (!grid)
        grid = actingGrid();
    if (!grid)
        return;
    if (row < 0)
        row = grid->currentIndex().row();
    toClipboard(clipboardRow(visibleCells(grid, row)));
}

int ItemCopying::technicalRowAt(int y)
{
    for (int row = 0; row < 8; ++row)
        if (y >= TechnicalRowTops[row] && y < TechnicalRowTops[row + 1])
            return row;
    return -1;
}

QString ItemCopying::labelText(const char* name) const
{
    const auto* label = m_details->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text().trimmed() : QString();
}

QStringList ItemCopying::technicalRow(int row) const
{
    // Caption, unit and value as the table shows them; the pressure rows name their value (Default, Max, Min).
    static const char* const captions[8] = {"lblTotalWeight",       "lblOperationPressure", "lblOperationPressure",
                                            "lblOperationPressure", "lblOperationSpace",    "lblAssemblyHeight",
                                            "lblPistonType",        "lblLoadingCapacity"};
    static const char* const units[8] = {"Label1", "Label2", "Label2", "Label2", "Label3", "Label4", nullptr, "Label5"};
    static const char* const pressures[8] = {nullptr, "Label8", "Label6", "Label7", nullptr, nullptr, nullptr, nullptr};
    QString caption = labelText(captions[row]);
    if (pressures[row])
        caption = catalog::pressureRowCaption(caption, labelText(pressures[row]));
    return {caption, units[row] ? labelText(units[row]) : QString(), m_layout.values[row]->text()};
}

QStringList ItemCopying::technicalCaptions() const
{
    QStringList captions;
    for (int row = 0; row < 8; ++row) {
        const QStringList cells = technicalRow(row);
        captions << (cells.at(1).isEmpty() ? cells.at(0) : cells.at(0) + QLatin1Char(' ') + cells.at(1));
    }
    return captions;
}

void ItemCopying::copyTechnicalData(int row)
{
    if (m_layout.DBText1->text().isEmpty())
        return;
    if (row >= 0) {
        toClipboard(clipboardRow(technicalRow(row)));
        return;
    }
    QStringList lines;
    for (int r = 0; r < 8; ++r)
        lines << clipboardRow(technicalRow(r));
    toClipboard(lines.join(QLatin1Char('\n')));
}

int ItemCopying::itemIdOfRow(const QTableView* grid, int row) const
{
    if (!m_browser)
        return 0;
    if (grid == m_layout.dxDBGrid1)
        return m_browser->itemDetails().itemId;
    const auto* model = qobject_cast<const catalog::QueryTableModel*>(grid->model());
    const catalog::TQuery* list = model ? model->query() : nullptr;
    if (!list || !list->isActive() || row < 0 || row >= list->recordCount() || !list->hasField("ITEM_ID"))
        return 0;
    return list->value(row, list->fieldIndex("ITEM_ID")).toInt();
}

void ItemCopying::execMenu(QMenu& menu, int itemId, const QPoint& globalPos)
{
    if (addMenuEntries && itemId > 0) {
        menu.addSeparator();
        addMenuEntries(menu, itemId);
    }
    menu.exec(globalPos);
}

void ItemCopying::showGridMenu(QTableView* grid, const QPoint& pos)
{
    const QModelIndex at = grid->indexAt(pos);
    const int row = at.isValid() ? at.row() : grid->currentIndex().row();
    if (row < 0)
        return;
    QMenu menu;
    menu.addAction(m_text("copyCode"), this, [=] { copyCode(grid, row, at.column()); });
    menu.addAction(m_text("copyAllCodes"), this, &ItemCopying::copyAllCodes);
    menu.addAction(withCopyKey(m_text("copyRow")), this, [=] { copyRow(grid, row); });
    execMenu(menu, itemIdOfRow(grid, row), grid->viewport()->mapToGlobal(pos));
}

void ItemCopying::showHeaderCodeMenu(const QPoint& pos)
{
    if (m_layout.DBText1->text().isEmpty())
        return;
    QMenu menu;
    menu.addAction(withCopyKey(m_text("copyCode")), this, [this] { copyCode(); });
    menu.addAction(m_text("copyAllCodes"), this, &ItemCopying::copyAllCodes);
    execMenu(menu, m_browser ? m_browser->itemDetails().itemId : 0, m_layout.DBText1->mapToGlobal(pos));
}

void ItemCopying::showTechnicalMenu(const QPoint& pos)
{
    if (m_layout.DBText1->text().isEmpty())
        return;
    const int row = technicalRowAt(pos.y());
    QMenu menu;
    menu.addAction(m_text("copyCode"), this, [this] { copyCode(); });
    menu.addAction(m_text("copyAllCodes"), this, &ItemCopying::copyAllCodes);
    QAction* copyRow = menu.addAction(m_text("copyRow"), this, [this, row] { copyTechnicalData(row); });
    copyRow->setEnabled(row >= 0);
    execMenu(menu, m_browser ? m_browser->itemDetails().itemId : 0, m_details->mapToGlobal(pos));
}

bool ItemCopying::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        if (watched == m_layout.DBText1)
            copyCode();
        else if (watched == m_details)
            copyTechnicalData();
        else
            copyRow(static_cast<QTableView*>(watched));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
