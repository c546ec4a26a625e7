#include "app/Anchors.h"

#include <QEvent>
#include <QWidget>

namespace app {

Anchors::Anchors(QWidget* parent, QSize designSize) : QObject(parent), m_parent(parent), m_designSize(designSize)
{
    setObjectName("anchors");
    parent->installEventFilter(this);
}

void Anchors::anchor(QWidget* child, int edges, QSize designParentSize)
{
    QWidget* parent = child->parentWidget();
    Anchors* anchors = parent->findChild<Anchors*>("anchors", Qt::FindDirectChildrenOnly);
    if (!anchors)
        anchors = new Anchors(parent, designParentSize);
    anchors->m_entries.append({child, child->geometry(), edges});
    anchors->relayout();
}

QRect Anchors::place(const QRect& design, int edges, QSize designParent, QSize parent)
{
    const int dw = parent.width() - designParent.width();
    const int dh = parent.height() - designParent.height();
    QRect r = design;
    if (edges & CenterH)
        r.moveLeft((parent.width() - design.width()) / 2);
    else if ((edges & Left) && (edges & Right))
        r.setWidth(qMax(0, design.width() + dw));
    else if (edges & Right)
        r.moveLeft(design.left() + dw);
    if (edges & CenterV)
        r.moveTop((parent.height() - design.height()) / 2);
    else if ((edges & Top) && (edges & Bottom))
        r.setHeight(qMax(0, design.height() + dh));
    else if (edges & Bottom)
        r.moveTop(design.top() + dh);
    return r;
}

bool Anchors::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_parent && event->type() == QEvent::Resize)
        relayout();
    return QObject::eventFilter(watched, event);
}

void Anchors::relayout()
{
    for (const Entry& e : m_entries)
        if (e.child)
            e.child->setGeometry(place(e.design, e.edges, m_designSize, m_parent->size()));
}

} // namespace app
