#include "ArtKit.h"
#include "LanguageTexts.h"
#include "SpringPainter.h"
#include "VehiclePainter.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// Paints into a canvas with a wide white margin around target and counts drawn pixels outside target.
template <typename Paint> int inkOutside(const QRect& target, Paint paint)
{
    const int margin = 60;
    QImage image(target.width() + 2 * margin, target.height() + 2 * margin, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        artgen::prepare(p);
        p.translate(margin, margin);
        paint(p);
    }
    const QRect inside = target.translated(margin, margin).adjusted(-1, -1, 1, 1);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!inside.contains(x, y) && qGray(image.pixel(x, y)) < 235)
                ++count;
    return count;
}

} // namespace

// The item pictures fit each drawing by its extent; anything drawn outside it would be cut off or overlap the
// dimension lines.
TEST(SpringPainter, EveryViewStaysInsideItsExtent)
{
    for (int kind = SpringPainter::RollingLobeSleeve; kind <= SpringPainter::Seat; ++kind) {
        SCOPED_TRACE(kind);
        const SpringPainter spring(static_cast<SpringPainter::Kind>(kind));
        const QRect target(0, 0, 300, 300);
        const auto side = [&](QPainter& p) {
            SpringPainter::fitInto(p, target, spring.sideExtent());
            spring.paintSide(p);
        };
        const auto section = [&](QPainter& p) {
            SpringPainter::fitInto(p, target, spring.sideExtent());
            spring.paintSection(p);
        };
        const auto top = [&](QPainter& p) {
            SpringPainter::fitInto(p, target, spring.topExtent());
            spring.paintTop(p);
        };
        EXPECT_EQ(inkOutside(target, side), 0);
        EXPECT_EQ(inkOutside(target, section), 0);
        EXPECT_EQ(inkOutside(target, top), 0);
        EXPECT_GT(spring.diameter(), 0);
        EXPECT_GT(spring.height(), 0);
    }
}

TEST(VehiclePainter, EveryPictogramStaysInsideItsSlot)
{
    for (int usage = 1; usage <= 4; ++usage) {
        SCOPED_TRACE(usage);
        for (const QRect target : {QRect(0, 0, 167, 65), QRect(0, 0, 80, 31)})
            EXPECT_EQ(inkOutside(target, [&](QPainter& p) { VehiclePainter::paint(p, target, usage); }), 0);
    }
}

// Every language must carry every text the pictures index; a short list would crash the generator or leave a
// step without its caption.
TEST(LanguageTexts, EveryLanguageIsComplete)
{
    const QVector<LanguageTexts>& all = allLanguageTexts();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0].suffix, QStringLiteral("TR"));
    EXPECT_EQ(all[1].suffix, QStringLiteral("EN"));
    EXPECT_EQ(all[2].suffix, QStringLiteral("DE"));
    for (const LanguageTexts& t : all) {
        SCOPED_TRACE(t.suffix.toStdString());
        EXPECT_EQ(t.stepTitles.size(), 6);
        EXPECT_EQ(t.stepTexts.size(), 6);
        EXPECT_EQ(t.codeParts.size(), 5);
        EXPECT_EQ(t.partNames.size(), 8);
        EXPECT_EQ(t.introHeadings.size(), t.introTexts.size());
        EXPECT_EQ(t.familyNames.size(), 8);
        EXPECT_EQ(t.familyTexts.size(), 8);
        for (const QString& s : {t.slogan, t.sloganSub, t.installTitle, t.safetyNote, t.codeTitle, t.introTitle})
            EXPECT_FALSE(s.trimmed().isEmpty());
    }
    // The Turkish family names are the catalog's own style names.
    EXPECT_EQ(all[0].familyNames[1], QStringLiteral("Roll Metalli Körük (Pistonsuz)"));
    EXPECT_EQ(all[0].familyNames[5], QStringLiteral("3 Katlı Körükler"));
}

// Captions drawn on a single line must fit the space the layout gives them, in every language.
TEST(LanguageTexts, SingleLineCaptionsFitTheirSpace)
{
    const QFontMetricsF stepTitle(artgen::font(15, true));
    const QFontMetricsF codePart(artgen::font(13));
    const QFontMetricsF sloganSub(artgen::font(11));
    const QFontMetricsF slogan(artgen::font(14, true));
    for (const LanguageTexts& t : allLanguageTexts()) {
        SCOPED_TRACE(t.suffix.toStdString());
        for (const QString& title : t.stepTitles)
            EXPECT_LE(stepTitle.horizontalAdvance(title), 322) << title.toStdString();
        for (const QString& part : t.codeParts)
            EXPECT_LE(codePart.horizontalAdvance(part), 540) << part.toStdString();
        EXPECT_LE(sloganSub.horizontalAdvance(t.sloganSub), 200);
        // Slogans shrink down to 14 px at most to fit 196 px.
        EXPECT_LE(slogan.horizontalAdvance(t.slogan), 196);
    }
}
