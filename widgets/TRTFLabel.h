#pragma once

#include <QByteArray>
#include <QColor>
#include <QWidget>

class QTextDocument;

namespace widgets {

// A label that shows an RTF document, drawn inset by one pixel and cut off at the label's rectangle.
// Deliberately not a QLabel: the language files translate labels, and these carry their own text.
class TRTFLabel : public QWidget
{
    Q_OBJECT

public:
    explicit TRTFLabel(QWidget* parent = nullptr);
    ~TRTFLabel() override;

    // The RTF document. Malformed documents show what can be read; this never throws.
    void setRichText(const QByteArray& rtf);
    QByteArray richText() const { return m_rtf; }

    void setTransparent(bool transparent);
    bool transparent() const { return m_transparent; }

    void setColor(const QColor& color);
    QColor color() const { return m_color; }

    void setWordWrap(bool wrap);
    bool wordWrap() const { return m_wordWrap; }

    // The document as read, for inspection.
    const QTextDocument* document() const { return m_document; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QByteArray m_rtf;
    QTextDocument* m_document = nullptr;
    QColor m_color;
    bool m_transparent = false;
    bool m_wordWrap = false;
};

} // namespace widgets
