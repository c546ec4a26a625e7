#include "update/FileDigest.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>

namespace update {

FileDigest parseSha256(const QString& text)
{
    if (text.isEmpty())
        return {};
    const bool hex = text.size() == 64 && std::all_of(text.begin(), text.end(), [](QChar c) {
                         return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
                     });
    if (!hex)
        return {FileDigest::State::Invalid, {}};
    return {FileDigest::State::Valid, QByteArray::fromHex(text.toLatin1())};
}

QByteArray fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // addData(QIODevice*) reads in blocks, so a large download is not held in memory.
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

bool fileMatches(const QString& path, const FileDigest& digest)
{
    return digest.valid() && fileSha256(path) == digest.bytes;
}

} // namespace update
