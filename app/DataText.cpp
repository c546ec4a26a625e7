#include "app/DataText.h"

#include <QEvent>
#include <QPainter>

namespace app {

DataText::DataText(QWidget* parent) : QWidget(parent) {}

void DataText::setText(const QString& text)
{
    m_text = text;
    if (m_autoSize)
        resize(fontMetrics().horizontalAdvance(m_text) + 2, qMax(height(), fontMetrics().height()));
    updateCutOff();
    update();
}

void DataText::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void DataText::setColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void DataText::setAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
}

void DataText::resizeEvent(QResizeEvent*)
{
    updateCutOff();
}

void DataText::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateCutOff();
}

void DataText::updateCutOff()
{
    m_cutOff = fontMetrics().horizontalAdvance(m_text) > width();
    setToolTip(m_cutOff ? m_text : QString());
}

void DataText::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QString shown = m_cutOff ? fontMetrics().elidedText(m_text, Qt::ElideRight, width()) : m_text;
    painter.drawText(rect(), int(m_alignment), shown);
}

} // namespace app
