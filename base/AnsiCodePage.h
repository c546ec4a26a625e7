#pragma once

#include <QChar>

namespace base {

// Windows ANSI code pages for the bytes of RTF documents: 1254 (Turkish, our texts) and 1252 (Western, used for
// every other code page). Bytes the code page leaves undefined map to the code point of the same value, as Windows
// does.
int supportedCodePage(int codePage);
QChar decodeAnsiByte(unsigned char byte, int codePage);

} // namespace base
