#include "ArtKit.h"
#include "RtfWriter.h"
#include "assets/Assets.h"

#include <QFontMetricsF>
#include <QSet>
#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

// A strict reading of our RTF subset: collects control words and decodes the text through the Windows-1254 codec,
// independently of the writer's own table.
struct ParsedRtf
{
    QSet<QString> words;
    QString text;
    bool balanced = false;
    bool asciiOnly = true;
};

ParsedRtf parse(const QByteArray& rtf)
{
    ParsedRtf out;
    QStringDecoder cp1254("windows-1254");
    int depth = 0;
    bool everClosed = false;
    for (int i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (static_cast<unsigned char>(c) > 0x7E)
            out.asciiOnly = false;
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
            everClosed = true;
            if (depth < 0)
                return out;
        } else if (c == '\\' && i + 1 < rtf.size()) {
            const char next = rtf[i + 1];
            if (next == '\'' && i + 3 < rtf.size()) {
                out.text += cp1254(QByteArray::fromHex(rtf.mid(i + 2, 2)));
                i += 3;
            } else if (next == '\\' || next == '{' || next == '}') {
                out.text += QLatin1Char(next);
                ++i;
            } else {
                int j = i + 1;
                while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])))
                    ++j;
                const QString word = QString::fromLatin1(rtf.mid(i + 1, j - i - 1));
                int k = j;
                if (k < rtf.size() && rtf[k] == '-')
                    ++k;
                while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k])))
                    ++k;
                const int value = rtf.mid(j, k - j).toInt();
                if (k < rtf.size() && rtf[k] == ' ')
                    ++k;
                out.words.insert(word);
                if (word == QLatin1String("u")) {
                    out.text += QChar(char16_t(static_cast<qint16>(value)));
                    ++k; // the fallback character
                } else if (word == QLatin1String("par")) {
                    out.text += QLatin1Char('\n');
                }
                i = k - 1;
            }
        } else if (c != '\n' && c != '\r' && depth == 1) {
            out.text += QLatin1Char(c);
        }
    }
    out.balanced = depth == 0 && everClosed;
    return out;
}

} // namespace

TEST(RtfWriter, EscapesTurkishLettersAsWindows1254Bytes)
{
    EXPECT_EQ(RtfWriter::escape(QStringLiteral("ğüşıöçĞÜŞİÖÇ")),
              QByteArray("\\'f0\\'fc\\'fe\\'fd\\'f6\\'e7\\'d0\\'dc\\'de\\'dd\\'d6\\'c7"));
    EXPECT_EQ(RtfWriter::escape(QStringLiteral("Größe — 5 €")), QByteArray("Gr\\'f6\\'dfe \\'97 5 \\'80"));
}

TEST(RtfWriter, EscapesSyntaxAndFallsBackToUnicodeEscapes)
{
    EXPECT_EQ(RtfWriter::escape(QStringLiteral("a\\b{c}")), QByteArray("a\\\\b\\{c\\}"));
    // Outside the code page: \uN with a signed 16-bit N, one fallback character.
    EXPECT_EQ(RtfWriter::escape(QStringLiteral("→")), QByteArray("\\u8594?"));
    EXPECT_EQ(RtfWriter::escape(QString(QChar(0xFF0B))), QByteArray("\\u-245?"));
    // Latin-1 letters that Windows-1254 replaced by Turkish ones must not pass through as their Latin-1 byte.
    EXPECT_EQ(RtfWriter::escape(QStringLiteral("Ýþ")), QByteArray("\\u221?\\u254?"));
}

TEST(RtfWriter, WrapKeepsEveryWordAndStaysWithinTheWidth)
{
    const QString text = QStringLiteral("Kauçuk karışımlarımız ozon dayanımı, soğukta esneklik ve milyonlarca stroka "
                                        "varan yorulma için test edilir ve hattan çıkmaz.");
    const QStringList lines = RtfWriter::wrap(text, 9, false, 200);
    ASSERT_GT(lines.size(), 1);
    EXPECT_EQ(lines.join(QLatin1Char(' ')), text.simplified());
    const QFontMetricsF fm(artgen::font(12)); // 9 points at 96 dpi
    for (const QString& line : lines)
        EXPECT_LE(fm.horizontalAdvance(line), 200) << line.toStdString();
    // A single word wider than the line stays whole on a line of its own.
    EXPECT_EQ(RtfWriter::wrap(QStringLiteral("Befestigungsschraube"), 9, true, 10),
              QStringList{QStringLiteral("Befestigungsschraube")});
}

// The label has no word wrap: the writer breaks long paragraphs itself, and every line must still read whole.
TEST(RtfWriter, DocumentUsesOnlyTheReaderSubset)
{
    RtfWriter writer(300);
    writer.title(QStringLiteral("Başlık"));
    writer.heading(QStringLiteral("Kalite"));
    writer.paragraph(QStringLiteral("Her hava körüğü patlama basıncı testi ve ölçü kontrolünden geçmeden hattan "
                                    "çıkmaz; {ayraçlar} ve \\ işareti de korunur."),
                     18);
    writer.spacer();
    writer.bullet(QStringLiteral("ISO 9001"));
    const ParsedRtf parsed = parse(writer.finish());
    EXPECT_TRUE(parsed.balanced);
    EXPECT_TRUE(parsed.asciiOnly);
    EXPECT_TRUE(parsed.text.contains(QStringLiteral("Başlık")));
    EXPECT_TRUE(parsed.text.contains(QStringLiteral("\u2022 ISO 9001\n")));
    EXPECT_TRUE(parsed.text.simplified().contains(
        QStringLiteral("Her hava körüğü patlama basıncı testi ve ölçü kontrolünden geçmeden hattan çıkmaz; "
                       "{ayraçlar} ve \\ işareti de korunur.")));
}

TEST(RtfResources, EveryTextIsWellFormedAndInItsLanguage)
{
    const QSet<QString> allowed{QStringLiteral("rtf"),      QStringLiteral("ansi"), QStringLiteral("ansicpg"),
                                QStringLiteral("fonttbl"),  QStringLiteral("f"),    QStringLiteral("fs"),
                                QStringLiteral("b"),        QStringLiteral("i"),    QStringLiteral("ul"),
                                QStringLiteral("colortbl"), QStringLiteral("red"),  QStringLiteral("green"),
                                QStringLiteral("blue"),     QStringLiteral("cf"),   QStringLiteral("par"),
                                QStringLiteral("pard"),     QStringLiteral("li"),   QStringLiteral("fi"),
                                QStringLiteral("qc"),       QStringLiteral("ql"),   QStringLiteral("u")};
    const struct
    {
        const char* name;
        const char* expected;
    } texts[] = {{"introTR.rtf", "Velkorn; otobüs, kamyon, römork"},
                 {"introEN.rtf", "Velkorn designs and manufactures air springs"},
                 {"introDE.rtf", "Velkorn entwickelt und fertigt Luftfedern"},
                 {"rtfProfileTR.rtf", "Roll Metalli Körük (Pistonsuz)"},
                 {"rtfProfileEN.rtf", "Triple-convoluted bellows"},
                 {"rtfProfileDE.rtf", "Dreifaltenbälge"}};
    for (const auto& t : texts) {
        SCOPED_TRACE(t.name);
        const QByteArray rtf = assets::readArt(QString::fromLatin1(t.name));
        ASSERT_FALSE(rtf.isEmpty());
        EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1254"));
        const ParsedRtf parsed = parse(rtf);
        EXPECT_TRUE(parsed.balanced);
        EXPECT_TRUE(parsed.asciiOnly);
        for (const QString& word : parsed.words)
            EXPECT_TRUE(allowed.contains(word)) << word.toStdString();
        EXPECT_TRUE(parsed.text.simplified().contains(QString::fromUtf8(t.expected))) << parsed.text.toStdString();
    }
}

TEST(RtfResources, ProductRangeNamesAllEightFamilies)
{
    for (const char* name : {"rtfProfileTR.rtf", "rtfProfileEN.rtf", "rtfProfileDE.rtf"}) {
        SCOPED_TRACE(name);
        const QString text = parse(assets::readArt(QString::fromLatin1(name))).text;
        for (int family = 1; family <= 8; ++family)
            EXPECT_TRUE(text.contains(QStringLiteral("\n%1. ").arg(family))) << family;
    }
}
