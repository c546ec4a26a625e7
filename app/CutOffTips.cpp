#include "app/CutOffTips.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QTableView>
#include <QToolTip>

namespace app {

namespace {

// A cell's text is drawn inside the cell less the item delegate's text margin on each side.
int cellTextWidth(const QTableView* grid, const QRect& cell)
{
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    return cell.width() - 2 * margin;
}

// The header sections are drawn bold with a pixel of padding each side and a one-pixel border.
constexpr int HeaderFrame = 3;

} // namespace

CutOffTips::CutOffTips(QTableView* grid) : QObject(grid), m_grid(grid)
{
    grid->viewport()->installEventFilter(this);
    grid->horizontalHeader()->viewport()->installEventFilter(this);
}

void CutOffTips::install(QTableView* grid)
{
    new CutOffTips(grid);
}

bool CutOffTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    QHeaderView* header = m_grid->horizontalHeader();
    QString text;
    QRect area;
    bool cutOff = false;
    if (watched == header->viewport()) {
        const int section = header->logicalIndexAt(help->pos());
        if (section >= 0 && m_grid->model()) {
            text = m_grid->model()->headerData(section, Qt::Horizontal).toString();
            QFont bold = header->font();
            bold.setBold(true);
            area = QRect(header->sectionViewportPosition(section), 0, header->sectionSize(section), header->height());
            cutOff = QFontMetrics(bold).horizontalAdvance(text) > area.width() - HeaderFrame;
        }
    } else {
        const QModelIndex index = m_grid->indexAt(help->pos());
        if (index.isValid()) {
            text = index.data().toString();
            area = m_grid->visualRect(index);
            cutOff = m_grid->fontMetrics().horizontalAdvance(text) > cellTextWidth(m_grid, area);
        }
    }
    if (cutOff)
        QToolTip::showText(help->globalPos(), text, static_cast<QWidget*>(watched), area);
    else
        QToolTip::hideText();
    return true;
}

} // namespace app
