#pragma once

#include <QObject>

class QTableView;

namespace app {

// Shows the whole text of a grid cell or column header as a tool tip when its column is too narrow for it, and no
// tool tip where the text fits. The grid's columns keep their designed widths.
class CutOffTips final : public QObject
{
    Q_OBJECT
public:
    // Lives as long as `grid`.
    static void install(QTableView* grid);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CutOffTips(QTableView* grid);

    QTableView* m_grid;
};

} // namespace app
