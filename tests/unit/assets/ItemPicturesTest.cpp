#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

// The demo database names style<T>_<k>.jpg pictures; the item view and the catalog server find them beside it.
TEST(ItemPictures, EveryStyleHasThreeJpegDrawingsBesideTheDatabaseAndOnTheServer)
{
    for (const char* dir : {VELKORN_TEST_ITEM_PICTURES, VELKORN_TEST_THUMBS}) {
        SCOPED_TRACE(dir);
        for (int style = 1; style <= 8; ++style) {
            for (int k = 1; k <= 3; ++k) {
                const QString path =
                    QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("style%1_%2.jpg").arg(style).arg(k));
                SCOPED_TRACE(path.toStdString());
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                const QByteArray bytes = file.readAll();
                EXPECT_TRUE(bytes.startsWith("\xFF\xD8")); // JPEG, as the item view decodes by extension
                const QImage image = QImage::fromData(bytes, "JPEG");
                ASSERT_FALSE(image.isNull());
                // Side views fill the 320 x 300 slot, the others the 185 x 212 slots.
                EXPECT_EQ(image.size(), k == 1 ? QSize(320, 300) : QSize(185, 212));
            }
        }
    }
}
