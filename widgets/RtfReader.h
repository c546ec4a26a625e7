#pragma once

#include <QByteArray>

class QObject;
class QTextDocument;

namespace widgets {

// Reads an RTF document into a QTextDocument: fonts, sizes, bold, italic, underline, colours, paragraphs with
// indents and alignment, code-page and Unicode characters. Everything it does not know is skipped; malformed
// input gives whatever could be read. Lengths are measured in pixels at `dpi` (twips / 1440 * dpi).
QTextDocument* readRtf(const QByteArray& rtf, QObject* parent, int dpi = 96);

} // namespace widgets
