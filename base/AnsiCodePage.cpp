#include "base/AnsiCodePage.h"

namespace base {

namespace {

// 0x80..0x9F of Windows-1252; the rest of the upper half is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Windows-1254 differs from 1252 in eight places: no Z with caron, and the Turkish letters instead of the
// Icelandic ones.
char16_t cp1254Override(unsigned char byte)
{
    switch (byte) {
    case 0x8E:
        return 0x008E;
    case 0x9E:
        return 0x009E;
    case 0xD0:
        return 0x011E; // G breve
    case 0xDD:
        return 0x0130; // I dot above
    case 0xDE:
        return 0x015E; // S cedilla
    case 0xF0:
        return 0x011F; // g breve
    case 0xFD:
        return 0x0131; // dotless i
    case 0xFE:
        return 0x015F; // s cedilla
    default:
        return 0;
    }
}

} // namespace

int supportedCodePage(int codePage)
{
    return codePage == 1254 ? 1254 : 1252;
}

QChar decodeAnsiByte(unsigned char byte, int codePage)
{
    if (supportedCodePage(codePage) == 1254) {
        if (const char16_t c = cp1254Override(byte))
            return QChar(c);
    }
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kCp1252High[byte - 0x80]);
    return QChar(char16_t(byte));
}

} // namespace base
