#include "update/FileVersion.h"

#include <QFile>

#include <cstring>

namespace update {

namespace {

quint32 readLe32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | quint32(p[3]) << 24;
}

// Kept masked so that this program's own code holds no copy of the signature that a scan of
// its file could mistake for a version block.
volatile quint32 maskedSignature = 0xFEEF04BDu ^ 0x5A5A5A5Au;
constexpr quint32 structVersion = 0x00010000u;
constexpr int blockHead = 16; // signature, structure version, MS, LS

} // namespace

PackedVersion GetFileVersion(const QString& path)
{
    PackedVersion result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const quint32 signature = maskedSignature ^ 0x5A5A5A5Au;

    // Scan in chunks; the last bytes of a chunk are carried over so that a block across the border is found.
    constexpr int chunk = 1 << 20;
    QByteArray buffer;
    QByteArray block(chunk, Qt::Uninitialized);
    qint64 n;
    while ((n = file.read(block.data(), chunk)) > 0) {
        buffer.append(block.constData(), n);
        const auto* p = reinterpret_cast<const unsigned char*>(buffer.constData());
        const int size = buffer.size();
        for (int i = 0; i + blockHead <= size; ++i) {
            if (p[i] != 0xBD || readLe32(p + i) != signature || readLe32(p + i + 4) != structVersion)
                continue;
            result.high = static_cast<qint32>(readLe32(p + i + 8));
            result.low = static_cast<qint32>(readLe32(p + i + 12));
            return result;
        }
        buffer = buffer.right(blockHead - 1);
    }
    return result;
}

} // namespace update
