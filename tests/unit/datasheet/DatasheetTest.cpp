#include "datasheet/Datasheet.h"
#include "base/IniFile.h"
#include "i18n/texts/BuiltInTexts.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

// The texts of a shipped language file, as the lookup tool and the window read them.
datasheet::SheetTexts shippedTexts(const QString& language)
{
    auto ini =
        std::make_shared<base::IniFile>(QStringLiteral(VELKORN_DIST_DIR "/") + language + QStringLiteral(".lng"));
    EXPECT_TRUE(ini->load());
    datasheet::SheetTexts texts;
    texts.msg = i18n::withBuiltInTexts(
        [ini](const QString& key) { return ini->value("Project_Messages", key, "ERROR"); }, language);
    texts.caption = [ini](const QString& name) { return ini->value("frmMain", name); };
    texts.languageCode = language;
    texts.locale = QLocale(language == "tr" ? QLocale::Turkish : QLocale::German);
    return texts;
}

catalog::ItemSheet sampleSheet()
{
    catalog::ItemSheet s;
    s.itemId = 7;
    s.code = "VK 00007 İ";
    s.style = 2;
    s.pistonType = 6;
    s.totalWeight = 8.5;
    s.pressureDefault = 7.0;
    s.pressureMax = 10.0;
    s.pressureMin = 0.5;
    s.operationSpace = 250.0;
    s.assemblyHeight = 340.0;
    s.loadingCapacity = "2800-3200";
    s.studs = 2;
    s.studDistance = 157.5;
    s.bolts = 0;
    s.vehicle1 = 3;
    s.vehicle2 = 1;
    s.pictureUrls = {"a.jpg", "missing.jpg", "c.jpg"};
    s.groups = {{"Dorvan Trucks", "OEM", true, {"81.43601-6070", "81.43601-6011"}},
                {"Grevik Luftfedern", "GRV", false, {"Gş-3234.2"}}};
    s.catalogDate = QDateTime(QDate(2024, 6, 1), QTime(12, 0));
    return s;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start("pdftotext", {"-enc", "UTF-8", path, "-"});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

// The PDF is text, not a picture: a dealer's system can search it. Every code, the labels of the chosen language
// and Turkish letters come out of pdftotext as they went in.
TEST(Datasheet, PdfCarriesEveryCodeAndTheLanguagesLabels)
{
    QTemporaryDir dir;
    const catalog::ItemSheet sheet = sampleSheet();
    for (const QString language : {"tr", "de"}) {
        const QString path = dir.filePath(language + ".pdf");
        QString error;
        ASSERT_TRUE(datasheet::writeDatasheetPdf(sheet, shippedTexts(language), dir.path(), path, &error))
            << qPrintable(error);
        const QString text = pdfText(path);
        for (const QString code : {"VK 00007 İ", "81.43601-6070", "81.43601-6011", "Gş-3234.2"})
            EXPECT_TRUE(text.contains(code)) << qPrintable(language + ": " + code);
        if (language == "tr") {
            for (const QString label : {"Toplam Ağırlık", "Teknik Veriler", "Roll Metalli Körük (Pistonsuz)", "Treyler",
                                        "Otobüs", "Saplamalar arası mesafe", "Katalog tarihi"})
                EXPECT_TRUE(text.contains(label)) << qPrintable(label);
            EXPECT_TRUE(text.contains("157,50")) << "Turkish decimal comma";
        } else {
            for (const QString label : {"Technische Daten", "Einbauhöhe", "Anzahl Stehbolzen", "Katalogstand"})
                EXPECT_TRUE(text.contains(label)) << qPrintable(label);
            EXPECT_FALSE(text.contains("ERROR"));
        }
        // The pressure rows name their value without the item view's colon.
        const QString max = language == "tr" ? "Maks" : "Max";
        EXPECT_TRUE(text.contains((language == "tr" ? "Çalışma Basıncı " : "Betriebsdruck ") + max))
            << qPrintable(text);
        EXPECT_FALSE(text.contains(max + ":"));
        // OEM codes come before the competitors' codes.
        EXPECT_LT(text.indexOf("81.43601-6011"), text.indexOf("Gş-3234.2"));
    }
}

// Pictures follow the item view's rule: the first missing file ends the row; no legend or vehicles where the item
// has none.
TEST(Datasheet, PicturesStopAtTheFirstMissingFileAndEmptyPartsAreLeftOut)
{
    QTemporaryDir dir;
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir.filePath("a.jpg")));
    ASSERT_TRUE(picture.save(dir.filePath("c.jpg")));
    catalog::ItemSheet sheet = sampleSheet();
    auto doc = datasheet::buildDatasheet(sheet, shippedTexts("tr"), dir.path());
    EXPECT_FALSE(doc->resource(QTextDocument::ImageResource, QUrl("picture1")).isNull());
    EXPECT_TRUE(doc->resource(QTextDocument::ImageResource, QUrl("picture3")).isNull());
    EXPECT_FALSE(doc->resource(QTextDocument::ImageResource, QUrl("studs")).isNull());
    EXPECT_FALSE(doc->resource(QTextDocument::ImageResource, QUrl("tasit3")).isNull());

    sheet.style = 1;
    sheet.vehicle1 = sheet.vehicle2 = 0;
    sheet.studs = sheet.bolts = QVariant();
    doc = datasheet::buildDatasheet(sheet, shippedTexts("tr"), dir.path());
    EXPECT_TRUE(doc->resource(QTextDocument::ImageResource, QUrl("studs")).isNull());
    EXPECT_FALSE(doc->toPlainText().contains("Bağlantı"));
    EXPECT_FALSE(doc->toPlainText().contains("Kullanım Alanı"));
}
