#pragma once

#include "ArtOutput.h"
#include "LanguageTexts.h"

// The language pages: installation pictures, the long product-code picture and the rich texts.
namespace artgen {

// page 1..3 shows steps 2*page-1 and 2*page.
QImage installationPage(const LanguageTexts& texts, int page);
QImage productCodePage(const LanguageTexts& texts);
QByteArray introText(const LanguageTexts& texts);
QByteArray productRangeText(const LanguageTexts& texts);
void writePageArt(ArtOutput& out);

} // namespace artgen
