#include "update/archive/Szdd.h"

#include <QFile>
#include <QFileInfo>

#include <mspack.h>

#include <array>
#include <cstring>
#include <vector>

namespace archive {
namespace {

constexpr char Signature[8] = {'S', 'Z', 'D', 'D', '\x88', '\xF0', '\x27', '\x33'};
constexpr int HeaderSize = 14;
constexpr int WindowSize = 4096;
constexpr int WindowMask = WindowSize - 1;
// The decoder starts writing at this window position; the window before it holds spaces.
constexpr int WindowStart = WindowSize - 16;
constexpr int MinMatch = 3;
constexpr int MaxMatch = 18;
// A distance of a whole window would read the byte being replaced; stay one short of it.
constexpr int MaxDistance = WindowSize - 1;
constexpr int HashBits = 14;
constexpr int MaxChain = 48;

QString mspackErrorText(int code)
{
    switch (code) {
    case MSPACK_ERR_OPEN:
        return QStringLiteral("cannot open file");
    case MSPACK_ERR_READ:
        return QStringLiteral("read error or truncated data");
    case MSPACK_ERR_WRITE:
        return QStringLiteral("write error");
    case MSPACK_ERR_SEEK:
        return QStringLiteral("seek error");
    case MSPACK_ERR_NOMEMORY:
        return QStringLiteral("out of memory");
    case MSPACK_ERR_SIGNATURE:
        return QStringLiteral("bad signature");
    case MSPACK_ERR_DATAFORMAT:
        return QStringLiteral("bad data format");
    default:
        return QStringLiteral("error %1").arg(code);
    }
}

bool readHeader(const QString& path, QByteArray* header)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *header = file.read(HeaderSize);
    return header->size() == HeaderSize && std::memcmp(header->constData(), Signature, sizeof Signature) == 0 &&
           header->at(8) == 'A';
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

inline unsigned hash3(const unsigned char* p)
{
    return ((p[0] << 10) ^ (p[1] << 5) ^ p[2]) & ((1u << HashBits) - 1);
}

} // namespace

bool isSzdd(const QString& path)
{
    QByteArray header;
    return readHeader(path, &header);
}

QString expandedSzddName(const QString& path)
{
    QByteArray header;
    if (!readHeader(path, &header))
        return {};
    const char stored = header.at(9);
    QString name = path;
    if (stored != '\0' && name.endsWith(QLatin1Char('_')))
        name[name.size() - 1] = QLatin1Char(stored);
    return name;
}

bool expandSzdd(const QString& src, const QString& dst, QString* error)
{
    if (!isSzdd(src)) {
        setError(error, QStringLiteral("%1 is not an SZDD file").arg(src));
        return false;
    }
    if (QFileInfo(src).absoluteFilePath() == QFileInfo(dst).absoluteFilePath()) {
        setError(error, QStringLiteral("cannot expand %1 onto itself").arg(src));
        return false;
    }
    msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(nullptr);
    if (!decompressor) {
        setError(error, QStringLiteral("cannot create the SZDD decompressor"));
        return false;
    }
    const QByteArray in = QFile::encodeName(src);
    const QByteArray out = QFile::encodeName(dst);
    const int rc = decompressor->decompress(decompressor, in.constData(), out.constData());
    mspack_destroy_szdd_decompressor(decompressor);
    if (rc != MSPACK_ERR_OK) {
        QFile::remove(dst);
        setError(error, QStringLiteral("cannot expand %1: %2").arg(src, mspackErrorText(rc)));
        return false;
    }
    // libmspack decodes until the input ends and does not compare with the header's length, so a cut
    // file would pass as a good one.
    QByteArray header;
    readHeader(src, &header);
    const auto* h = reinterpret_cast<const uchar*>(header.constData()) + 10;
    const qint64 expected = qint64(h[0]) | qint64(h[1]) << 8 | qint64(h[2]) << 16 | qint64(h[3]) << 24;
    if (QFileInfo(dst).size() != expected) {
        QFile::remove(dst);
        setError(error, QStringLiteral("cannot expand %1: truncated data").arg(src));
        return false;
    }
    return true;
}

QByteArray compressSzdd(const QByteArray& data, char lastChar)
{
    // The input is matched as if 4096 spaces preceded it, which is what the decoder's window holds
    // at the start; runs of blanks at the beginning then compress too.
    const int n = data.size();
    std::vector<unsigned char> buf(WindowSize + n);
    std::memset(buf.data(), ' ', WindowSize);
    std::memcpy(buf.data() + WindowSize, data.constData(), n);
    const int end = WindowSize + n;

    std::vector<int> head(1u << HashBits, -1);
    std::vector<int> prev(WindowSize, -1);
    auto insert = [&](int v) {
        if (v + MinMatch > end)
            return;
        const unsigned h = hash3(&buf[v]);
        prev[v & WindowMask] = head[h];
        head[h] = v;
    };
    for (int v = WindowSize - MaxDistance; v < WindowSize; ++v)
        insert(v);

    QByteArray out;
    out.reserve(HeaderSize + n + n / 8 + 16);
    out.append(Signature, sizeof Signature);
    out.append('A');
    out.append(lastChar);
    const quint32 length = quint32(n);
    for (int i = 0; i < 4; ++i)
        out.append(char((length >> (8 * i)) & 0xFF));

    int controlAt = -1;
    int bit = 8;
    auto startItem = [&](bool literal) {
        if (bit == 8) {
            controlAt = out.size();
            out.append('\0');
            bit = 0;
        }
        if (literal)
            out[controlAt] = char(uchar(out[controlAt]) | (1u << bit));
        ++bit;
    };

    int v = WindowSize;
    while (v < end) {
        int bestLength = 0;
        int bestSource = 0;
        if (v + MinMatch <= end) {
            const int limit = std::min(MaxMatch, end - v);
            int candidate = head[hash3(&buf[v])];
            for (int chain = 0; candidate >= 0 && chain < MaxChain; ++chain) {
                if (v - candidate > MaxDistance)
                    break;
                int len = 0;
                while (len < limit && buf[candidate + len] == buf[v + len])
                    ++len;
                if (len > bestLength) {
                    bestLength = len;
                    bestSource = candidate;
                    if (len == limit)
                        break;
                }
                const int next = prev[candidate & WindowMask];
                if (next >= candidate)
                    break; // slot reused by a newer position: the chain has left the window
                candidate = next;
            }
        }
        if (bestLength >= MinMatch) {
            startItem(false);
            const int position = (bestSource - 16) & WindowMask;
            out.append(char(position & 0xFF));
            out.append(char(((position >> 4) & 0xF0) | (bestLength - MinMatch)));
            for (int k = 0; k < bestLength; ++k)
                insert(v + k);
            v += bestLength;
        } else {
            startItem(true);
            out.append(char(buf[v]));
            insert(v);
            ++v;
        }
    }
    static_assert(WindowStart == WindowSize - 16, "window start and source offset must agree");
    return out;
}

} // namespace archive
