// JPEG and BMP files (item pictures from the catalog server, the catalog's artwork): the structure checks and
// the decoder behind them. PictureLoadError is the reader's answer to a bad file; anything else is a finding.
#include "FuzzSupport.h"

#include "widgets/PictureData.h"

using widgets::decodePicture;
using widgets::PictureLoadError;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const QImage image = decodePicture(fuzz::bytesOf(data, size));
        if (image.isNull())
            __builtin_trap(); // success promises a picture
    } catch (const PictureLoadError&) {
        // The expected answer to a broken or unsupported file.
    }
    return 0;
}
