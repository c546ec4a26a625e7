#include "PageArt.h"

#include "ArtKit.h"
#include "InstallScene.h"
#include "RtfWriter.h"
#include "SpringPainter.h"

#include <QFontMetricsF>
#include <QPainterPath>

namespace artgen {

namespace {

// Title band shared by the installation and product-code pictures.
void paintTitleBand(QPainter& p, int width, int height, const QString& title)
{
    const QRectF band(0, 0, width, height);
    p.fillRect(band, verticalGradient(band, colors::white, QColor(232, 232, 236)));
    p.fillRect(QRectF(0, height, width, 3), colors::red);
    p.fillRect(QRectF(18, height / 2.0 - 11, 5, 22), colors::red);
    p.setFont(font(20, true));
    p.setPen(colors::ink);
    p.drawText(QRectF(32, 0, width - 200, height), Qt::AlignLeft | Qt::AlignVCenter, title);
    const qreal logoHeight = 26;
    drawLogo(p, QPointF(width - logoWidth(logoHeight) - 18, (height - logoHeight) / 2.0 - 2), logoHeight, QString());
}

void drawWrapped(QPainter& p, const QRectF& box, const QString& text, const QFont& f, const QColor& colour)
{
    p.setFont(f);
    p.setPen(colour);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
}

void warningSign(QPainter& p, const QPointF& c, qreal size)
{
    QPolygonF tri;
    tri << c + QPointF(0, -size * 0.55) << c + QPointF(size * 0.6, size * 0.48)
        << c + QPointF(-size * 0.6, size * 0.48);
    p.setPen(QPen(colors::red, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colors::white);
    p.drawPolygon(tri);
    p.setFont(font(qRound(size * 0.6), true));
    p.setPen(colors::ink);
    p.drawText(QRectF(c.x() - size / 2, c.y() - size * 0.3, size, size * 0.75), Qt::AlignCenter, QStringLiteral("!"));
}

} // namespace

QImage installationPage(const LanguageTexts& texts, int page)
{
    QImage image = canvas(801, 455);
    QPainter p(&image);
    prepare(p);
    paintTitleBand(p, 801, 46, texts.installTitle);
    for (int i = 0; i < 2; ++i) {
        const int step = (page - 1) * 2 + i + 1;
        const qreal x = 14 + i * 397;
        const QRectF panel(x, 60, 376, 338);
        p.setPen(QPen(colors::lightGrey, 1));
        p.setBrush(colors::white);
        p.drawRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        p.save();
        p.translate(x + 5.5, 65.5);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(0, 0, InstallScene::Width, InstallScene::Height), 4, 4);
        p.setClipPath(clip);
        InstallScene::paint(p, step);
        p.restore();
        drawNumberBadge(p, QPointF(x + 24, 339), 13, QString::number(step));
        p.setFont(font(15, true));
        p.setPen(colors::ink);
        p.drawText(QRectF(x + 46, 326, 322, 26), Qt::AlignLeft | Qt::AlignVCenter, texts.stepTitles[step - 1]);
        drawWrapped(p, QRectF(x + 46, 352, 322, 44), texts.stepTexts[step - 1], font(12), colors::text);
    }
    p.fillRect(QRectF(14, 408, 773, 1), colors::lightGrey);
    warningSign(p, QPointF(32, 430), 24);
    drawWrapped(p, QRectF(54, 414, 640, 36), texts.safetyNote, font(11), colors::grey);
    p.setFont(font(12, true));
    p.setPen(colors::red);
    p.drawText(QRectF(690, 414, 97, 32), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("%1 %2 / 3").arg(texts.pageOf).arg(page));
    return image;
}

QImage productCodePage(const LanguageTexts& texts)
{
    QImage image = canvas(700, 1090);
    QPainter p(&image);
    prepare(p);
    paintTitleBand(p, 700, 60, texts.codeTitle);
    drawWrapped(p, QRectF(24, 74, 652, 36), texts.codeIntro, font(13), colors::text);

    // The code, segment by segment, each with its badge.
    const QStringList segments{QStringLiteral("VK"), QStringLiteral("1"), QStringLiteral("R"), QStringLiteral("3042"),
                               QStringLiteral("P")};
    QFont codeFont = font(38, true);
    const QFontMetricsF fm(codeFont);
    QVector<qreal> widths;
    qreal total = 0;
    for (const QString& s : segments) {
        widths << fm.horizontalAdvance(s) + 30;
        total += widths.last();
    }
    total += 12 * (segments.size() - 1);
    qreal x = (700 - total) / 2;
    QVector<QPointF> anchors;
    for (int i = 0; i < segments.size(); ++i) {
        const QRectF box(x, 122, widths[i], 66);
        QLinearGradient g(box.topLeft(), box.bottomLeft());
        const bool red = i % 2 == 1;
        g.setColorAt(0, red ? colors::redLight : QColor(92, 92, 98));
        g.setColorAt(1, red ? colors::redDark : QColor(44, 44, 48));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(box, 7, 7);
        p.setFont(codeFont);
        p.setPen(colors::white);
        p.drawText(box, Qt::AlignCenter, segments[i]);
        p.setPen(QPen(colors::midGrey, 1.2));
        p.drawLine(QPointF(box.center().x(), box.bottom() + 2), QPointF(box.center().x(), 212));
        drawNumberBadge(p, QPointF(box.center().x(), 224), 12, QString::number(i + 1));
        anchors << box.center();
        x += widths[i] + 12;
    }
    for (int i = 0; i < texts.codeParts.size(); ++i) {
        const qreal y = 256 + i * 30;
        p.fillRect(QRectF(24, y - 4, 652, 28), i % 2 ? colors::white : QColor(246, 246, 247));
        drawNumberBadge(p, QPointF(46, y + 10), 10, QString::number(i + 1));
        p.setFont(font(14, true));
        p.setPen(colors::ink);
        p.drawText(QRectF(66, y - 4, 70, 28), Qt::AlignLeft | Qt::AlignVCenter, segments[i]);
        p.setFont(font(13));
        p.setPen(colors::text);
        p.drawText(QRectF(136, y - 4, 540, 28), Qt::AlignLeft | Qt::AlignVCenter, texts.codeParts[i]);
    }

    // Product families behind the second segment.
    qreal top = 420;
    p.setFont(font(17, true));
    p.setPen(colors::ink);
    p.drawText(QRectF(24, top, 652, 26), Qt::AlignLeft | Qt::AlignVCenter, texts.familiesTitle);
    p.fillRect(QRectF(24, top + 28, 40, 3), colors::red);
    for (int i = 0; i < 8; ++i) {
        const qreal cx = 24 + (i / 4) * 330, cy = top + 42 + (i % 4) * 38;
        p.setPen(QPen(colors::lightGrey, 1));
        p.setBrush(i % 2 ? colors::white : QColor(248, 248, 249));
        p.drawRoundedRect(QRectF(cx, cy, 320, 34), 4, 4);
        drawNumberBadge(p, QPointF(cx + 18, cy + 17), 10, QString::number(i + 1));
        p.save();
        const SpringPainter spring(static_cast<SpringPainter::Kind>(i + 1));
        SpringPainter::fitInto(p, QRectF(cx + 34, cy + 3, 30, 28), spring.sideExtent());
        spring.paintSide(p);
        p.restore();
        // Long names take two lines.
        QFont nameFont = font(12, true);
        if (QFontMetricsF(nameFont).horizontalAdvance(texts.familyNames[i]) > 244)
            nameFont.setPixelSize(11);
        p.setFont(nameFont);
        p.setPen(colors::ink);
        p.drawText(QRectF(cx + 70, cy, 244, 34), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                   texts.familyNames[i]);
    }

    // Sectional drawing with named parts.
    top = 630;
    p.setFont(font(17, true));
    p.setPen(colors::ink);
    p.drawText(QRectF(24, top, 652, 26), Qt::AlignLeft | Qt::AlignVCenter, texts.sectionTitle);
    p.fillRect(QRectF(24, top + 28, 40, 3), colors::red);
    const SpringPainter spring(SpringPainter::RollingLobeComplete);
    p.save();
    SpringPainter::fitInto(p, QRectF(190, top + 46, 320, 352), spring.sideExtent());
    const QTransform map = p.transform();
    spring.paintSection(p);
    p.restore();

    struct Label
    {
        QPointF part;
        int name;
        bool left;
        qreal dy;
    };
    const QVector<Label> labels{{QPointF(-70, -14), 5, true, -6}, {QPointF(-96, 4), 0, true, 6},
                                {QPointF(-130, 100), 1, true, 0}, {QPointF(-92, 232), 2, true, 0},
                                {QPointF(6, -26), 4, false, -8},  {QPointF(116, 10), 7, false, 6},
                                {QPointF(40, 128), 3, false, 0},  {QPointF(6, 298), 6, false, 0}};
    for (const Label& l : labels) {
        const QPointF at = map.map(l.part);
        const qreal y = at.y() + l.dy;
        const qreal lineEnd = l.left ? 170 : 530;
        p.setPen(QPen(colors::red, 1.2));
        p.drawLine(at, QPointF(at.x() + (l.left ? -14 : 14), y));
        p.drawLine(QPointF(at.x() + (l.left ? -14 : 14), y), QPointF(lineEnd, y));
        p.setPen(Qt::NoPen);
        p.setBrush(colors::red);
        p.drawEllipse(at, 3, 3);
        QFont labelFont = font(13, true);
        while (QFontMetricsF(labelFont).horizontalAdvance(texts.partNames[l.name]) > 150 && labelFont.pixelSize() > 9)
            labelFont.setPixelSize(labelFont.pixelSize() - 1);
        p.setFont(labelFont);
        p.setPen(colors::ink);
        const QRectF text = l.left ? QRectF(14, y - 10, 152, 20) : QRectF(534, y - 10, 156, 20);
        p.drawText(text, (l.left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, texts.partNames[l.name]);
    }
    p.setFont(font(11, false, true));
    p.setPen(colors::grey);
    p.drawText(QRectF(24, 1036, 652, 18), Qt::AlignCenter, texts.sectionNote);
    p.fillRect(QRectF(0, 1064, 700, 1), colors::lightGrey);
    p.setFont(font(11, true));
    p.setPen(colors::red);
    p.drawText(QRectF(24, 1066, 652, 22), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("www.velkorn.example"));
    return image;
}

QByteArray introText(const LanguageTexts& texts)
{
    // The introduction has a page of its own: larger type than the product range.
    RtfWriter rtf(870, RtfWriter::Sizes{10, 12, 18});
    rtf.title(texts.introTitle);
    for (int i = 0; i < texts.introHeadings.size(); ++i) {
        rtf.heading(texts.introHeadings[i]);
        rtf.paragraph(texts.introTexts[i]);
        rtf.spacer(12);
    }
    rtf.heading(texts.factsTitle, RtfWriter::Grey);
    for (const QString& fact : texts.facts)
        rtf.bullet(fact);
    return rtf.finish();
}

QByteArray productRangeText(const LanguageTexts& texts)
{
    RtfWriter rtf(900);
    rtf.title(texts.rangeTitle);
    for (int i = 0; i < texts.familyNames.size(); ++i) {
        rtf.heading(QStringLiteral("%1.  %2").arg(i + 1).arg(texts.familyNames[i]));
        rtf.paragraph(texts.familyTexts[i], 18);
        rtf.spacer(6);
    }
    return rtf.finish();
}

void writePageArt(ArtOutput& out)
{
    for (const LanguageTexts& t : allLanguageTexts()) {
        out.jpeg(QStringLiteral("inst%1.jpg").arg(t.suffix), installationPage(t, 1));
        out.jpeg(QStringLiteral("inst%1%2.jpg").arg(t.suffix).arg(2), installationPage(t, 2));
        out.jpeg(QStringLiteral("inst%1%2.jpg").arg(t.suffix).arg(3), installationPage(t, 3));
        out.jpeg(QStringLiteral("imgProfile2%1.jpg").arg(t.suffix), productCodePage(t));
        out.bytes(QStringLiteral("intro%1.rtf").arg(t.suffix), introText(t));
        out.bytes(QStringLiteral("rtfProfile%1.rtf").arg(t.suffix), productRangeText(t));
    }
}

} // namespace artgen
