#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class QWidget;

namespace app {

// Keeps children laid out by absolute position at a fixed distance from the parent's edges they are anchored to,
// the way the window was designed: the geometry a child has when anchored, against the parent's size at that
// moment, is the design from which every later parent size is worked out.
class Anchors : public QObject
{
    Q_OBJECT
public:
    enum Edge
    {
        Left = 1,
        Top = 2,
        Right = 4,
        Bottom = 8,
        // Kept centred in the parent (neither edge of the axis held).
        CenterH = 16,
        CenterV = 32,
        TopLeft = Left | Top,
        TopRight = Right | Top,
        All = Left | Top | Right | Bottom,
    };

    // Anchors `child` inside `parent`, whose design size is `designParentSize`.
    static void anchor(QWidget* child, int edges, QSize designParentSize);

    // Geometry of a child with design geometry `design` in a parent of design size `designParent`, resized to
    // `parent`.
    static QRect place(const QRect& design, int edges, QSize designParent, QSize parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit Anchors(QWidget* parent, QSize designSize);
    void relayout();

    struct Entry
    {
        QPointer<QWidget> child;
        QRect design;
        int edges;
    };
    QWidget* m_parent;
    QSize m_designSize;
    QList<Entry> m_entries;
};

} // namespace app
