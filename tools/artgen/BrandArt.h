#pragma once

#include "ArtOutput.h"
#include "LanguageTexts.h"

// The brand pictures: banner pieces and slogans, the big logo button, the language dialog and company backgrounds,
// the header pieces and the button glyphs.
namespace artgen {

QImage bannerTile();
QImage bannerLogo();
QImage slogan(const LanguageTexts& texts);
QImage introLogo(bool over);
QImage languageBackground();
QImage companyBackground();
QImage wizardBillboard();
QImage loginBanner();
void writeBrandArt(ArtOutput& out);
void writeHeaderArt(ArtOutput& out);

} // namespace artgen
