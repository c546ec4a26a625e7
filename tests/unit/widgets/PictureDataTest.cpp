#include "widgets/PictureData.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <random>
#include <set>

using widgets::decodePicture;
using widgets::PictureLoadError;
using widgets::readResource;

namespace {

QImage solid(int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QByteArray encode(const QImage& image, const char* format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << qPrintable(writer.errorString());
    return bytes;
}

std::string errorOf(const QByteArray& bytes)
{
    try {
        decodePicture(bytes);
    } catch (const PictureLoadError& error) {
        return error.what();
    }
    return "decoded";
}

void putLe32(QByteArray& bytes, int offset, quint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

void putLe16(QByteArray& bytes, int offset, quint16 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

bool near(QRgb a, QColor b)
{
    return qAbs(qRed(a) - b.red()) < 12 && qAbs(qGreen(a) - b.green()) < 12 && qAbs(qBlue(a) - b.blue()) < 12;
}

} // namespace

TEST(PictureData, DecodesJpegAndBmp)
{
    const QImage jpeg = decodePicture(encode(solid(37, 21, QColor(200, 30, 30)), "jpeg"));
    EXPECT_EQ(jpeg.size(), QSize(37, 21));
    EXPECT_TRUE(near(jpeg.pixel(18, 10), QColor(200, 30, 30)));

    const QImage progressive = decodePicture(encode(solid(64, 48, QColor(20, 120, 220)), "jpeg", true));
    EXPECT_EQ(progressive.size(), QSize(64, 48));

    const QImage bmp = decodePicture(encode(solid(5, 3, QColor(1, 2, 3)), "bmp"));
    EXPECT_EQ(bmp.size(), QSize(5, 3));
    EXPECT_EQ(QColor(bmp.pixel(4, 2)), QColor(1, 2, 3));

    // Bytes after the end-of-image marker are harmless.
    EXPECT_EQ(decodePicture(encode(solid(8, 8, Qt::white), "jpeg") + "trailing").size(), QSize(8, 8));
}

TEST(PictureData, EmptyAndUnknownData)
{
    EXPECT_EQ(errorOf(QByteArray()), "Empty image stream created");
    EXPECT_EQ(errorOf(encode(solid(4, 4, Qt::red), "png")), "Could not load image. Invalid format");
    EXPECT_EQ(errorOf("GIF89a not a picture we show"), "Could not load image. Invalid format");
    EXPECT_EQ(errorOf(QByteArray(1, char(0xFF))), "Could not load image. Invalid format");
}

// libjpeg decodes a cut-off file with a grey remainder and only warns; the catalog must refuse it instead.
TEST(PictureData, TruncatedJpegFails)
{
    const QByteArray whole = encode(solid(120, 90, QColor(10, 200, 10)), "jpeg");
    for (const qsizetype length : {qsizetype(2), qsizetype(3), qsizetype(20), whole.size() / 2, whole.size() - 2})
        EXPECT_EQ(errorOf(whole.left(length)), "Could not load image") << "length " << length;

    const QByteArray progressive = encode(solid(120, 90, QColor(10, 200, 10)), "jpeg", true);
    EXPECT_EQ(errorOf(progressive.left(progressive.size() * 2 / 3)), "Could not load image");

    // A segment length that runs past the end of the file.
    QByteArray broken = whole;
    broken[4] = char(0xFF);
    broken[5] = char(0xF0);
    EXPECT_EQ(errorOf(broken.left(200)), "Could not load image");
}

TEST(PictureData, BmpWithWrongHeaderFails)
{
    const QByteArray good = encode(solid(10, 6, Qt::blue), "bmp");
    ASSERT_EQ(qFromLittleEndian<quint32>(good.constData() + 14), 40u);

    QByteArray bad = good;
    putLe32(bad, 14, 7); // information header of an unknown size
    EXPECT_EQ(errorOf(bad), "Could not load image. Invalid format");

    bad = good;
    putLe16(bad, 26, 0); // planes
    EXPECT_EQ(errorOf(bad), "Could not load image. Invalid format");

    bad = good;
    putLe16(bad, 28, 7); // bits per pixel
    EXPECT_EQ(errorOf(bad), "Could not load image. Invalid format");

    bad = good;
    putLe32(bad, 30, 9); // compression
    EXPECT_EQ(errorOf(bad), "Could not load image. Invalid format");

    bad = good;
    putLe32(bad, 10, quint32(good.size() + 100)); // pixel data beyond the file
    EXPECT_EQ(errorOf(bad), "Could not load image. Invalid format");

    bad = good;
    putLe32(bad, 18, 0); // width
    EXPECT_EQ(errorOf(bad), "Could not load image. Invalid format");

    EXPECT_EQ(errorOf(good.left(20)), "Could not load image. Invalid format");
    EXPECT_EQ(errorOf(good.left(good.size() - 10)), "Could not load image");
}

// A forged header must not make the decoder allocate gigabytes.
TEST(PictureData, HugeDimensionsFailBeforeDecoding)
{
    QByteArray bmp = encode(solid(10, 6, Qt::blue), "bmp");
    putLe32(bmp, 18, 30000);
    putLe32(bmp, 22, 30000);
    EXPECT_EQ(errorOf(bmp), "Could not allocate memory for image");

    QByteArray jpeg = encode(solid(16, 16, Qt::blue), "jpeg");
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    jpeg[sof + 5] = char(0xFF); // height 65535-ish
    jpeg[sof + 6] = char(0xF0);
    jpeg[sof + 7] = char(0xFF); // width
    jpeg[sof + 8] = char(0xF0);
    EXPECT_EQ(errorOf(jpeg), "Could not allocate memory for image");
}

TEST(PictureData, ReadResource)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("picture.bmp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("BM1234");
    file.close();
    EXPECT_EQ(readResource(path), QByteArray("BM1234"));

    try {
        readResource(dir.filePath("missing.jpg"));
        FAIL() << "no error for a missing file";
    } catch (const PictureLoadError& error) {
        EXPECT_STREQ(error.what(), "Could not create image stream");
    }
}

// Damaged pictures either decode or fail with one of the five texts; they never crash the decoder.
TEST(PictureData, DamagedBytesFailCleanly)
{
    const std::set<std::string> texts = {
        "Could not allocate memory for image",  "Could not create image stream", "Empty image stream created",
        "Could not load image. Invalid format", "Could not load image",          "decoded"};
    const QByteArray sources[] = {encode(solid(40, 30, Qt::darkCyan), "jpeg"),
                                  encode(solid(40, 30, Qt::darkCyan), "jpeg", true),
                                  encode(solid(13, 7, Qt::darkCyan), "bmp")};
    QLoggingCategory::setFilterRules("qt.gui.imageio.jpeg=false"); // libjpeg's complaints about each damaged file
    std::mt19937 random(7);
    for (const QByteArray& source : sources) {
        for (int round = 0; round < 150; ++round) {
            QByteArray damaged = source;
            for (int hits = 1 + round % 8; hits > 0; --hits)
                damaged[2 + random() % (damaged.size() - 2)] = char(random());
            EXPECT_EQ(texts.count(errorOf(damaged)), 1u);
        }
    }
}
