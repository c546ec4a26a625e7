// RTF documents (the catalog's rich texts): read into a text document at two resolutions and laid out, as the
// rich-text label does before it paints.
#include "FuzzSupport.h"

#include "widgets/RtfReader.h"

#include <QTextDocument>

#include <memory>

using widgets::readRtf;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray rtf = fuzz::bytesOf(data, size);
    for (const int dpi : {96, 144}) {
        std::unique_ptr<QTextDocument> doc(readRtf(rtf, nullptr, dpi));
        if (!doc)
            continue;
        doc->setTextWidth(300);
        doc->size();
        doc->toPlainText();
    }
    return 0;
}
