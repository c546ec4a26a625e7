#include "TestPictures.h"

#include "widgets/PictureData.h"
#include "widgets/TAdvPicture.h"
#include "widgets/TWallPaper.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace testpictures;
using widgets::PictureLoadError;
using widgets::TAdvPicture;
using widgets::TWallPaper;

namespace {

// Where a canvas pixel should come from: a point of the picture, or nothing (the canvas shows).
using Expectation = std::function<std::optional<QPoint>(int x, int y)>;

// Compares every pixel of the rendering with the expectation; reports the first few differences.
::testing::AssertionResult matches(const QImage& canvas, const Expectation& expected)
{
    int failures = 0;
    QString report;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const std::optional<QPoint> source = expected(x, y);
            const QColor want = source ? codedPixel(source->x(), source->y()) : kCanvas;
            const QColor got(canvas.pixel(x, y));
            if (got != want && ++failures <= 5)
                report += QString(" (%1,%2): got %3 want %4").arg(x).arg(y).arg(got.name(), want.name());
        }
    }
    if (failures == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << failures << " pixels differ:" << report.toStdString();
}

Expectation placedAt(QRect rect)
{
    return [rect](int x, int y) -> std::optional<QPoint> {
        if (!rect.contains(x, y))
            return std::nullopt;
        return QPoint(x - rect.x(), y - rect.y());
    };
}

Expectation tiled(QSize tile)
{
    return [tile](int x, int y) -> std::optional<QPoint> { return QPoint(x % tile.width(), y % tile.height()); };
}

} // namespace

TEST(TWallPaper, DefaultsAndEmptyPicture)
{
    TWallPaper wallPaper;
    EXPECT_EQ(wallPaper.size(), QSize(100, 100));
    EXPECT_EQ(wallPaper.imagePosition(), TWallPaper::ipTopLeft);
    // No picture: nothing is painted, not even a background.
    EXPECT_TRUE(matches(render(wallPaper), placedAt(QRect())));
}

TEST(TWallPaper, PositionsOfASmallPicture)
{
    TWallPaper wallPaper;
    wallPaper.resize(100, 80);
    wallPaper.setAdvImage(bmpBytes(codedImage(30, 21)));
    EXPECT_EQ(wallPaper.imageSize(), QSize(30, 21));

    const struct
    {
        TWallPaper::ImagePosition position;
        QRect rect;
    } cases[] = {
        {TWallPaper::ipTopLeft, QRect(0, 0, 30, 21)},     {TWallPaper::ipTopRight, QRect(70, 0, 30, 21)},
        {TWallPaper::ipBottomLeft, QRect(0, 59, 30, 21)}, {TWallPaper::ipBottomRight, QRect(70, 59, 30, 21)},
        {TWallPaper::ipCenter, QRect(35, 29, 30, 21)},
    };
    for (const auto& c : cases) {
        wallPaper.setImagePosition(c.position);
        EXPECT_TRUE(matches(render(wallPaper), placedAt(c.rect))) << "position " << c.position;
    }

    wallPaper.setImagePosition(TWallPaper::ipTiled);
    EXPECT_TRUE(matches(render(wallPaper), tiled(QSize(30, 21))));
}

TEST(TWallPaper, LargePictureIsCutAtTheRightAndBottom)
{
    TWallPaper wallPaper;
    wallPaper.resize(50, 40);
    wallPaper.setAdvImage(bmpBytes(codedImage(80, 60)));
    for (auto position : {TWallPaper::ipCenter, TWallPaper::ipTiled, TWallPaper::ipBottomRight}) {
        wallPaper.setImagePosition(position);
        EXPECT_TRUE(matches(render(wallPaper), placedAt(QRect(0, 0, 80, 60)))) << "position " << position;
    }
}

TEST(TWallPaper, StretchedCoversTheControl)
{
    TWallPaper wallPaper;
    wallPaper.resize(90, 60);
    wallPaper.setAdvImage(bmpBytes(solidImage(3, 2, Qt::red)));
    wallPaper.setImagePosition(TWallPaper::ipStretched);
    const QImage canvas = render(wallPaper);
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x)
            ASSERT_EQ(QColor(canvas.pixel(x, y)), QColor(Qt::red)) << x << "," << y;
    }
}

TEST(TWallPaper, UndecodablePictureKeepsThePreviousOne)
{
    TWallPaper wallPaper;
    const QByteArray good = bmpBytes(codedImage(30, 20));
    wallPaper.setAdvImage(good);
    QByteArray broken = good;
    broken[14] = 7; // information header size
    EXPECT_THROW(wallPaper.setAdvImage(broken), PictureLoadError);
    EXPECT_EQ(wallPaper.advImage(), good);
    EXPECT_TRUE(matches(render(wallPaper), placedAt(QRect(0, 0, 30, 20))));

    wallPaper.setAdvImage(QByteArray()); // clears
    EXPECT_TRUE(matches(render(wallPaper), placedAt(QRect())));
}

TEST(TAdvPicture, PositionsWithoutStretching)
{
    TAdvPicture picture;
    EXPECT_EQ(picture.size(), QSize(100, 100));
    EXPECT_TRUE(matches(render(picture), placedAt(QRect())));

    picture.resize(120, 90);
    picture.setPicture(bmpBytes(codedImage(40, 25)));
    const struct
    {
        TAdvPicture::PicturePosition position;
        QRect rect;
    } cases[] = {
        {TAdvPicture::bpTopLeft, QRect(0, 0, 40, 25)},     {TAdvPicture::bpTopRight, QRect(80, 0, 40, 25)},
        {TAdvPicture::bpBottomLeft, QRect(0, 65, 40, 25)}, {TAdvPicture::bpBottomRight, QRect(80, 65, 40, 25)},
        {TAdvPicture::bpCenter, QRect(40, 32, 40, 25)},
    };
    for (const auto& c : cases) {
        picture.setPicturePosition(c.position);
        EXPECT_TRUE(matches(render(picture), placedAt(c.rect))) << "position " << c.position;
    }
    picture.setPicturePosition(TAdvPicture::bpTiled);
    EXPECT_TRUE(matches(render(picture), tiled(QSize(40, 25))));
}

// The page logo sits in the lower right corner, and a page smaller than the logo shows its top left part.
TEST(TAdvPicture, BottomRightOnSmallAndLargeControls)
{
    TAdvPicture picture;
    picture.setPicture(bmpBytes(codedImage(70, 50)));
    picture.setPicturePosition(TAdvPicture::bpBottomRight);
    picture.resize(300, 200);
    EXPECT_TRUE(matches(render(picture), placedAt(QRect(230, 150, 70, 50))));
    picture.resize(60, 80);
    EXPECT_TRUE(matches(render(picture), placedAt(QRect(0, 30, 70, 50))));
}

TEST(TAdvPicture, StretchedModes)
{
    TAdvPicture picture;
    picture.setPicture(bmpBytes(solidImage(40, 20, Qt::red)));
    picture.resize(100, 100);

    picture.setPicturePosition(TAdvPicture::bpStretchedWithAspect);
    QImage canvas = render(picture);
    for (int y = 0; y < 100; ++y) {
        const QColor want = y < 50 ? QColor(Qt::red) : kCanvas;
        ASSERT_EQ(QColor(canvas.pixel(0, y)), want) << "row " << y;
        ASSERT_EQ(QColor(canvas.pixel(99, y)), want) << "row " << y;
    }

    picture.setPicturePosition(TAdvPicture::bpStretched);
    canvas = render(picture);
    EXPECT_EQ(QColor(canvas.pixel(0, 99)), QColor(Qt::red));
    EXPECT_EQ(QColor(canvas.pixel(99, 0)), QColor(Qt::red));
    EXPECT_EQ(QColor(canvas.pixel(50, 60)), QColor(Qt::red));
}
