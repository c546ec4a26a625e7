#include "base/IniFile.h"
#include "i18n/Language.h"
#include "i18n/MsgINISupp.h"
#include "i18n/QtTranslations.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <gtest/gtest.h>

using base::IniFile;
using i18n::TMsgINISupp;

// The language files the build writes beside the program.
class ShippedLanguageFile : public ::testing::TestWithParam<const char*>
{
};

TEST_P(ShippedLanguageFile, HoldsEveryTextTheProgramLooksUp)
{
    IniFile ini(QStringLiteral(VELKORN_DIST_DIR "/") + GetParam());
    ASSERT_TRUE(ini.load());
    EXPECT_FALSE(ini.value("Language", "Language").isEmpty());
    EXPECT_EQ(ini.keys("frmMain"), QString("lblTotalWeight lblOperationPressure lblOperationSpace lblAssemblyHeight "
                                           "lblPistonType lblLoadingCapacity Label1 Label2 Label3 Label4 Label5 "
                                           "Label6 Label7 Label8")
                                       .split(' '));
    QStringList keys =
        QString("msg001 msg002 msg003 msg004 frmMainCaption btnPrev btnNext btnSearch edtSearch "
                "btnProfile btnInstructions btnCross btnStyle btnKullanim btnKullanim1 btnKullanim2 "
                "btnKullanim3 btnKullanim4 grdColType grdColCode gridStyleCODE grdKullanimKod type "
                "pistonType btnTools copyCode copyAllCodes copyRow sortList exportList exportFilter "
                "exportFailed showPicture about aboutCaption catalogDate catalogNeverUpdated "
                "programVersion itemCount codeCount applicationDir catalogLocation rowCount rowCount1 measureFound1 "
                "measureToleranceOf measureNotNumber measureNegative measureWrongUnit measureNotWhole "
                "measureNoRange measureReversedRange updateCaption updateRestored updateNotCompleted updateRolledBack "
                "accWebSite accWebSiteHint accSearchHint accPrevHint accNextHint accPageForward "
                "accPageForwardHint accPageBack accPageBackHint accSearchBox accSearchBoxHint accMenuBar "
                "accMenuBarHint accItemList accItemListHint accCodeList accCodeListHint accPicture "
                "accSuggestions accSuggestionsHint accFilterHint accMeasureValueHint accToleranceHint "
                "accMeasureFindHint accMeasureClearHint accMeasureHits moreCodes")
            .split(' ');
    for (int i = 1; i <= 8; ++i)
        keys << QStringLiteral("type%1").arg(i);
    for (int i = 1; i <= 6; ++i)
        keys << QStringLiteral("pistonType%1").arg(i);
    for (const QString& key : keys) {
        const QString value = ini.value("Project_Messages", key, "ERROR");
        EXPECT_TRUE(value != "ERROR" && !value.trimmed().isEmpty()) << key.toStdString();
    }
    // Texts that take a number, a date or a path have the place for it.
    for (const char* key :
         {"catalogDate", "programVersion", "itemCount", "codeCount", "applicationDir", "catalogLocation", "rowCount",
          "exportFailed", "measureToleranceOf", "measureNegative", "measureNotWhole", "measureNoRange",
          "measureReversedRange", "accPicture", "accFilterHint", "moreCodes"})
        EXPECT_TRUE(ini.value("Project_Messages", key).contains("%1")) << key;
    for (const char* key : {"measureNotNumber", "measureWrongUnit"})
        EXPECT_TRUE(ini.value("Project_Messages", key).contains("%2")) << key;
    // The two box texts run over two lines.
    for (const char* key : {"msg002", "msg004"})
        EXPECT_EQ(TMsgINISupp::convertLineBreaks(ini.value("Project_Messages", key)).count("\r\n"), 2) << key;
}

// One word per thing: in German a code is a "Nummer", as in the code lists, and a style a "Bauform", as in the menu;
// in English a cross-reference is not also a "Ref. Code".
TEST_P(ShippedLanguageFile, NamesEachThingWithOneWord)
{
    const QMap<QString, QStringList> otherWords = {{"de.lng", {"Code", "Codes", "Bauart"}}, {"en.lng", {"Ref. Code"}}};
    IniFile ini(QStringLiteral(VELKORN_DIST_DIR "/") + GetParam());
    ASSERT_TRUE(ini.load());
    for (const QString& section : {QStringLiteral("frmMain"), QStringLiteral("Project_Messages")})
        for (const QString& key : ini.keys(section))
            for (const QString& word : otherWords.value(GetParam())) {
                const QRegularExpression whole("(^|\\W)" + QRegularExpression::escape(word) + "($|\\W)");
                EXPECT_FALSE(ini.value(section, key).contains(whole))
                    << key.toStdString() << ": " << word.toStdString();
            }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, ShippedLanguageFile, ::testing::Values("tr.lng", "en.lng", "de.lng"));

TEST(ShippedLanguageFiles, AreWindows1254WithTheirOwnLetters)
{
    IniFile tr(QStringLiteral(VELKORN_DIST_DIR "/tr.lng"));
    IniFile de(QStringLiteral(VELKORN_DIST_DIR "/de.lng"));
    ASSERT_TRUE(tr.load());
    ASSERT_TRUE(de.load());
    EXPECT_EQ(tr.value("Language", "Language"), QStringLiteral("Türkçe"));
    EXPECT_EQ(tr.value("frmMain", "lblTotalWeight"), QStringLiteral("Toplam Ağırlık"));
    EXPECT_EQ(de.value("frmMain", "lblAssemblyHeight"), QStringLiteral("Einbauhöhe"));
}

// Qt's own dialogs and buttons speak the chosen language, from the files the build puts beside the program; English
// gives Qt's own texts back.
TEST(ShippedQtTranslations, GiveQtsDialogsTheChosenLanguage)
{
    int argc = 0;
    QCoreApplication application(argc, nullptr);
    const QString dist = QStringLiteral(VELKORN_DIST_DIR "/");
    for (const char* code : {"de", "tr"}) {
        EXPECT_TRUE(QFile::exists(dist + i18n::QtTranslationsFolder + "/qtbase_" + code + ".qm")) << code;
        ASSERT_TRUE(i18n::installQtTranslations(dist, *i18n::Language::fromCode(code))) << code;
        EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:") << code;
        EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel") << code;
    }
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), "Tamam");
    ASSERT_TRUE(i18n::installQtTranslations(dist, *i18n::Language::fromCode("en")));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}
