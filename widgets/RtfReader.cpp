#include "widgets/RtfReader.h"

#include "base/AnsiCodePage.h"

#include <QColor>
#include <QHash>
#include <QSet>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QVector>

#include <algorithm>

namespace widgets {

using base::decodeAnsiByte;
using base::supportedCodePage;

namespace {

// Limits that keep a hostile or broken document cheap: a label shows a page at most.
constexpr int kMaxDepth = 256;         // deeper groups share the state of the deepest kept one
constexpr int kMaxChars = 100000;      // characters (and paragraph ends) kept; the rest is dropped
constexpr int kMaxTableEntries = 4096; // fonts and colours
constexpr int kMaxFontName = 256;
constexpr int kMaxWordLength = 32;
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxHalfPoints = 3276; // 1638 pt, the largest size rich-edit controls take
constexpr int kMaxTwips = 31680;     // 22 inches

enum class Destination
{
    Text,
    Skip,
    FontTable,
    ColorTable
};

struct CharState
{
    int font = -1; // -1: the document's default font
    int halfPoints = kDefaultHalfPoints;
    int color = 0; // 0: automatic
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const CharState& o) const
    {
        return font == o.font && halfPoints == o.halfPoints && color == o.color && bold == o.bold &&
               italic == o.italic && underline == o.underline;
    }
    bool operator!=(const CharState& o) const { return !(*this == o); }
};

struct ParaState
{
    int leftIndent = 0;
    int firstIndent = 0;
    int rightIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct GroupState
{
    CharState chars;
    ParaState para;
    Destination destination = Destination::Text;
    int unicodeSkip = 1;
};

struct Run
{
    CharState chars;
    QString text;
};

struct Paragraph
{
    ParaState para;
    CharState endChars; // format of the paragraph mark: gives an empty paragraph its height
    QVector<Run> runs;
};

int clampTwips(int value)
{
    return std::clamp(value, -kMaxTwips, kMaxTwips);
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Destinations whose content is never shown.
bool isSkippedDestination(const QByteArray& word)
{
    // clang-format off
    static const QSet<QByteArray> skipped = {
        "info", "stylesheet", "pict", "object", "objdata", "result", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "xe", "tc", "txe", "rxe", "listtable",
        "listoverridetable", "revtbl", "rsidtbl", "filetbl", "generator", "themedata", "colorschememapping",
        "latentstyles", "datastore", "xmlnstbl", "pgdsctbl", "nonshppict", "shpinst", "sp", "sn", "sv", "bkmkstart",
        "bkmkend", "annotation", "atnid", "atnauthor", "template", "userprops", "docvar", "private", "comment",
        "title", "author", "operator", "keywords", "subject", "doccomm", "company", "buptim", "creatim", "printim",
        "revtim", "pn", "blipuid", "mmathPr",
    };
    // clang-format on
    return skipped.contains(word);
}

class Reader
{
public:
    explicit Reader(const QByteArray& input) : m_in(input) { m_paragraphs.append(Paragraph{}); }

    void parse();
    QTextDocument* build(QObject* parent, int dpi) const;

private:
    void openGroup();
    void closeGroup();
    void controlWord();
    void controlSymbol(char symbol);
    void applyWord(const QByteArray& word, bool hasParam, int param);
    void byteText(unsigned char byte);
    void appendChar(QChar c);
    void endParagraph();
    void finishFontEntry();
    void finishColorEntry();

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    QVector<GroupState> m_stack;
    GroupState m_state;
    int m_overflow = 0;    // groups opened beyond kMaxDepth
    int m_pendingSkip = 0; // fallback characters still to drop after \uN
    int m_codePage = 1252;
    int m_defaultFont = 0;
    int m_chars = 0;

    QHash<int, QString> m_fonts;
    int m_fontIndex = 0;
    QString m_fontName;
    QVector<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorGiven = false;

    QVector<Paragraph> m_paragraphs;
};

void Reader::parse()
{
    const qsizetype n = m_in.size();
    while (m_pos < n && m_chars < kMaxChars) {
        const char c = m_in[m_pos];
        switch (c) {
        case '{':
            ++m_pos;
            m_pendingSkip = 0;
            openGroup();
            break;
        case '}':
            ++m_pos;
            m_pendingSkip = 0;
            closeGroup();
            break;
        case '\\':
            ++m_pos;
            if (m_pos >= n)
                return;
            if (isLetter(m_in[m_pos]))
                controlWord();
            else
                controlSymbol(m_in[m_pos++]);
            break;
        case '\r':
        case '\n':
            ++m_pos;
            break;
        default:
            ++m_pos;
            byteText(static_cast<unsigned char>(c));
        }
    }
}

void Reader::openGroup()
{
    if (m_stack.size() >= kMaxDepth) {
        ++m_overflow;
        return;
    }
    m_stack.append(m_state);
}

void Reader::closeGroup()
{
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.isEmpty())
        return; // a stray closing brace
    if (m_state.destination == Destination::FontTable && !m_fontName.isEmpty())
        finishFontEntry();
    m_state = m_stack.takeLast();
}

void Reader::controlWord()
{
    const qsizetype n = m_in.size();
    const qsizetype start = m_pos;
    while (m_pos < n && isLetter(m_in[m_pos]))
        ++m_pos;
    const QByteArray word = m_in.mid(start, std::min<qsizetype>(m_pos - start, kMaxWordLength));

    bool hasParam = false;
    bool negative = false;
    qint64 value = 0;
    if (m_pos + 1 < n && m_in[m_pos] == '-' && isDigit(m_in[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    while (m_pos < n && isDigit(m_in[m_pos])) {
        hasParam = true;
        if (value < (1LL << 31))
            value = value * 10 + (m_in[m_pos] - '0');
        ++m_pos;
    }
    value = std::min<qint64>(value, (1LL << 31) - 1);
    const int param = int(negative ? -value : value);
    if (m_pos < n && m_in[m_pos] == ' ')
        ++m_pos;

    if (word == "bin") {
        // Raw binary data follows; it may contain braces and backslashes.
        m_pos += std::clamp<qsizetype>(param, 0, n - m_pos);
        return;
    }
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    applyWord(word, hasParam, param);
}

void Reader::controlSymbol(char symbol)
{
    switch (symbol) {
    case '\'': {
        const qsizetype n = m_in.size();
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < n && hexValue(m_in[m_pos]) >= 0) {
            value = value * 16 + hexValue(m_in[m_pos++]);
            ++digits;
        }
        if (digits > 0)
            byteText(static_cast<unsigned char>(value));
        return;
    }
    case '\\':
    case '{':
    case '}':
        byteText(static_cast<unsigned char>(symbol));
        return;
    default:
        break;
    }
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    switch (symbol) {
    case '*':
        // An optional destination: none that we know is written this way, so skip the group.
        m_state.destination = Destination::Skip;
        break;
    case '~':
        appendChar(QChar(0x00A0));
        break;
    case '_':
        appendChar(QChar(0x2011));
        break;
    case '\r':
    case '\n':
        if (m_state.destination == Destination::Text)
            endParagraph();
        break;
    default:
        break; // optional hyphen, index sub-entry, formula: nothing to show
    }
}

void Reader::applyWord(const QByteArray& word, bool hasParam, int param)
{
    Destination& dest = m_state.destination;
    if (dest == Destination::Skip)
        return;

    if (word == "fonttbl") {
        dest = Destination::FontTable;
        m_fontName.clear();
        return;
    }
    if (word == "colortbl") {
        dest = Destination::ColorTable;
        m_colorGiven = false;
        return;
    }
    if (isSkippedDestination(word)) {
        dest = Destination::Skip;
        return;
    }
    if (word == "uc") {
        m_state.unicodeSkip = std::clamp(param, 0, 10);
        return;
    }
    if (word == "u") {
        const char16_t unit = char16_t(param < 0 ? param + 65536 : param);
        // Control characters and paragraph separators would break the block structure; they carry no text.
        if (unit >= 0x20 && unit != 0x2029 && unit != 0xFFFE && unit != 0xFFFF)
            appendChar(QChar(unit));
        m_pendingSkip = m_state.unicodeSkip;
        return;
    }

    if (dest == Destination::FontTable) {
        if (word == "f") {
            if (!m_fontName.isEmpty())
                finishFontEntry();
            m_fontIndex = param;
        }
        return;
    }
    if (dest == Destination::ColorTable) {
        const int component = std::clamp(param, 0, 255);
        if (word == "red")
            m_red = component;
        else if (word == "green")
            m_green = component;
        else if (word == "blue")
            m_blue = component;
        else
            return;
        m_colorGiven = true;
        return;
    }

    CharState& chars = m_state.chars;
    ParaState& para = m_state.para;
    const bool on = !hasParam || param != 0;
    if (word == "par" || word == "page" || word == "sect" || word == "row") {
        endParagraph();
    } else if (word == "pard") {
        para = ParaState{};
    } else if (word == "plain") {
        chars = CharState{};
    } else if (word == "f") {
        chars.font = std::max(param, 0);
    } else if (word == "fs") {
        if (param > 0)
            chars.halfPoints = std::min(param, kMaxHalfPoints);
    } else if (word == "b") {
        chars.bold = on;
    } else if (word == "i") {
        chars.italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" || word == "ulth" ||
               word == "ulwave") {
        chars.underline = on;
    } else if (word == "ulnone") {
        chars.underline = false;
    } else if (word == "cf") {
        chars.color = std::max(param, 0);
    } else if (word == "li") {
        para.leftIndent = clampTwips(param);
    } else if (word == "fi") {
        para.firstIndent = clampTwips(param);
    } else if (word == "ri") {
        para.rightIndent = clampTwips(param);
    } else if (word == "sb") {
        para.spaceBefore = std::max(0, clampTwips(param));
    } else if (word == "sa") {
        para.spaceAfter = std::max(0, clampTwips(param));
    } else if (word == "ql") {
        para.alignment = Qt::AlignLeft;
    } else if (word == "qc") {
        para.alignment = Qt::AlignHCenter;
    } else if (word == "qr") {
        para.alignment = Qt::AlignRight;
    } else if (word == "qj") {
        para.alignment = Qt::AlignJustify;
    } else if (word == "ansicpg") {
        m_codePage = supportedCodePage(param);
    } else if (word == "deff") {
        m_defaultFont = std::max(param, 0);
    } else if (word == "line") {
        appendChar(QChar(QChar::LineSeparator));
    } else if (word == "tab" || word == "cell") {
        appendChar(QLatin1Char('\t'));
    } else if (word == "emdash") {
        appendChar(QChar(0x2014));
    } else if (word == "endash") {
        appendChar(QChar(0x2013));
    } else if (word == "bullet") {
        appendChar(QChar(0x2022));
    } else if (word == "lquote") {
        appendChar(QChar(0x2018));
    } else if (word == "rquote") {
        appendChar(QChar(0x2019));
    } else if (word == "ldblquote") {
        appendChar(QChar(0x201C));
    } else if (word == "rdblquote") {
        appendChar(QChar(0x201D));
    } else if (word == "emspace") {
        appendChar(QChar(0x2003));
    } else if (word == "enspace") {
        appendChar(QChar(0x2002));
    }
    // Every other control word changes nothing we show.
}

void Reader::byteText(unsigned char byte)
{
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    switch (m_state.destination) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        if (byte == ';')
            finishFontEntry();
        else if (m_fontName.size() < kMaxFontName && byte >= 0x20)
            m_fontName.append(decodeAnsiByte(byte, m_codePage));
        return;
    case Destination::ColorTable:
        if (byte == ';')
            finishColorEntry();
        return;
    case Destination::Text:
        if (byte == '\t')
            appendChar(QLatin1Char('\t'));
        else if (byte >= 0x20)
            appendChar(decodeAnsiByte(byte, m_codePage));
        return;
    }
}

void Reader::appendChar(QChar c)
{
    if (m_state.destination != Destination::Text || m_chars >= kMaxChars)
        return;
    ++m_chars;
    // A paragraph takes the properties in force at its last character, or at its \par.
    m_paragraphs.last().para = m_state.para;
    QVector<Run>& runs = m_paragraphs.last().runs;
    if (runs.isEmpty() || runs.last().chars != m_state.chars)
        runs.append(Run{m_state.chars, QString()});
    runs.last().text.append(c);
}

void Reader::endParagraph()
{
    if (m_chars >= kMaxChars)
        return;
    ++m_chars;
    Paragraph& current = m_paragraphs.last();
    current.para = m_state.para;
    current.endChars = m_state.chars;
    m_paragraphs.append(Paragraph{});
}

void Reader::finishFontEntry()
{
    const QString name = m_fontName.trimmed();
    m_fontName.clear();
    if (!name.isEmpty() && m_fonts.size() < kMaxTableEntries)
        m_fonts.insert(m_fontIndex, name);
}

void Reader::finishColorEntry()
{
    if (m_colors.size() < kMaxTableEntries)
        m_colors.append(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
    m_red = m_green = m_blue = 0;
    m_colorGiven = false;
}

QTextDocument* Reader::build(QObject* parent, int dpi) const
{
    auto* document = new QTextDocument(parent);
    document->setUndoRedoEnabled(false);
    document->setDocumentMargin(0);

    const auto pixels = [dpi](int twips) { return qreal(twips) * dpi / 1440.0; };
    const auto charFormat = [this](const CharState& chars) {
        QTextCharFormat format;
        const int font = chars.font < 0 ? m_defaultFont : chars.font;
        const auto family = m_fonts.constFind(font);
        if (family != m_fonts.constEnd())
            format.setFontFamilies(QStringList{*family});
        format.setFontPointSize(chars.halfPoints / 2.0);
        format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(chars.italic);
        format.setFontUnderline(chars.underline);
        if (chars.color > 0 && chars.color < m_colors.size() && m_colors[chars.color].isValid())
            format.setForeground(m_colors[chars.color]);
        return format;
    };

    QVector<Paragraph> paragraphs = m_paragraphs;
    // The text after the last \par, if any, is a paragraph of its own; its mark looks like its last run.
    if (paragraphs.size() > 1 && paragraphs.last().runs.isEmpty())
        paragraphs.removeLast();
    else if (!paragraphs.last().runs.isEmpty())
        paragraphs.last().endChars = paragraphs.last().runs.last().chars;

    QTextCursor cursor(document);
    bool first = true;
    for (const Paragraph& paragraph : paragraphs) {
        QTextBlockFormat block;
        block.setLeftMargin(pixels(paragraph.para.leftIndent));
        block.setTextIndent(pixels(paragraph.para.firstIndent));
        block.setRightMargin(pixels(paragraph.para.rightIndent));
        block.setTopMargin(pixels(paragraph.para.spaceBefore));
        block.setBottomMargin(pixels(paragraph.para.spaceAfter));
        block.setAlignment(paragraph.para.alignment);
        if (first) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(charFormat(paragraph.endChars));
            first = false;
        } else {
            cursor.insertBlock(block, charFormat(paragraph.endChars));
        }
        for (const Run& run : paragraph.runs)
            cursor.insertText(run.text, charFormat(run.chars));
    }
    return document;
}

} // namespace

QTextDocument* readRtf(const QByteArray& rtf, QObject* parent, int dpi)
{
    Reader reader(rtf);
    reader.parse();
    return reader.build(parent, dpi);
}

} // namespace widgets
