#include "update/FileDigest.h"

#include <QFile>

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

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

// OpenSSL's SHA-256 uses the processor's SHA instructions: checking a large download then costs a small part of
// fetching it, where Qt's portable one took longer than the download itself.
struct Sha256Stream::Context
{
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> md{EVP_MD_CTX_new(), EVP_MD_CTX_free};
};

Sha256Stream::Sha256Stream() : m_context(std::make_unique<Context>())
{
    m_failed = !m_context->md || EVP_DigestInit_ex(m_context->md.get(), EVP_sha256(), nullptr) != 1;
}

Sha256Stream::~Sha256Stream() = default;

void Sha256Stream::add(const char* data, qint64 size)
{
    if (!m_failed && size > 0)
        m_failed = EVP_DigestUpdate(m_context->md.get(), data, size_t(size)) != 1;
}

QByteArray Sha256Stream::result()
{
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int length = 0;
    const bool ok = !m_failed && EVP_DigestFinal_ex(m_context->md.get(),
                                                    reinterpret_cast<unsigned char*>(digest.data()), &length) == 1;
    m_failed = !m_context->md || EVP_DigestInit_ex(m_context->md.get(), EVP_sha256(), nullptr) != 1;
    if (!ok)
        return {};
    digest.resize(int(length));
    return digest;
}

QByteArray fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Sha256Stream hash;
    QByteArray block(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(block.data(), block.size());
        if (n < 0)
            return {};
        if (n == 0)
            break;
        hash.add(block.constData(), n);
    }
    return hash.result();
}

bool fileMatches(const QString& path, const FileDigest& digest)
{
    return digest.valid() && fileSha256(path) == digest.bytes;
}

} // namespace update
