#include "app/DataText.h"

#include <QPainter>

DataText::DataText(QWidget* parent) : QWidget(parent) {}

void DataText::setText(const QString& text)
{
    m_text = text;
    if (m_autoSize)
        resize(fontMetrics().horizontalAdvance(m_text) + 2, qMax(height(), fontMetrics().height()));
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

void DataText::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), int(m_alignment), m_text);
}
