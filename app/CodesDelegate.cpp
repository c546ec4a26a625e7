#include "app/CodesDelegate.h"

#include "catalog/ItemDetails.h"

#include <QPainter>

namespace app {

CodesDelegate::CodesDelegate(int prefixColumn, QObject* parent)
    : QStyledItemDelegate(parent), m_prefixColumn(prefixColumn)
{
}

void CodesDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QVariant prefix = index.sibling(index.row(), m_prefixColumn).data();
    QStyleOptionViewItem opt = option;
    const QPalette& system = QPalette();
    switch (catalog::codeRowColour(prefix, selected)) {
    case catalog::CodeRowColour::Selection:
    case catalog::CodeRowColour::Default:
        break;
    case catalog::CodeRowColour::ToolTip:
        opt.backgroundBrush = system.color(QPalette::ToolTipBase);
        opt.palette.setColor(QPalette::Text, system.color(QPalette::ToolTipText));
        break;
    case catalog::CodeRowColour::Window:
        opt.backgroundBrush = system.color(QPalette::Base);
        opt.palette.setColor(QPalette::Text, system.color(QPalette::Text));
        break;
    }
    if (opt.backgroundBrush.style() != Qt::NoBrush)
        painter->fillRect(opt.rect, opt.backgroundBrush);
    QStyledItemDelegate::paint(painter, opt, index);
}

} // namespace app
