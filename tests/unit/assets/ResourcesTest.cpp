#include "assets/Assets.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace {

struct Picture
{
    const char* name;
    int width;
    int height;
    const char* format;
};

// The sizes that the windows are laid out for; the picture widgets decode JPEG only, so their pictures must be JPEG.
const Picture kPictures[] = {
    {"languageBg.jpg", 346, 286, "jpeg"},     {"bannerTile.jpg", 64, 97, "jpeg"},
    {"logo.jpg", 173, 100, "jpeg"},           {"sloganTR.jpg", 218, 97, "jpeg"},
    {"sloganEN.jpg", 218, 97, "jpeg"},        {"sloganDE.jpg", 218, 97, "jpeg"},
    {"WallPaper9.jpg", 27, 36, "jpeg"},       {"WallPaper4.jpg", 32, 36, "jpeg"},
    {"WallPaper8.jpg", 107, 36, "jpeg"},      {"WallPaper6.jpg", 41, 36, "jpeg"},
    {"WallPaper7.jpg", 172, 36, "jpeg"},      {"WallPaper5.jpg", 19, 36, "jpeg"},
    {"WallPaper10.jpg", 41, 36, "jpeg"},      {"WallPaper3.jpg", 172, 36, "jpeg"},
    {"btnPrev.jpg", 11, 17, "jpeg"},          {"btnPrevOver.jpg", 11, 17, "jpeg"},
    {"btnNext.jpg", 11, 17, "jpeg"},          {"btnNextOver.jpg", 11, 17, "jpeg"},
    {"btnSearch.jpg", 29, 29, "jpeg"},        {"btnSearchOver.jpg", 29, 29, "jpeg"},
    {"pageForward.jpg", 20, 20, "jpeg"},      {"pageForwardOver.jpg", 20, 20, "jpeg"},
    {"pageBack.jpg", 20, 20, "jpeg"},         {"pageBackOver.jpg", 20, 20, "jpeg"},
    {"introLogo.jpg", 690, 344, "jpeg"},      {"introLogoOver.jpg", 690, 344, "jpeg"},
    {"velkornBg.jpg", 520, 420, "jpeg"},      {"instTR.jpg", 801, 455, "jpeg"},
    {"instTR2.jpg", 801, 455, "jpeg"},        {"instTR3.jpg", 801, 455, "jpeg"},
    {"instEN.jpg", 801, 455, "jpeg"},         {"instEN2.jpg", 801, 455, "jpeg"},
    {"instEN3.jpg", 801, 455, "jpeg"},        {"instDE.jpg", 801, 455, "jpeg"},
    {"instDE2.jpg", 801, 455, "jpeg"},        {"instDE3.jpg", 801, 455, "jpeg"},
    {"imgProfile2TR.jpg", 700, 1090, "jpeg"}, {"imgProfile2EN.jpg", 700, 1090, "jpeg"},
    {"imgProfile2DE.jpg", 700, 1090, "jpeg"}, {"studs.png", 153, 74, "png"},
    {"studsTR.png", 153, 74, "png"},          {"studsEN.png", 153, 74, "png"},
    {"studsDE.png", 153, 74, "png"},          {"tasit1.png", 167, 65, "png"},
    {"tasit2.png", 167, 65, "png"},           {"tasit3.png", 167, 65, "png"},
    {"tasit4.png", 167, 65, "png"},           {"sTasit1.png", 80, 31, "png"},
    {"sTasit2.png", 80, 31, "png"},           {"sTasit3.png", 80, 31, "png"},
    {"sTasit4.png", 80, 31, "png"},
};

QImage art(const char* name)
{
    return QImage::fromData(assets::readArt(QString::fromLatin1(name)));
}

int lightness(QRgb c)
{
    return (qRed(c) * 30 + qGreen(c) * 59 + qBlue(c) * 11) / 100;
}

// Largest per-channel difference between two pixels.
int distance(QRgb a, QRgb b)
{
    return qMax(qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
}

} // namespace

// Linking velkorn_assets alone must register the resources; nothing is initialised by hand.
TEST(Resources, LinkingTheLibraryRegistersTheArtwork)
{
    EXPECT_TRUE(QFile(QStringLiteral(":/art/logo.jpg")).exists());
    EXPECT_EQ(assets::artPath(QStringLiteral("logo.jpg")), QStringLiteral(":/art/logo.jpg"));
    EXPECT_TRUE(assets::readArt(QStringLiteral("no-such-picture.jpg")).isEmpty());
}

// The mounting-symbol legend is worded, so each language needs its own picture; the plain one is the English.
TEST(Resources, MountingLegendIsWordedPerLanguage)
{
    const QImage tr = art("studsTR.png");
    const QImage en = art("studsEN.png");
    const QImage de = art("studsDE.png");
    ASSERT_FALSE(tr.isNull() || en.isNull() || de.isNull());
    EXPECT_NE(tr, en);
    EXPECT_NE(de, en);
    EXPECT_NE(tr, de);
    EXPECT_EQ(art("studs.png"), en);
}

TEST(Resources, EveryPictureHasItsFormatAndSize)
{
    for (const Picture& picture : kPictures) {
        SCOPED_TRACE(picture.name);
        QImageReader reader(assets::artPath(QString::fromLatin1(picture.name)));
        ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
        EXPECT_EQ(reader.format(), QByteArray(picture.format));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(picture.width, picture.height));
    }
}

// Pieces that are tiled or placed side by side must meet without a visible edge.
TEST(Resources, TiledPiecesRepeatSeamlessly)
{
    for (const char* name : {"bannerTile.jpg", "WallPaper4.jpg"}) {
        SCOPED_TRACE(name);
        const QImage tile = art(name);
        ASSERT_FALSE(tile.isNull());
        for (int y = 0; y < tile.height(); ++y)
            EXPECT_LE(distance(tile.pixel(0, y), tile.pixel(tile.width() - 1, y)), 12) << "row " << y;
    }
    // The logo stands at the banner's left end and the tiles continue it.
    const QImage logo = art("logo.jpg"), tile = art("bannerTile.jpg");
    for (int y = 0; y < 97; y += 4)
        EXPECT_LE(distance(logo.pixel(logo.width() - 1, y), tile.pixel(0, y)), 12) << "row " << y;
}

// The header bar is assembled from pieces side by side; neighbours must meet without a step in colour (the search
// box's sunken bed, rows 5..29 of the search area, is meant to stand out).
TEST(Resources, HeaderPiecesJoinTheirNeighbours)
{
    const struct
    {
        const char* left;
        const char* right;
    } joins[] = {{"WallPaper9.jpg", "WallPaper4.jpg"}, {"WallPaper5.jpg", "WallPaper4.jpg"},
                 {"WallPaper4.jpg", "WallPaper5.jpg"}, {"WallPaper4.jpg", "WallPaper8.jpg"},
                 {"WallPaper8.jpg", "WallPaper6.jpg"}, {"WallPaper6.jpg", "WallPaper7.jpg"},
                 {"WallPaper10.jpg", "WallPaper3.jpg"}};
    for (const auto& j : joins) {
        SCOPED_TRACE(std::string(j.left) + " | " + j.right);
        const QImage left = art(j.left), right = art(j.right);
        ASSERT_EQ(left.height(), 36);
        ASSERT_EQ(right.height(), 36);
        for (int y = 0; y < 36; ++y) {
            if (y >= 5 && y <= 29)
                continue;
            EXPECT_LE(distance(left.pixel(left.width() - 1, y), right.pixel(0, y)), 16) << "row " << y;
        }
    }
}

// The arrow buttons lie on the header piece; their background must be the piece's own colour there.
TEST(Resources, HeaderButtonsBlendIntoTheirPiece)
{
    const QImage holder = art("WallPaper8.jpg");
    const struct
    {
        const char* name;
        QPoint at;
    } buttons[] = {
        {"btnPrev.jpg", {6, 9}}, {"btnPrevOver.jpg", {6, 9}}, {"btnNext.jpg", {93, 9}}, {"btnNextOver.jpg", {93, 9}}};
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.name);
        const QImage glyph = art(b.name);
        ASSERT_FALSE(glyph.isNull());
        for (const QPoint corner : {QPoint(0, 0), QPoint(10, 0), QPoint(0, 16), QPoint(10, 16)})
            EXPECT_LE(distance(glyph.pixel(corner), holder.pixel(b.at + corner)), 16);
    }
    const QImage area = art("WallPaper7.jpg");
    for (const char* name : {"btnSearch.jpg", "btnSearchOver.jpg"}) {
        SCOPED_TRACE(name);
        const QImage glyph = art(name);
        EXPECT_LE(distance(glyph.pixel(0, 0), area.pixel(137, 4)), 16);
        EXPECT_LE(distance(glyph.pixel(28, 28), area.pixel(165, 32)), 16);
    }
}

// Each "Over" picture must differ from its normal picture, or hovering shows nothing.
TEST(Resources, HoverPicturesDifferFromNormal)
{
    for (const char* glyph : {"btnPrev", "btnNext", "btnSearch", "pageForward", "pageBack", "introLogo"}) {
        SCOPED_TRACE(glyph);
        const QImage normal = art(QByteArray(glyph).append(".jpg").constData());
        const QImage over = art(QByteArray(glyph).append("Over.jpg").constData());
        ASSERT_EQ(normal.size(), over.size());
        int changed = 0;
        for (int y = 0; y < normal.height(); ++y)
            for (int x = 0; x < normal.width(); ++x)
                changed += distance(normal.pixel(x, y), over.pixel(x, y)) > 40;
        EXPECT_GT(changed, 4);
    }
}

// The language dialog draws its labels over the lower part: it must stay light and calm there.
TEST(Resources, LanguageBackgroundLeavesTheLabelAreaQuiet)
{
    const QImage image = art("languageBg.jpg");
    ASSERT_FALSE(image.isNull());
    for (int y = 215; y < 270; ++y)
        for (int x = 60; x < 290; ++x)
            ASSERT_GE(lightness(image.pixel(x, y)), 225) << "at " << x << "," << y;
}
