#include "TestPictures.h"

#include "widgets/TRTFLabel.h"

#include <QTextDocument>

#include <gtest/gtest.h>

using namespace testpictures;
using widgets::TRTFLabel;

namespace {

const QColor kText(255, 0, 0);
const QColor kBackground(255, 255, 255);

// Red text, so that text pixels can be told from the white label and the blue canvas.
QByteArray redDocument(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\ansicpg1254{\\fonttbl{\\f0 DejaVu Sans;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\cf1 " +
           body + "}";
}

bool reddish(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 160 && qBlue(pixel) < 160;
}

// The rectangle around all text pixels.
QRect textBounds(const QImage& canvas)
{
    QRect bounds;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (reddish(canvas.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

TEST(TRTFLabel, BackgroundOpaqueOrTransparent)
{
    TRTFLabel label;
    label.resize(40, 20);
    EXPECT_FALSE(label.wordWrap());
    label.setColor(kBackground);
    QImage canvas = render(label);
    EXPECT_EQ(QColor(canvas.pixel(0, 0)), kBackground);
    EXPECT_EQ(QColor(canvas.pixel(39, 19)), kBackground);

    label.setTransparent(true);
    canvas = render(label);
    EXPECT_EQ(QColor(canvas.pixel(0, 0)), kCanvas);
    EXPECT_EQ(QColor(canvas.pixel(39, 19)), kCanvas);
}

// Full blocks start at the left edge of their cell, so the first text column shows the one-pixel inset.
TEST(TRTFLabel, DrawsInsetAndCutsOff)
{
    TRTFLabel label;
    label.resize(120, 60);
    label.setColor(kBackground);
    QByteArray body;
    for (int i = 0; i < 30; ++i)
        body += "\\u9608?\\u9608?\\u9608?\\u9608?\\u9608?\\u9608?\\u9608?\\u9608?\\u9608?\\u9608?\\par ";
    label.setRichText(redDocument("\\fs40 " + body));
    ASSERT_GE(label.document()->blockCount(), 30);

    // Drawn onto a canvas larger than the label: nothing may appear outside it.
    const QImage canvas = render(label, QSize(200, 150));
    const QRect bounds = textBounds(canvas);
    ASSERT_FALSE(bounds.isEmpty());
    EXPECT_EQ(bounds.left(), 1);
    EXPECT_GE(bounds.top(), 1);
    EXPECT_EQ(bounds.right(), 119);
    EXPECT_EQ(bounds.bottom(), 59);
    for (int y = 0; y < 60; ++y)
        ASSERT_EQ(QColor(canvas.pixel(0, y)), kBackground) << "row " << y;
}

TEST(TRTFLabel, WordWrapAndAlignment)
{
    TRTFLabel label;
    label.resize(150, 200);
    label.setColor(kBackground);
    label.setRichText(redDocument("one two three four five six seven eight nine ten eleven twelve"));
    const QRect single = textBounds(render(label));
    ASSERT_FALSE(single.isEmpty());
    EXPECT_LT(single.bottom(), 30); // one line, cut at the right
    EXPECT_EQ(single.right(), 149);

    label.setWordWrap(true);
    EXPECT_GT(textBounds(render(label)).bottom(), 40);

    // Alignment holds without wrapping too.
    label.setWordWrap(false);
    label.setRichText(redDocument("\\qr right"));
    const QRect right = textBounds(render(label));
    EXPECT_GT(right.left(), 75);
    EXPECT_GE(right.right(), 140);
    label.setRichText(redDocument("\\qc mid"));
    const QRect centred = textBounds(render(label));
    EXPECT_NEAR((centred.left() + centred.right()) / 2.0, 75, 6);
}
