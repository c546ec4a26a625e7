#include "widgets/TRTFLabel.h"

#include "widgets/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>
#include <QTextOption>

namespace widgets {

TRTFLabel::TRTFLabel(QWidget* parent) : QWidget(parent), m_color(palette().color(QPalette::Window))
{
    m_document = readRtf(QByteArray(), this, logicalDpiX());
}

TRTFLabel::~TRTFLabel() = default;

void TRTFLabel::setRichText(const QByteArray& rtf)
{
    QTextDocument* document = readRtf(rtf, this, logicalDpiX());
    delete m_document;
    m_document = document;
    m_rtf = rtf;
    update();
}

void TRTFLabel::setTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

void TRTFLabel::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void TRTFLabel::setWordWrap(bool wrap)
{
    m_wordWrap = wrap;
    update();
}

void TRTFLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(rect(), m_color);

    // The document goes into the rectangle from (1, 1) to the far corner; whatever does not fit is cut off.
    const QRect area(1, 1, width() - 1, height() - 1);
    if (area.isEmpty())
        return;
    QTextOption option = m_document->defaultTextOption();
    option.setWrapMode(m_wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    m_document->setDefaultTextOption(option);
    // Without wrapping the width still anchors centred and right-aligned paragraphs.
    m_document->setTextWidth(area.width());

    painter.translate(area.topLeft());
    const QRect clip(QPoint(0, 0), area.size());
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    m_document->documentLayout()->draw(&painter, context);
}

} // namespace widgets
