#include "TestCatalog.h"

#include "catalog/CatalogBrowser.h"
#include "catalog/ItemDetails.h"
#include "catalog/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using catalog::CatalogBrowser;
using catalog::CodeRowColour;

namespace {

class ItemViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalog.addCodeType(1, QStringLiteral("VLK"), QStringLiteral("Velkorn"));
        catalog.addCodeType(2, QStringLiteral("OEM"), QStringLiteral("Dorvan"));
        catalog.addCodeType(3, QStringLiteral("XR"), QStringLiteral("Brenmoor"));
        catalog.addCodeType(4, QString(), QStringLiteral("Unlabelled"));
        QObject::connect(&browser, &CatalogBrowser::picturesLoaded, [this](const QVector<QImage>& p) { pictures = p; });
    }

    // Shows one item through a search for its own code, as the window would.
    void show(int itemId)
    {
        pictures = {QImage(1, 1, QImage::Format_RGB32)};
        ASSERT_TRUE(browser.btnSearchClick(QStringLiteral("item%1end").arg(itemId)));
        ASSERT_EQ(browser.itemDetails().itemId, itemId);
    }
    void addItem(int id, int style, int vehicle1 = 0, int vehicle2 = 0, const QVariant& pistonType = 1)
    {
        catalog.addItem(id, style, vehicle1, vehicle2, pistonType);
        catalog.addCode(id, 1, QStringLiteral("ITEM %1 END").arg(id));
    }
    QList<int> pictureWidths() const
    {
        QList<int> widths;
        for (const QImage& image : pictures)
            widths << image.width();
        return widths;
    }

    TestCatalog catalog;
    CatalogBrowser browser{catalog.connectionName(), catalog.appDir(),
                           [](const QString& key) { return QStringLiteral("<%1>").arg(key); }};
    QVector<QImage> pictures;
};

} // namespace

TEST_F(ItemViewTest, DetailsCarryNamesPictogramsAndFormattedValues)
{
    addItem(1, 2, 3, 1, 4);
    addItem(2, 5, 0, 0, QVariant(QMetaType::fromType<int>()));
    addItem(3, 1, 7, 4);
    browser.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));

    show(1);
    catalog::ItemDetails d = browser.itemDetails();
    EXPECT_EQ(d.code, QStringLiteral("ITEM 1 END"));
    EXPECT_EQ(d.typeStr, QStringLiteral("<type2>"));
    EXPECT_EQ(d.ptStr, QStringLiteral("<pistonType4>"));
    EXPECT_TRUE(d.studsVisible);
    EXPECT_EQ(d.largeVehicle, 3);
    EXPECT_EQ(d.smallVehicle, 1);
    EXPECT_EQ(d.operationPressureMax, QStringLiteral("10.00"));
    EXPECT_EQ(d.operationSpace, QStringLiteral("1,234.50"));
    EXPECT_EQ(d.operationPressureMin, QStringLiteral("0.50"));
    EXPECT_EQ(d.loadingCapacity, QStringLiteral("2500-3000"));

    show(2);
    d = browser.itemDetails();
    EXPECT_EQ(d.ptStr, QStringLiteral("<pistonType>"));
    EXPECT_FALSE(d.studsVisible);
    EXPECT_EQ(d.largeVehicle, 0);
    EXPECT_EQ(d.smallVehicle, 0);

    show(3);
    EXPECT_EQ(browser.itemDetails().largeVehicle, 0);
    EXPECT_EQ(browser.itemDetails().smallVehicle, 4);
}

TEST(MeasureFormat, GroupsAndTwoDecimalsInTheLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(catalog::formatMeasure(10, german), QStringLiteral("10,00"));
    EXPECT_EQ(catalog::formatMeasure(1234.5, german), QStringLiteral("1.234,50"));
    EXPECT_EQ(catalog::formatMeasure(1234567.891, german), QStringLiteral("1.234.567,89"));
    QLocale english(QLocale::English, QLocale::UnitedStates);
    english.setNumberOptions(QLocale::OmitGroupSeparator); // the format always groups
    EXPECT_EQ(catalog::formatMeasure(1234.5, english), QStringLiteral("1,234.50"));
    EXPECT_EQ(catalog::formatMeasure(0.004, english), QStringLiteral("0.00"));
    EXPECT_EQ(catalog::formatMeasure(QVariant(), english), QString());
}

TEST(CodeRows, OemPrefixIsHighlightedUnlessSelected)
{
    EXPECT_EQ(catalog::codeRowColour(QStringLiteral("OEM"), false), CodeRowColour::ToolTip);
    EXPECT_EQ(catalog::codeRowColour(QStringLiteral("OEM"), true), CodeRowColour::Selection);
    EXPECT_EQ(catalog::codeRowColour(QStringLiteral("oem"), false), CodeRowColour::Window);
    EXPECT_EQ(catalog::codeRowColour(QStringLiteral("XR"), false), CodeRowColour::Window);
    EXPECT_EQ(catalog::codeRowColour(QVariant(), false), CodeRowColour::Default);
}

TEST_F(ItemViewTest, CodesListHoldsEveryCodeOrderedByPrefix)
{
    addItem(1, 1);
    catalog.addCode(1, 3, QStringLiteral("X-1"));
    catalog.addCode(1, 2, QStringLiteral("O-1"));
    catalog.addCode(1, 2, QStringLiteral("O-2"));
    catalog.addCode(1, 4, QStringLiteral("U-1"));
    show(1);
    const catalog::TQuery* codes = browser.qryCodes;
    ASSERT_EQ(codes->recordCount(), 5);
    QStringList prefixes;
    for (int row = 0; row < codes->recordCount(); ++row)
        prefixes << codes->value(row, codes->fieldIndex(QStringLiteral("PREFIX"))).toString();
    EXPECT_EQ(prefixes.mid(1, 3), (QStringList{"OEM", "OEM", "VLK"}));
    EXPECT_EQ(prefixes.last(), QStringLiteral("XR"));
}

TEST_F(ItemViewTest, PictureSlotsFillInOrderAndStopAtTheFirstBadFile)
{
    catalog.writePicture(QStringLiteral("a.jpg"), 11);
    catalog.writePicture(QStringLiteral("b.JPEG"), 12);
    catalog.writePicture(QStringLiteral("c.bmp"), 13);
    catalog.writePicture(QStringLiteral("d.jpg"), 14);
    catalog.writePicture(QStringLiteral("e.ico"), 15, 15);

    addItem(1, 1); // none
    addItem(2, 1); // five: the first three show
    for (const char* name : {"a.jpg", "b.JPEG", "c.bmp", "d.jpg", "e.ico"})
        catalog.addPicture(2, QString::fromLatin1(name));
    addItem(3, 1); // second missing
    for (const char* name : {"a.jpg", "missing.jpg", "c.bmp"})
        catalog.addPicture(3, QString::fromLatin1(name));
    addItem(4, 1); // a path out of the folder
    QFile outside(catalog.appDir() + QStringLiteral("secret.jpg"));
    ASSERT_TRUE(QFile::copy(catalog.imagesDir() + QStringLiteral("/a.jpg"), outside.fileName()));
    for (const char* name : {"e.ico", "../secret.jpg", "a.jpg"})
        catalog.addPicture(4, QString::fromLatin1(name));

    show(1);
    EXPECT_TRUE(pictures.isEmpty());
    show(2);
    EXPECT_EQ(pictureWidths(), (QList<int>{11, 12, 13}));
    QStringList missing;
    QObject::connect(&browser, &CatalogBrowser::picturesMissing, [&](const QStringList& names) { missing << names; });
    show(3);
    EXPECT_EQ(pictureWidths(), QList<int>{11});
    // The missing file is asked for; when it arrives, the item still shown gets it without being opened again.
    EXPECT_EQ(missing, QStringList{QStringLiteral("missing.jpg")});
    catalog.writePicture(QStringLiteral("missing.jpg"), 16);
    browser.pictureArrived(QStringLiteral("missing.jpg"));
    EXPECT_EQ(pictureWidths(), (QList<int>{11, 16, 13}));
    show(4);
    EXPECT_EQ(pictureWidths(), QList<int>{15});
}

TEST_F(ItemViewTest, PictureNamesCannotLeaveTheImagesFolder)
{
    const QString images = catalog.imagesDir();
    catalog.writePicture(QStringLiteral("ok.jpg"));
    QDir(images).mkdir(QStringLiteral("sub"));
    catalog.writePicture(QStringLiteral("sub/inner.jpg"));
    QDir(images).mkdir(QStringLiteral("dir.jpg"));
    QFile::copy(images + QStringLiteral("/ok.jpg"), catalog.appDir() + QStringLiteral("outside.jpg"));
    QFile::link(catalog.appDir() + QStringLiteral("outside.jpg"), images + QStringLiteral("/link.jpg"));

    EXPECT_FALSE(catalog::pictureFilePath(images, QStringLiteral("ok.jpg")).isEmpty());
    EXPECT_FALSE(catalog::pictureFilePath(images, QStringLiteral("sub/inner.jpg")).isEmpty());
    for (const QString& bad : {QStringLiteral("../outside.jpg"), QStringLiteral("sub/../../outside.jpg"),
                               QStringLiteral("..\\outside.jpg"), catalog.appDir() + QStringLiteral("outside.jpg"),
                               QStringLiteral("C:/outside.jpg"), QStringLiteral("link.jpg"), QString()})
        EXPECT_TRUE(catalog::pictureFilePath(images, bad).isEmpty()) << qPrintable(bad);

    EXPECT_TRUE(catalog::readPictureFile(images + QStringLiteral("/dir.jpg")).isNull());
    QFile::copy(images + QStringLiteral("/ok.jpg"), images + QStringLiteral("/ok.png"));
    EXPECT_TRUE(catalog::readPictureFile(images + QStringLiteral("/ok.png")).isNull()); // extension decides
    QFile::copy(images + QStringLiteral("/ok.jpg"), images + QStringLiteral("/big.jpg"));
    QFile big(images + QStringLiteral("/big.jpg"));
    ASSERT_TRUE(big.resize(catalog::kMaxPictureFileSize + 1));
    EXPECT_TRUE(catalog::readPictureFile(big.fileName()).isNull());
    EXPECT_FALSE(catalog::readPictureFile(images + QStringLiteral("/ok.jpg")).isNull());
}
