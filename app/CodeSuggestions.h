#pragma once

#include "app/CodeSuggestionModel.h"

#include <QPointer>
#include <QWidget>

class QLineEdit;
namespace catalog {
class BackgroundCodeIndex;
}

namespace app {

// The drop-down under a search box that offers the first matching codes while the user types: code, its type and
// the item's own code per row, and a last row that tells how many more match. It never takes the keyboard focus, so
// typing goes on in the box; the window hands it the box's keys first (handleKey). A thin view over
// CodeSuggestionModel.
class CodeSuggestions : public QWidget
{
    Q_OBJECT

public:
    // `window` is the top-level widget the drop-down is drawn in, over its other children.
    CodeSuggestions(QWidget* window, CodeSuggestionModel::Finder finder);
    // A drop-down fed by the index while it is ready (none shows before), attached to the boxes.
    static CodeSuggestions* forIndex(QWidget* window, catalog::BackgroundCodeIndex* index,
                                     const QList<QLineEdit*>& boxes);

    // Every edit the user makes in the box updates the drop-down under it; leaving the box closes it.
    void attach(QLineEdit* box);
    // A key pressed in an attached box; true when the drop-down used it and nothing else may act on it.
    bool handleKey(QLineEdit* box, int key);

    // The entry of a row's context menu that adds the row's item to the comparison; no menu while it is empty.
    void setAddToComparisonText(const QString& text) { m_addToComparison = text; }

    const CodeSuggestionModel& model() const { return m_model; }
    int rowHeight() const;

    // The last row's text when more codes match than are shown; "%1" stands for their number.
    void setMoreRowsText(const QString& text) { m_moreRowsText = text; }
    // What that row says right now; empty while every match is shown.
    QString moreRowsLine() const;

signals:
    void itemChosen(int itemId);
    void addToComparison(int itemId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void refresh();
    void open(std::optional<int> item);
    int rowAt(int y) const;

    int shownRows() const;

    CodeSuggestionModel m_model;
    QPointer<QLineEdit> m_box;
    QString m_moreRowsText;
    QString m_addToComparison;
};

} // namespace app
