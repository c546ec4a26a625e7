#include "update/archive/Szdd.h"

#include <QFile>
#include <QFileInfo>

#include <mspack.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
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
constexpr int MaxChain = 16;

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

// libmspack's LZSS decoder hands every output byte to the I/O system on its own. The stdio system
// turns each into an fwrite call, which caps expansion at a few tens of MB/s; this system keeps
// its own large buffers on both sides so a byte costs a copy.
struct BufferedFile
{
    FILE* file = nullptr;
    bool writing = false;
    std::vector<unsigned char> buffer;
    size_t pos = 0; // writing: bytes buffered; reading: next byte to hand out
    size_t end = 0; // reading: bytes in the buffer
    bool failed = false;
};

constexpr size_t IoBufferSize = 1 << 20;

bool flushFile(BufferedFile* f)
{
    if (f->failed)
        return false;
    if (f->writing && f->pos > 0) {
        if (std::fwrite(f->buffer.data(), 1, f->pos, f->file) != f->pos) {
            // A full buffer sends every later byte to the slow path, which reports the failure.
            f->failed = true;
            f->pos = f->buffer.size();
            return false;
        }
        f->pos = 0;
    }
    return true;
}

mspack_file* bufOpen(mspack_system*, const char* name, int mode)
{
    const bool writing = mode == MSPACK_SYS_OPEN_WRITE;
    if (mode != MSPACK_SYS_OPEN_READ && !writing)
        return nullptr;
    FILE* fp = std::fopen(name, writing ? "wb" : "rb");
    if (!fp)
        return nullptr;
    auto* f = new BufferedFile;
    f->file = fp;
    f->writing = writing;
    f->buffer.resize(IoBufferSize);
    return reinterpret_cast<mspack_file*>(f);
}

void bufClose(mspack_file* file)
{
    auto* f = reinterpret_cast<BufferedFile*>(file);
    if (!f)
        return;
    flushFile(f);
    std::fclose(f->file);
    delete f;
}

int bufRead(mspack_file* file, void* buffer, int bytes)
{
    auto* f = reinterpret_cast<BufferedFile*>(file);
    if (!f || bytes < 0)
        return -1;
    auto* out = static_cast<unsigned char*>(buffer);
    int done = 0;
    while (done < bytes) {
        if (f->pos == f->end) {
            f->pos = 0;
            f->end = std::fread(f->buffer.data(), 1, f->buffer.size(), f->file);
            if (f->end == 0)
                return std::ferror(f->file) ? -1 : done;
        }
        const size_t n = std::min(size_t(bytes - done), f->end - f->pos);
        std::memcpy(out + done, f->buffer.data() + f->pos, n);
        f->pos += n;
        done += int(n);
    }
    return done;
}

// Kept out of line so that the one-byte path below needs no register saves.
[[gnu::noinline]] int bufWriteBlock(BufferedFile* f, const unsigned char* in, int bytes)
{
    if (!f || bytes < 0 || f->failed)
        return -1;
    int done = 0;
    while (done < bytes) {
        if (f->pos == f->buffer.size() && !flushFile(f))
            return -1;
        const size_t n = std::min(size_t(bytes - done), f->buffer.size() - f->pos);
        std::memcpy(f->buffer.data() + f->pos, in + done, n);
        f->pos += n;
        done += int(n);
    }
    return done;
}

int bufWrite(mspack_file* file, void* buffer, int bytes)
{
    auto* f = reinterpret_cast<BufferedFile*>(file);
    const auto* in = static_cast<const unsigned char*>(buffer);
    if (bytes == 1 && f && f->pos < f->buffer.size()) {
        f->buffer[f->pos++] = *in;
        return 1;
    }
    return bufWriteBlock(f, in, bytes);
}

int bufSeek(mspack_file* file, off_t offset, int mode)
{
    auto* f = reinterpret_cast<BufferedFile*>(file);
    if (!f || !flushFile(f))
        return -1;
    int whence = SEEK_SET;
    if (mode == MSPACK_SYS_SEEK_CUR) {
        whence = SEEK_CUR;
        if (!f->writing)
            offset -= off_t(f->end - f->pos); // the stream stands at the end of the buffered data
    } else if (mode == MSPACK_SYS_SEEK_END) {
        whence = SEEK_END;
    }
    f->pos = f->end = 0;
    return fseeko(f->file, offset, whence) == 0 ? 0 : -1;
}

off_t bufTell(mspack_file* file)
{
    auto* f = reinterpret_cast<BufferedFile*>(file);
    if (!f)
        return -1;
    const off_t at = ftello(f->file);
    if (at < 0)
        return -1;
    return f->writing ? at + off_t(f->pos) : at - off_t(f->end - f->pos);
}

void bufMessage(mspack_file*, const char*, ...) {}

void* bufAlloc(mspack_system*, size_t bytes)
{
    return std::malloc(bytes);
}

void bufFree(void* p)
{
    std::free(p);
}

void bufCopy(void* src, void* dst, size_t bytes)
{
    std::memmove(dst, src, bytes);
}

mspack_system bufferedSystem = {bufOpen,    bufClose, bufRead, bufWrite, bufSeek, bufTell,
                                bufMessage, bufAlloc, bufFree, bufCopy,  nullptr};

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

QString expandedSzddName(const QString& path, const QString& asName)
{
    QByteArray header;
    if (!readHeader(path, &header))
        return {};
    const char stored = header.at(9);
    QString name = asName.isNull() ? path : asName;
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
    msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(&bufferedSystem);
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
