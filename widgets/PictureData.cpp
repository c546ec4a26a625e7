#include "widgets/PictureData.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cstring>

namespace widgets {

namespace {

using namespace picture_errors;

// Larger pictures are refused before decoding: nothing in the catalog comes near, and a forged header must not make
// us allocate gigabytes.
constexpr qint64 kMaxPixels = 64LL * 1024 * 1024;
constexpr int kMaxSide = 32767;

quint32 le32(const uchar* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const uchar* p)
{
    return quint16(p[0] | p[1] << 8);
}

quint16 be16(const uchar* p)
{
    return quint16(p[0] << 8 | p[1]);
}

void checkDimensions(qint64 width, qint64 height)
{
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        throw PictureLoadError(kNoMemory);
}

bool isJpeg(const QByteArray& bytes)
{
    return bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8;
}

bool isBmp(const QByteArray& bytes)
{
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// Walks the marker segments and the entropy-coded data up to the end-of-image marker. libjpeg only warns about a
// file that ends early and fills the rest with grey; a missing end marker is treated as a broken file here.
void checkJpegStructure(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype pos = 2;
    bool sawFrame = false;
    while (true) {
        if (pos >= size)
            throw PictureLoadError(kNotLoaded);
        if (data[pos] != 0xFF)
            throw PictureLoadError(kNotLoaded);
        while (pos < size && data[pos] == 0xFF)
            ++pos;
        if (pos >= size)
            throw PictureLoadError(kNotLoaded);
        const uchar marker = data[pos++];
        if (marker == 0xD9)
            throw PictureLoadError(kNotLoaded); // end of image before any scan
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD8 || marker == 0x00)
            throw PictureLoadError(kNotLoaded);
        if (pos + 2 > size)
            throw PictureLoadError(kNotLoaded);
        const qsizetype length = be16(data + pos);
        if (length < 2 || pos + length > size)
            throw PictureLoadError(kNotLoaded);
        const bool isFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isFrame) {
            if (length < 7)
                throw PictureLoadError(kNotLoaded);
            const int height = be16(data + pos + 3);
            const int width = be16(data + pos + 5);
            if (width == 0)
                throw PictureLoadError(kNotLoaded);
            checkDimensions(width, height);
            sawFrame = true;
        }
        pos += length;
        if (marker != 0xDA)
            continue;
        if (!sawFrame)
            throw PictureLoadError(kNotLoaded);
        // Entropy-coded data: 0xFF is followed by 0x00 (stuffing) or a restart marker, else a real marker.
        while (true) {
            const void* hit = std::memchr(data + pos, 0xFF, size_t(size - pos));
            if (!hit)
                throw PictureLoadError(kNotLoaded);
            pos = static_cast<const uchar*>(hit) - data;
            qsizetype next = pos + 1;
            while (next < size && data[next] == 0xFF)
                ++next;
            if (next >= size)
                throw PictureLoadError(kNotLoaded);
            const uchar after = data[next];
            if (after == 0x00 || (after >= 0xD0 && after <= 0xD7)) {
                pos = next + 1;
                continue;
            }
            if (after == 0xD9)
                return;
            pos = next - 1; // another segment (progressive scans, tables): back to the marker walk
            break;
        }
    }
}

// Checks the file and information headers and that the pixel rows are all there.
void checkBmpStructure(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    if (size < 14 + 12)
        throw PictureLoadError(kInvalidFormat);
    const qint64 pixelOffset = le32(data + 10);
    const quint32 headerSize = le32(data + 14);
    qint64 width = 0;
    qint64 height = 0;
    int planes = 0;
    int bitCount = 0;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = le16(data + 18);
        height = le16(data + 20);
        planes = le16(data + 22);
        bitCount = le16(data + 24);
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 64 || headerSize == 108 ||
               headerSize == 124) {
        if (size < 14 + 40)
            throw PictureLoadError(kInvalidFormat);
        width = qint32(le32(data + 18));
        height = qint32(le32(data + 22));
        planes = le16(data + 26);
        bitCount = le16(data + 28);
        compression = le32(data + 30);
    } else {
        throw PictureLoadError(kInvalidFormat);
    }
    if (14 + qint64(headerSize) > size || planes != 1 || width <= 0 || height == 0)
        throw PictureLoadError(kInvalidFormat);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        throw PictureLoadError(kInvalidFormat);
    const bool knownCompression = compression == 0 || (compression == 1 && bitCount == 8) ||
                                  (compression == 2 && bitCount == 4) ||
                                  (compression == 3 && (bitCount == 16 || bitCount == 32));
    if (!knownCompression)
        throw PictureLoadError(kInvalidFormat);
    if (pixelOffset < 14 + qint64(headerSize) || pixelOffset > size)
        throw PictureLoadError(kInvalidFormat);
    height = height < 0 ? -height : height;
    checkDimensions(width, height);
    if (compression == 0 || compression == 3) {
        const qint64 rowBytes = (width * bitCount + 31) / 32 * 4;
        if (pixelOffset + rowBytes * height > size)
            throw PictureLoadError(kNotLoaded);
    }
}

} // namespace

QImage decodePicture(const QByteArray& fileBytes)
{
    if (fileBytes.isEmpty())
        throw PictureLoadError(kEmptyStream);
    QByteArray format;
    if (isJpeg(fileBytes)) {
        checkJpegStructure(fileBytes);
        format = "jpeg";
    } else if (isBmp(fileBytes)) {
        checkBmpStructure(fileBytes);
        format = "bmp";
    } else {
        throw PictureLoadError(kInvalidFormat);
    }

    QByteArray copy = fileBytes; // shares the data; QBuffer wants a non-const array
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        throw PictureLoadError(kNoStream);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        switch (reader.error()) {
        case QImageReader::UnsupportedFormatError:
            throw PictureLoadError(kInvalidFormat);
        default:
            throw PictureLoadError(kNotLoaded);
        }
    }
    return image;
}

QByteArray readResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PictureLoadError(kNoStream);
    return file.readAll();
}

} // namespace widgets
