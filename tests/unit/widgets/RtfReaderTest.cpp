#include "widgets/RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>

using widgets::readRtf;

namespace {

std::unique_ptr<QTextDocument> read(const QByteArray& rtf)
{
    return std::unique_ptr<QTextDocument>(readRtf(rtf, nullptr, 96));
}

// The text fragments of the document in order, one per run of like formatting.
QList<QTextFragment> fragments(const QTextDocument& document)
{
    QList<QTextFragment> result;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            result.append(it.fragment());
    }
    return result;
}

QTextFragment fragmentWith(const QTextDocument& document, const QString& text)
{
    for (const QTextFragment& fragment : fragments(document)) {
        if (fragment.text() == text)
            return fragment;
    }
    ADD_FAILURE() << "no fragment " << text.toStdString();
    return {};
}

QStringList blockTexts(const QTextDocument& document)
{
    QStringList texts;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        texts.append(block.text());
    return texts;
}

} // namespace

TEST(RtfReader, ParagraphsAndSpecialCharacters)
{
    const auto doc =
        read("{\\rtf1\\ansi First\\par Second\\line next\\tab x\\par\r\n\\{braces\\} and \\\\ \\~nbsp\\par}");
    EXPECT_EQ(blockTexts(*doc), (QStringList{"First", QString("Second") + QChar(QChar::LineSeparator) + "next\tx",
                                             QString("{braces} and \\ ") + QChar(0x00A0) + "nbsp"}));
    // Line breaks in the source are not text; a trailing \par adds no empty paragraph.
    EXPECT_EQ(read("{\\rtf1 a\r\nb\\par}")->blockCount(), 1);
    EXPECT_EQ(read("{\\rtf1 a\\par\\par b}")->blockCount(), 3);
}

TEST(RtfReader, FontsAndSizes)
{
    const auto doc =
        read("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\fswiss\\fcharset162 Arial;}{\\f1\\froman Times New Roman;}"
             "{\\f2\\fnil{\\*\\panose 0000}Courier New;}}"
             "default \\f0\\fs20 arial \\f2\\fs31 courier}");
    const QTextFragment def = fragmentWith(*doc, "default ");
    EXPECT_EQ(def.charFormat().fontFamilies().toStringList(), QStringList{"Times New Roman"});
    EXPECT_DOUBLE_EQ(def.charFormat().fontPointSize(), 12.0); // no \fs: 24 half-points
    const QTextFragment arial = fragmentWith(*doc, "arial ");
    EXPECT_EQ(arial.charFormat().fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_DOUBLE_EQ(arial.charFormat().fontPointSize(), 10.0);
    const QTextFragment courier = fragmentWith(*doc, "courier");
    EXPECT_EQ(courier.charFormat().fontFamilies().toStringList(), QStringList{"Courier New"});
    EXPECT_DOUBLE_EQ(courier.charFormat().fontPointSize(), 15.5);

    // A font table without sub-groups, entries ended by semicolons.
    const auto flat = read("{\\rtf1{\\fonttbl\\f0 Alpha;\\f1 Beta;}\\f1 x}");
    EXPECT_EQ(fragmentWith(*flat, "x").charFormat().fontFamilies().toStringList(), QStringList{"Beta"});
}

TEST(RtfReader, SizesAreCapped)
{
    const auto doc = read("{\\rtf1 \\fs999999999999 huge\\fs0 same\\fs-4 still}");
    const QList<QTextFragment> parts = fragments(*doc);
    ASSERT_EQ(parts.size(), 1);
    EXPECT_DOUBLE_EQ(parts[0].charFormat().fontPointSize(), 1638.0);
}

TEST(RtfReader, BoldItalicUnderlineAndGroups)
{
    const auto doc = read(
        "{\\rtf1 \\b bold\\b0  {\\i italic {\\ul under}} plain \\ul on\\ulnone  off \\b\\i\\ul all\\plain  reset}");
    const auto check = [&](const char* text, bool bold, bool italic, bool underline) {
        const QTextCharFormat format = fragmentWith(*doc, text).charFormat();
        EXPECT_EQ(format.fontWeight() == QFont::Bold, bold) << text;
        EXPECT_EQ(format.fontItalic(), italic) << text;
        EXPECT_EQ(format.fontUnderline(), underline) << text;
    };
    check("bold", true, false, false);
    check(" ", false, false, false);
    check("italic ", false, true, false);
    check("under", false, true, true);
    check(" plain ", false, false, false);
    check("on", false, false, true);
    check(" off ", false, false, false);
    check("all", true, true, true);
    check(" reset", false, false, false);
}

TEST(RtfReader, ColourTable)
{
    const auto doc = read("{\\rtf1{\\colortbl;\\red204\\green17\\blue17;\\red0\\green0\\blue255;}"
                          "auto \\cf1 red \\cf2 blue \\cf0 auto2 \\cf9 missing}");
    EXPECT_FALSE(fragmentWith(*doc, "auto ").charFormat().hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(fragmentWith(*doc, "red ").charFormat().foreground().color(), QColor(204, 17, 17));
    EXPECT_EQ(fragmentWith(*doc, "blue ").charFormat().foreground().color(), QColor(0, 0, 255));
    // Back to automatic, and an index past the table: both without a colour of their own.
    EXPECT_FALSE(fragmentWith(*doc, "auto2 missing").charFormat().hasProperty(QTextFormat::ForegroundBrush));
}

TEST(RtfReader, IndentsAndAlignment)
{
    const auto doc = read("{\\rtf1 \\li720\\fi-360 one\\par two\\par\\pard\\qc three\\par\\qr four\\par"
                          "\\qj\\ri1440\\sb120\\sa240 five\\par\\pard\\ql six}");
    QTextBlock block = doc->begin();
    EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), 48.0); // 720 twips at 96 dpi
    EXPECT_DOUBLE_EQ(block.blockFormat().textIndent(), -24.0);
    block = block.next();
    EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), 48.0); // paragraph properties last until \pard
    block = block.next();
    EXPECT_EQ(block.text(), "three");
    EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), 0.0);
    EXPECT_DOUBLE_EQ(block.blockFormat().textIndent(), 0.0);
    EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    block = block.next();
    EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    block = block.next();
    EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_DOUBLE_EQ(block.blockFormat().rightMargin(), 96.0);
    EXPECT_DOUBLE_EQ(block.blockFormat().topMargin(), 8.0);
    EXPECT_DOUBLE_EQ(block.blockFormat().bottomMargin(), 16.0);
    block = block.next();
    EXPECT_EQ(block.text(), "six");
    EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    // Twips convert at the given resolution.
    std::unique_ptr<QTextDocument> hiDpi(readRtf("{\\rtf1\\li1440 x}", nullptr, 192));
    EXPECT_DOUBLE_EQ(hiDpi->begin().blockFormat().leftMargin(), 192.0);
}

TEST(RtfReader, CodePageEscapes)
{
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1254 \\'dd\\'fe\\'e7 \\'d0\\'fd}")->toPlainText(),
              QString::fromUtf8("İşç Ğı"));
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1252 \\'fe\\'93\\'8e}")->toPlainText(), QString::fromUtf8("þ“Ž"));
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1254 \\'80\\'d6\\'fc\\'8e}")->toPlainText(), QString::fromUtf8("€Öü\u008e"));
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1251 \\'fe}")->toPlainText(), QString::fromUtf8("þ"));
    EXPECT_EQ(read("{\\rtf1 \\'FE}")->toPlainText(), QString::fromUtf8("þ")); // no code page given
    // Raw upper-half bytes read in the same code page.
    EXPECT_EQ(read("{\\rtf1\\ansicpg1254 \xFE}")->toPlainText(), QString::fromUtf8("ş"));
    // Broken escapes.
    EXPECT_EQ(read("{\\rtf1 a\\'zzb\\'4}")->toPlainText(), "azzb");
}

TEST(RtfReader, UnicodeCharacters)
{
    EXPECT_EQ(read("{\\rtf1 \\u351?x}")->toPlainText(), QString::fromUtf8("şx"));
    EXPECT_EQ(read("{\\rtf1 \\uc2\\u8364 ab c}")->toPlainText(), QString::fromUtf8("€ c"));
    EXPECT_EQ(read("{\\rtf1 \\uc0\\u8364 ab}")->toPlainText(), QString::fromUtf8("€ab"));
    EXPECT_EQ(read("{\\rtf1 \\u-3913?}")->toPlainText(), QString(QChar(char16_t(61623))));
    // A \'hh fallback counts as one character; \uc lasts for the group.
    EXPECT_EQ(read("{\\rtf1 {\\uc1\\u287\\'f0}\\u305?}")->toPlainText(), QString::fromUtf8("ğı"));
    // A surrogate pair.
    EXPECT_EQ(read("{\\rtf1 \\u-10179?\\u-8704?}")->toPlainText(), QString::fromUtf8("😀"));
}

TEST(RtfReader, SkippedDestinations)
{
    const auto doc = read("{\\rtf1{\\*\\generator Writer 1.0;}{\\info{\\title Secret}{\\author Someone}}"
                          "{\\stylesheet{\\s0 Normal;}}{\\*\\unknowndest hidden}"
                          "{\\pict\\pngblip 89504e47}{\\header head}"
                          "A{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}B"
                          "{\\object\\bin6 {}\\}{ }C}");
    EXPECT_EQ(doc->toPlainText(), "AlinkBC");
}

// Broken documents render what can be read and end quickly.
TEST(RtfReader, MalformedInput)
{
    EXPECT_EQ(read("{\\rtf1 {\\b open groups never closed")->toPlainText(), "open groups never closed");
    EXPECT_EQ(read("}}}{\\rtf1 stray} after}}")->toPlainText(), "stray after");
    EXPECT_EQ(read("{\\rtf1 \\unknownword12 \\zz-5 known\\par}")->toPlainText(), "known");
    EXPECT_EQ(read("{\\rtf1 x\\")->toPlainText(), "x");
    EXPECT_EQ(read("{\\rtf1 y\\'")->toPlainText(), "y");
    EXPECT_EQ(read("{\\rtf1 \\bin999999 z}")->toPlainText(), "");
    EXPECT_EQ(read(QByteArray())->toPlainText(), "");
    EXPECT_EQ(read("{\\rtf1 \\b99999999999999999999 big}")->toPlainText(), "big");
    EXPECT_EQ(read("{\\rtf1 a\\u0?b\\u10?c\\u8233?d}")->toPlainText(), "abcd");

    // Deep nesting: groups beyond the depth limit share state, braces still balance.
    QByteArray deep = "{\\rtf1 ";
    deep += QByteArray(200000, '{') + "\\b deep" + QByteArray(200000, '}') + " after}";
    const auto nested = read(deep);
    EXPECT_EQ(nested->toPlainText(), "deep after");
    EXPECT_FALSE(fragmentWith(*nested, " after").charFormat().fontWeight() == QFont::Bold);
}

TEST(RtfReader, HugeDocumentIsCut)
{
    QByteArray huge = "{\\rtf1\\ansi ";
    const QByteArray line = "The quick brown fox \\b jumps\\b0  over the lazy dog.\\par\n";
    while (huge.size() < 10 * 1024 * 1024)
        huge += line;
    huge += "}";
    const auto doc = read(huge);
    EXPECT_GT(doc->characterCount(), 50000);
    EXPECT_LE(doc->characterCount(), 100001);
    EXPECT_TRUE(doc->toPlainText().startsWith("The quick brown fox jumps over the lazy dog.\n"));
}

// Documents assembled at random from pieces of RTF are read without a crash and stay small.
TEST(RtfReader, RandomTokenSoup)
{
    const char* const pieces[] = {"{",           "}",       "\\b ",       "\\i0 ",   "\\u-5?", "\\'e",   "\\'fd",
                                  "\\bin3 ",     "\\*",     "\\fonttbl ", "\\f7 ",   "x;",     "\\par ", "\\pard",
                                  "\\colortbl ", "\\red9 ", "\\cf3 ",     "\\fs-9 ", "\\uc9 ", "\\",     "word "};
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        QByteArray rtf = "{\\rtf1 ";
        for (int i = 0; i < 60; ++i)
            rtf += pieces[random() % std::size(pieces)];
        const auto doc = read(rtf);
        EXPECT_LE(doc->characterCount(), 1000);
    }
}
