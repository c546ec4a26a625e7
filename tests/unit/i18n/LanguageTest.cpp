#include "i18n/Language.h"

#include <gtest/gtest.h>

using i18n::Language;

namespace {

// Everything derived from the choice comes from one value; a stray code must not turn into a language whose
// artwork or file does not exist.
TEST(Language, DerivesSuffixAndFileFromTheCodeAndKnowsOnlyThreeCodes)
{
    const std::optional<Language> german = Language::fromCode("de");
    ASSERT_TRUE(german);
    EXPECT_EQ(german->code(), "de");
    EXPECT_EQ(german->artSuffix(), "DE");
    EXPECT_EQ(german->fileName(), "de.lng");
    // The artwork is laid out Turkish, English, German.
    EXPECT_EQ(*german, Language::all().at(2));
    EXPECT_EQ(Language::all().at(0).artSuffix(), "TR");
    EXPECT_NE(*german, *Language::fromCode("en"));

    for (const char* code : {"", "DE", "de ", "fr", "tr.lng"})
        EXPECT_FALSE(Language::fromCode(code)) << code;
}

} // namespace
