#pragma once

#include <QWidget>

namespace app {

// Shows one value of the current item. Not a QLabel, so the language component leaves it alone: its text comes
// from the database, not from the language file. A text too wide for the control ends in "…" and shows whole as the
// control's tool tip.
class DataText : public QWidget
{
    Q_OBJECT
public:
    explicit DataText(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    void setAlignment(Qt::Alignment alignment);
    void setColor(const QColor& color);
    // Resize the control to its text whenever the text changes.
    void setAutoSize(bool autoSize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateCutOff();

    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool m_autoSize = false;
    bool m_cutOff = false;
};

} // namespace app
