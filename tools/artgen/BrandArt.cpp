#include "BrandArt.h"

#include "ArtKit.h"
#include "SpringPainter.h"

#include <QFontMetricsF>
#include <QPainterPath>

namespace artgen {

namespace {

const int kBannerHeight = 97;

// The banner background at any width; depends on y only, so every piece and tile meets seamlessly.
void paintBanner(QPainter& p, const QRectF& r)
{
    p.fillRect(QRectF(r.left(), 0, r.width(), 86),
               verticalGradient(QRectF(0, 0, 1, 86), colors::white, QColor(232, 232, 235)));
    p.fillRect(QRectF(r.left(), 86, r.width(), 1), QColor(214, 214, 218));
    p.fillRect(QRectF(r.left(), 87, r.width(), 3), colors::red);
    p.fillRect(QRectF(r.left(), 90, r.width(), r.height() - 90),
               verticalGradient(QRectF(0, 90, 1, 10), QColor(92, 92, 96), QColor(58, 58, 62)));
}

// The dark header of the item page: depends on y only so that all pieces join.
void paintHeader(QPainter& p, const QRectF& r)
{
    QLinearGradient g(0, 0, 0, 34);
    g.setColorAt(0, colors::headerTop);
    g.setColorAt(0.5, QColor(60, 60, 64));
    g.setColorAt(1, colors::headerBottom);
    p.fillRect(QRectF(r.left(), 0, r.width(), 34), g);
    p.fillRect(QRectF(r.left(), 0, r.width(), 1), QColor(124, 124, 130));
    p.fillRect(QRectF(r.left(), 34, r.width(), 2), colors::red);
}

// The light search area to the right of the header.
void paintSearchArea(QPainter& p, const QRectF& r)
{
    p.fillRect(QRectF(r.left(), 0, r.width(), 34),
               verticalGradient(QRectF(0, 0, 1, 34), QColor(250, 250, 251), QColor(222, 222, 226)));
    p.fillRect(QRectF(r.left(), 0, r.width(), 1), QColor(236, 236, 238));
    p.fillRect(QRectF(r.left(), 34, r.width(), 2), colors::red);
}

QImage headerPiece(int width)
{
    QImage image = canvas(width, 36);
    QPainter p(&image);
    prepare(p);
    paintHeader(p, image.rect());
    return image;
}

// Diagonal join between what lies left (dark header or white page) and the light search area.
QImage separator(bool fromHeader)
{
    QImage image = canvas(41, 36);
    QPainter p(&image);
    prepare(p);
    if (fromHeader) {
        paintHeader(p, image.rect());
    } else {
        p.fillRect(image.rect(), colors::white);
        p.fillRect(QRectF(0, 34, 41, 2), colors::red);
    }
    QPainterPath light;
    light.moveTo(26, 0);
    light.lineTo(41, 0);
    light.lineTo(41, 36);
    light.lineTo(12, 36);
    light.closeSubpath();
    p.save();
    p.setClipPath(light);
    paintSearchArea(p, image.rect());
    p.restore();
    QPainterPath stripe;
    stripe.moveTo(20, 0);
    stripe.lineTo(26, 0);
    stripe.lineTo(12, 34);
    stripe.lineTo(6, 34);
    stripe.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colors::red);
    p.drawPath(stripe);
    return image;
}

QImage searchArea()
{
    QImage image = canvas(172, 36);
    QPainter p(&image);
    prepare(p);
    paintSearchArea(p, image.rect());
    // A soft sunken bed for the search box.
    p.setPen(QPen(QColor(196, 196, 200), 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRoundedRect(QRectF(0.5, 5.5, 132, 23), 2, 2);
    return image;
}

QImage searchButton(bool over)
{
    QImage image = canvas(29, 29);
    QPainter p(&image);
    prepare(p);
    p.translate(-137, -4);
    paintSearchArea(p, QRectF(137, 0, 29, 36));
    p.translate(137, 4);
    const QRectF r(1, 1, 27, 27);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, over ? QColor(242, 76, 70) : colors::redLight);
    g.setColorAt(1, over ? colors::red : colors::redDark);
    p.setPen(QPen(over ? colors::redDark : QColor(120, 8, 8), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 5, 5);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawLine(QPointF(5, 2.5), QPointF(24, 2.5));
    p.setPen(QPen(colors::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12.5, 12.5), 5.6, 5.6);
    p.setPen(QPen(colors::white, 3.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16.8, 16.8), QPointF(21.5, 21.5));
    return image;
}

QImage headerArrow(bool next, bool over)
{
    QImage image = canvas(11, 17);
    QPainter p(&image);
    prepare(p);
    p.translate(next ? -93 : -6, -9);
    paintHeader(p, QRectF(0, 0, 120, 36));
    p.resetTransform();
    QPolygonF arrow;
    if (next)
        arrow << QPointF(2, 2.5) << QPointF(9.5, 8.5) << QPointF(2, 14.5);
    else
        arrow << QPointF(9, 2.5) << QPointF(1.5, 8.5) << QPointF(9, 14.5);
    p.setPen(Qt::NoPen);
    p.setBrush(over ? QColor(240, 64, 58) : QColor(214, 214, 218));
    p.drawPolygon(arrow);
    return image;
}

QImage pageButton(bool forward, bool over)
{
    QImage image = canvas(20, 20);
    QPainter p(&image);
    prepare(p);
    const QPointF c(10, 10);
    QRadialGradient g(QPointF(7, 6), 14);
    g.setColorAt(0, over ? QColor(250, 96, 88) : colors::redLight);
    g.setColorAt(1, over ? colors::red : colors::redDark);
    p.setPen(over ? QPen(QColor(170, 170, 176), 1) : Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, 9.2, 9.2);
    QPolygonF tri;
    if (forward)
        tri << QPointF(8, 5.5) << QPointF(14.5, 10) << QPointF(8, 14.5);
    else
        tri << QPointF(12, 5.5) << QPointF(5.5, 10) << QPointF(12, 14.5);
    p.setPen(Qt::NoPen);
    p.setBrush(colors::white);
    p.drawPolygon(tri);
    return image;
}

QImage marker()
{
    QImage image = headerPiece(19);
    QPainter p(&image);
    prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(colors::red);
    p.drawRoundedRect(QRectF(5, 10, 9, 14), 1.5, 1.5);
    p.setBrush(colors::white);
    QPolygonF tri;
    tri << QPointF(7.5, 13.5) << QPointF(12, 17) << QPointF(7.5, 20.5);
    p.drawPolygon(tri);
    return image;
}

QImage leftEnd()
{
    QImage image = canvas(27, 36);
    QPainter p(&image);
    prepare(p);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, 40, 36), 5, 5);
    p.setClipPath(shape);
    paintHeader(p, image.rect());
    p.setClipping(false);
    p.fillRect(QRectF(6, 8, 3, 18), colors::red);
    return image;
}

QImage arrowHolder()
{
    QImage image = headerPiece(107);
    QPainter p(&image);
    prepare(p);
    // A recessed track between the two arrows.
    p.setPen(QPen(QColor(34, 34, 36), 1));
    p.setBrush(QColor(46, 46, 50));
    p.drawRoundedRect(QRectF(22.5, 11.5, 63, 13), 6.5, 6.5);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(i == 1 ? colors::red : QColor(150, 150, 156));
        p.drawEllipse(QPointF(44 + i * 10, 18), 2, 2);
    }
    p.fillRect(QRectF(0, 6, 1, 22), QColor(90, 90, 96));
    return image;
}

void paintSpringWatermark(QPainter& p, const QRectF& area, qreal opacity, int kind)
{
    p.save();
    p.setOpacity(opacity);
    const SpringPainter spring(static_cast<SpringPainter::Kind>(kind));
    SpringPainter::fitInto(p, area, spring.sideExtent());
    spring.paintSide(p);
    p.restore();
}

} // namespace

QImage bannerTile()
{
    QImage image = canvas(64, kBannerHeight);
    QPainter p(&image);
    paintBanner(p, image.rect());
    return image;
}

QImage bannerLogo()
{
    QImage image = canvas(173, 100);
    QPainter p(&image);
    prepare(p);
    paintBanner(p, image.rect());
    // As large as fits with a margin, so the banner tiles continue the logo's right edge.
    qreal height = 40;
    while (logoWidth(height) > 173 - 22 && height > 20)
        height -= 1;
    drawLogo(p, QPointF(10, 44 - height / 2 - 4), height, QStringLiteral("AIR SPRINGS"));
    return image;
}

QImage slogan(const LanguageTexts& texts)
{
    QImage image = canvas(218, kBannerHeight);
    QPainter p(&image);
    prepare(p);
    paintBanner(p, image.rect());
    const qreal right = 208;
    QFont big = font(17, true);
    QFontMetricsF fm(big);
    // Long slogans shrink to fit beside the watermark.
    while (fm.horizontalAdvance(texts.slogan) > 196 && big.pixelSize() > 11) {
        big.setPixelSize(big.pixelSize() - 1);
        fm = QFontMetricsF(big);
    }
    p.setFont(big);
    p.setPen(colors::ink);
    p.drawText(QRectF(0, 24, right, 26), Qt::AlignRight | Qt::AlignVCenter, texts.slogan);
    p.fillRect(QRectF(right - 38, 53, 38, 2), colors::red);
    p.setFont(font(11));
    p.setPen(colors::grey);
    p.drawText(QRectF(0, 57, right, 18), Qt::AlignRight | Qt::AlignVCenter, texts.sloganSub);
    return image;
}

QImage introLogo(bool over)
{
    QImage image = canvas(690, 344);
    QPainter p(&image);
    prepare(p);
    QRadialGradient glow(QPointF(345, 150), 360);
    glow.setColorAt(0, QColor(238, 238, 240));
    glow.setColorAt(1, colors::white);
    p.fillRect(image.rect(), glow);

    // Brand mark and word, centred as one group.
    const qreal markSize = 128;
    QFont word = font(76, true);
    word.setLetterSpacing(QFont::PercentageSpacing, 103);
    const qreal wordWidth = QFontMetricsF(word).horizontalAdvance(QStringLiteral("VELKORN"));
    const qreal left = (690 - (markSize + 26 + wordWidth)) / 2;
    const QRectF mark(left, 50, markSize, markSize);
    if (over) {
        p.setPen(QPen(QColor(204, 17, 17, 90), 6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(mark.adjusted(-7, -7, 7, 7));
    }
    drawBrandMark(p, mark);
    const qreal wx = mark.right() + 26;
    p.setFont(word);
    p.setPen(colors::ink);
    p.drawText(QPointF(wx, 140), QStringLiteral("VELKORN"));
    p.fillRect(QRectF(wx + 4, 156, 70, 5), colors::red);
    p.fillRect(QRectF(wx + 80, 158, wordWidth - 84, 2), colors::midGrey);
    QFont tag = font(12, true);
    tag.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
    p.setFont(tag);
    p.setPen(colors::grey);
    p.drawText(QPointF(wx + 4, 184), QStringLiteral("AIR SPRINGS · HAVA KÖRÜKLERİ · LUFTFEDERN"));

    // A row of the eight families in light grey.
    for (int kind = 1; kind <= 8; ++kind) {
        const QRectF cell(84 + (kind - 1) * 67, 214, 54, 70);
        p.save();
        p.setOpacity(over ? 0.5 : 0.32);
        const SpringPainter spring(static_cast<SpringPainter::Kind>(kind));
        SpringPainter::fitInto(p, cell, spring.sideExtent());
        spring.paintSide(p);
        p.restore();
    }

    // The web address.
    const QString address = QStringLiteral("www.velkorn.example");
    QFont web = font(19, true);
    p.setFont(web);
    const qreal w = QFontMetricsF(web).horizontalAdvance(address);
    const qreal x = (690 - w) / 2 + 14;
    const QPointF globe(x - 20, 312);
    p.setPen(QPen(over ? colors::red : colors::grey, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(globe, 9, 9);
    p.drawEllipse(QRectF(globe.x() - 4, globe.y() - 9, 8, 18));
    p.drawLine(globe + QPointF(-9, 0), globe + QPointF(9, 0));
    p.setPen(over ? colors::red : colors::text);
    p.drawText(QPointF(x, 319), address);
    if (over)
        p.fillRect(QRectF(x, 323, w, 2), colors::red);
    return image;
}

QImage languageBackground()
{
    QImage image = canvas(346, 286);
    QPainter p(&image);
    prepare(p);
    const QRectF top(0, 0, 346, 206);
    p.fillRect(top, verticalGradient(top, colors::white, QColor(234, 234, 237)));
    // Air spring on the right, standing on a soft shadow.
    QRadialGradient shadow(QPointF(276, 190), 60);
    shadow.setColorAt(0, QColor(0, 0, 0, 50));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.save();
    p.translate(276, 190);
    p.scale(1, 0.1);
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(0, 0), 60, 60);
    p.restore();
    p.save();
    const SpringPainter spring(SpringPainter::RollingLobeComplete);
    SpringPainter::fitInto(p, QRectF(222, 24, 108, 166), spring.sideExtent());
    spring.paintSide(p);
    p.restore();

    drawLogo(p, QPointF(18, 24), 40, QStringLiteral("AIR SPRINGS"));
    // The catalog's name in the three languages, one per line.
    p.fillRect(QRectF(20, 88, 26, 3), colors::red);
    const QStringList names{QStringLiteral("Ürün kataloğu"), QStringLiteral("Product catalogue"),
                            QStringLiteral("Produktkatalog")};
    for (int i = 0; i < names.size(); ++i) {
        p.setFont(font(12, i == 0));
        p.setPen(i == 0 ? colors::ink : colors::text);
        p.drawText(QRectF(20, 96 + i * 19, 190, 18), Qt::AlignLeft | Qt::AlignVCenter, names[i]);
    }
    p.setFont(font(12));
    p.setPen(QColor(120, 120, 124));
    p.drawText(QRectF(0, 170, 346, 22), Qt::AlignCenter, QStringLiteral("Welcome · Hoş geldiniz · Willkommen"));
    p.fillRect(QRectF(0, 206, 346, 2), colors::red);
    p.fillRect(QRectF(0, 208, 346, 78), QColor(252, 252, 252));
    p.fillRect(QRectF(0, 283, 346, 3), QColor(226, 226, 230));
    return image;
}

QImage companyBackground()
{
    QImage image = canvas(520, 420);
    QPainter p(&image);
    prepare(p);
    QImage mark(300, 300, QImage::Format_ARGB32_Premultiplied);
    mark.fill(Qt::transparent);
    {
        QPainter mp(&mark);
        prepare(mp);
        drawBrandMark(mp, QRectF(0, 0, 300, 300));
    }
    // Grey, not pink: the mark as a watermark must not tint the text above it.
    QImage greyMark = mark.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_ARGB32);
    greyMark.setAlphaChannel(mark.convertToFormat(QImage::Format_Alpha8));
    p.save();
    p.setOpacity(0.09);
    p.drawImage(QPointF(212, 108), greyMark);
    p.restore();
    paintSpringWatermark(p, QRectF(24, 130, 200, 280), 0.07, SpringPainter::RollingLobeComplete);
    // Fade towards the top-left, where the text begins.
    QLinearGradient fade(0, 0, 260, 220);
    fade.setColorAt(0, QColor(255, 255, 255, 255));
    fade.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), fade);
    return image;
}

QImage wizardBillboard()
{
    QImage image = canvas(116, 201);
    QPainter p(&image);
    prepare(p);
    QLinearGradient g(0, 0, 40, 201);
    g.setColorAt(0, colors::redLight);
    g.setColorAt(0.55, colors::red);
    g.setColorAt(1, QColor(72, 72, 76));
    p.fillRect(image.rect(), g);
    // Light rings behind the spring.
    p.setPen(QPen(QColor(255, 255, 255, 40), 10));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(58, 92), 66, 66);
    p.setPen(QPen(QColor(255, 255, 255, 24), 6));
    p.drawEllipse(QPointF(58, 92), 44, 44);
    p.save();
    const SpringPainter spring(SpringPainter::RollingLobeComplete);
    SpringPainter::fitInto(p, QRectF(22, 34, 72, 110), spring.sideExtent());
    spring.paintSide(p);
    p.restore();
    QFont word = font(17, true);
    word.setLetterSpacing(QFont::PercentageSpacing, 104);
    p.setFont(word);
    p.setPen(colors::white);
    p.drawText(QRectF(0, 154, 116, 24), Qt::AlignCenter, QStringLiteral("VELKORN"));
    p.fillRect(QRectF(38, 180, 40, 2), colors::white);
    p.setFont(font(8, true));
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(QRectF(0, 184, 116, 12), Qt::AlignCenter, QStringLiteral("UPDATE"));
    return image;
}

QImage loginBanner()
{
    QImage image = canvas(320, 60);
    QPainter p(&image);
    prepare(p);
    QLinearGradient g(0, 0, 320, 0);
    g.setColorAt(0, QColor(20, 52, 120));
    g.setColorAt(1, QColor(96, 150, 220));
    p.fillRect(image.rect(), g);
    auto key = [&](const QPointF& at, qreal angle, const QColor& colour) {
        p.save();
        p.translate(at);
        p.rotate(angle);
        QPainterPath shape;
        shape.addEllipse(QPointF(0, 0), 11, 11);
        shape.addRect(QRectF(8, -3, 34, 6));
        shape.addRect(QRectF(30, 3, 4, 7));
        shape.addRect(QRectF(37, 3, 5, 5));
        QPainterPath hole;
        hole.addEllipse(QPointF(-2, 0), 4, 4);
        p.setPen(QPen(QColor(0, 0, 0, 90), 1));
        p.setBrush(colour);
        p.drawPath(shape.subtracted(hole));
        p.restore();
    };
    key(QPointF(30, 24), 20, QColor(250, 214, 90));
    key(QPointF(44, 38), -14, QColor(222, 226, 232));
    p.setFont(font(15, true));
    p.setPen(colors::white);
    p.drawText(QRectF(100, 0, 210, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Velkorn Update"));
    return image;
}

void writeBrandArt(ArtOutput& out)
{
    out.jpeg(QStringLiteral("bannerTile.jpg"), bannerTile(), 95);
    out.jpeg(QStringLiteral("logo.jpg"), bannerLogo(), 95);
    for (const LanguageTexts& t : allLanguageTexts())
        out.jpeg(QStringLiteral("slogan%1.jpg").arg(t.suffix), slogan(t), 95);
    out.jpeg(QStringLiteral("introLogo.jpg"), introLogo(false));
    out.jpeg(QStringLiteral("introLogoOver.jpg"), introLogo(true));
    out.jpeg(QStringLiteral("languageBg.jpg"), languageBackground(), 95);
    out.jpeg(QStringLiteral("velkornBg.jpg"), companyBackground());
    out.jpeg(QStringLiteral("wizardBillboard.jpg"), wizardBillboard());
    out.jpeg(QStringLiteral("loginBanner.jpg"), loginBanner());
}

void writeHeaderArt(ArtOutput& out)
{
    out.jpeg(QStringLiteral("WallPaper9.jpg"), leftEnd(), 95);
    out.jpeg(QStringLiteral("WallPaper5.jpg"), marker(), 95);
    out.jpeg(QStringLiteral("WallPaper4.jpg"), headerPiece(32), 95);
    out.jpeg(QStringLiteral("WallPaper8.jpg"), arrowHolder(), 95);
    out.jpeg(QStringLiteral("WallPaper6.jpg"), separator(true), 95);
    out.jpeg(QStringLiteral("WallPaper7.jpg"), searchArea(), 95);
    out.jpeg(QStringLiteral("WallPaper10.jpg"), separator(false), 95);
    out.jpeg(QStringLiteral("WallPaper3.jpg"), searchArea(), 95);
    for (const bool over : {false, true}) {
        const QString suffix = over ? QStringLiteral("Over") : QString();
        out.jpeg(QStringLiteral("btnPrev%1.jpg").arg(suffix), headerArrow(false, over), 95);
        out.jpeg(QStringLiteral("btnNext%1.jpg").arg(suffix), headerArrow(true, over), 95);
        out.jpeg(QStringLiteral("btnSearch%1.jpg").arg(suffix), searchButton(over), 95);
        out.jpeg(QStringLiteral("pageForward%1.jpg").arg(suffix), pageButton(true, over), 95);
        out.jpeg(QStringLiteral("pageBack%1.jpg").arg(suffix), pageButton(false, over), 95);
    }
}

} // namespace artgen
