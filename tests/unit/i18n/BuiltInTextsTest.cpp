#include "i18n/texts/BuiltInTexts.h"
#include "base/IniFile.h"

#include <gtest/gtest.h>

// Language files from before a key lack it: the built-in text stands in, in the file's language, and a key the file
// has wins over the built-in text. Keys without a built-in text keep message lookup's answer.
TEST(BuiltInTexts, StandInForKeysTheFileLacksOrLeavesEmpty)
{
    const auto oldFile = [](const QString& key) {
        if (key == "btnDatasheet")
            return QStringLiteral("Blatt");
        return key == "copyRow" ? QString() : QStringLiteral("ERROR");
    };
    const auto de = i18n::withBuiltInTexts(oldFile, "de");
    EXPECT_EQ(de("btnMeasure"), "Nach Maßen suchen");
    EXPECT_EQ(de("btnDatasheet"), "Blatt");
    EXPECT_EQ(de("copyRow"), "Zeile kopieren");
    EXPECT_EQ(de("noSuchKey"), "ERROR");
    EXPECT_EQ(de("msg001"), "ERROR");
    EXPECT_EQ(i18n::withBuiltInTexts(oldFile, "tr")("btnMeasure"), "Ölçüyle Bul");
    // Before a language is chosen, and without a lookup at all, the English text.
    EXPECT_EQ(i18n::withBuiltInTexts(oldFile, QString())("btnTools"), "Tools");
    EXPECT_EQ(i18n::withBuiltInTexts({}, "tr")("btnHistory"), "Geçmiş");
}

// The shipped files carry every key that has a built-in text, each in its own words, so that the two never drift.
TEST(BuiltInTexts, ShippedFilesCarryEveryKeyInTheSameWords)
{
    QStringList keys = i18n::builtInKeys();
    EXPECT_EQ(keys.removeDuplicates(), 0);
    for (const char* language : {"tr", "en", "de"}) {
        base::IniFile ini(QStringLiteral(VELKORN_DIST_DIR "/") + language + ".lng");
        ASSERT_TRUE(ini.load());
        for (const QString& key : keys)
            EXPECT_EQ(ini.value("Project_Messages", key, "ERROR"), i18n::builtInText(language, key))
                << language << " " << qPrintable(key);
    }
}
