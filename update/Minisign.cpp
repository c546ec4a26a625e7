#include "update/Minisign.h"

#include <QFile>
#include <QList>

#include <sodium.h>

#include <algorithm>
#include <cstring>

namespace update {

namespace {

constexpr QByteArrayView untrustedPrefix = "untrusted comment:";
constexpr QByteArrayView trustedPrefix = "trusted comment: ";
// The minisign tool writes trusted comments of at most about a kilobyte; anything far larger is not a signature.
constexpr qint64 maxSignatureFileSize = 64 * 1024;
constexpr qint64 readBlock = 64 * 1024;

QList<QByteArray> linesOf(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Strict base64 of exactly `size` bytes; anything else is empty.
QByteArray decodeExactly(const QByteArray& line, qsizetype size)
{
    const auto decoded = QByteArray::fromBase64Encoding(line.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != size)
        return {};
    return decoded.decoded;
}

template <std::size_t N> void copyInto(std::array<unsigned char, N>& to, const char* from)
{
    std::memcpy(to.data(), from, N);
}

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

const MinisignKey* findKey(const std::array<unsigned char, 8>& keyId, const QList<MinisignKey>& trusted)
{
    const auto it =
        std::find_if(trusted.begin(), trusted.end(), [&](const MinisignKey& k) { return k.keyId == keyId; });
    return it == trusted.end() ? nullptr : &*it;
}

// The checks that follow parsing: key, signature over the message (the data or its BLAKE2b-512), and the
// global signature that protects the trusted comment.
MinisignResult verifyParsed(const MinisignSignature& sig, const unsigned char* message, unsigned long long size,
                            const MinisignKey& key)
{
    if (crypto_sign_verify_detached(sig.signature.data(), message, size, key.key.data()) != 0)
        return {MinisignStatus::BadSignature, {}};
    QByteArray global(reinterpret_cast<const char*>(sig.signature.data()), sig.signature.size());
    global += sig.trustedComment;
    if (crypto_sign_verify_detached(sig.globalSignature.data(), reinterpret_cast<const unsigned char*>(global.data()),
                                    global.size(), key.key.data()) != 0)
        return {MinisignStatus::BadTrustedComment, {}};
    return {MinisignStatus::Ok, QString::fromUtf8(sig.trustedComment)};
}

// Parses the signature text and finds its key; a result is returned when either fails.
std::optional<MinisignResult> prepare(const QByteArray& signatureText, const QList<MinisignKey>& trusted,
                                      MinisignSignature& sig, const MinisignKey*& key)
{
    if (signatureText.trimmed().isEmpty())
        return MinisignResult{MinisignStatus::NoSignature, {}};
    const auto parsed = parseMinisignSignature(signatureText);
    if (!parsed)
        return MinisignResult{MinisignStatus::Malformed, {}};
    sig = *parsed;
    key = findKey(sig.keyId, trusted);
    if (!key)
        return MinisignResult{MinisignStatus::UnknownKey, {}};
    if (!sodiumReady())
        return MinisignResult{MinisignStatus::BadSignature, {}};
    return std::nullopt;
}

} // namespace

std::optional<MinisignKey> parseMinisignKey(const QByteArray& text)
{
    const QList<QByteArray> lines = linesOf(text.trimmed());
    if (lines.isEmpty() || lines.size() > 2)
        return std::nullopt;
    if (lines.size() == 2 && !lines[0].startsWith(untrustedPrefix))
        return std::nullopt;
    const QByteArray raw = decodeExactly(lines.last(), 2 + 8 + 32);
    if (raw.isEmpty() || !raw.startsWith("Ed"))
        return std::nullopt;
    MinisignKey key;
    copyInto(key.keyId, raw.constData() + 2);
    copyInto(key.key, raw.constData() + 10);
    return key;
}

std::optional<MinisignSignature> parseMinisignSignature(const QByteArray& text)
{
    const QList<QByteArray> lines = linesOf(text);
    if (lines.size() != 4 || !lines[0].startsWith(untrustedPrefix) || !lines[2].startsWith(trustedPrefix))
        return std::nullopt;
    const QByteArray raw = decodeExactly(lines[1], 2 + 8 + 64);
    const QByteArray global = decodeExactly(lines[3], 64);
    if (raw.isEmpty() || global.isEmpty())
        return std::nullopt;
    MinisignSignature sig;
    if (raw.startsWith("ED"))
        sig.prehashed = true;
    else if (!raw.startsWith("Ed"))
        return std::nullopt;
    copyInto(sig.keyId, raw.constData() + 2);
    copyInto(sig.signature, raw.constData() + 10);
    sig.trustedComment = lines[2].mid(trustedPrefix.size());
    copyInto(sig.globalSignature, global.constData());
    return sig;
}

MinisignResult verifyMinisign(const QByteArray& data, const QByteArray& signatureText,
                              const QList<MinisignKey>& trusted)
{
    MinisignSignature sig;
    const MinisignKey* key = nullptr;
    if (auto early = prepare(signatureText, trusted, sig, key))
        return *early;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    if (!sig.prehashed)
        return verifyParsed(sig, bytes, data.size(), *key);
    unsigned char hash[crypto_generichash_BYTES_MAX];
    crypto_generichash(hash, sizeof hash, bytes, data.size(), nullptr, 0);
    return verifyParsed(sig, hash, sizeof hash, *key);
}

MinisignResult verifyMinisignFile(const QString& path, const QList<MinisignKey>& trusted)
{
    QFile sigFile(path + ".minisig");
    if (!sigFile.open(QIODevice::ReadOnly))
        return {MinisignStatus::NoSignature, {}};
    const QByteArray signatureText = sigFile.read(maxSignatureFileSize + 1);
    if (signatureText.size() > maxSignatureFileSize)
        return {MinisignStatus::Malformed, {}};

    MinisignSignature sig;
    const MinisignKey* key = nullptr;
    if (auto early = prepare(signatureText, trusted, sig, key))
        return *early;
    QFile file(path);
    // A file that cannot be read cannot be what was signed.
    if (!file.open(QIODevice::ReadOnly))
        return {MinisignStatus::BadSignature, {}};
    if (!sig.prehashed) {
        // The plain algorithm signs the bytes themselves, so it needs them all at once.
        const QByteArray data = file.readAll();
        return verifyParsed(sig, reinterpret_cast<const unsigned char*>(data.constData()), data.size(), *key);
    }
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES_MAX);
    QByteArray block(readBlock, Qt::Uninitialized);
    qint64 n;
    while ((n = file.read(block.data(), block.size())) > 0)
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(block.constData()), n);
    if (n < 0)
        return {MinisignStatus::BadSignature, {}};
    unsigned char hash[crypto_generichash_BYTES_MAX];
    crypto_generichash_final(&state, hash, sizeof hash);
    return verifyParsed(sig, hash, sizeof hash, *key);
}

QString minisignStatusText(MinisignStatus status)
{
    switch (status) {
    case MinisignStatus::Ok:
        return QStringLiteral("signature verified");
    case MinisignStatus::NoSignature:
        return QStringLiteral("no signature");
    case MinisignStatus::Malformed:
        return QStringLiteral("malformed signature");
    case MinisignStatus::UnknownKey:
        return QStringLiteral("signed by an unknown key");
    case MinisignStatus::BadSignature:
        return QStringLiteral("signature does not match the file");
    case MinisignStatus::BadTrustedComment:
        return QStringLiteral("trusted comment was changed after signing");
    }
    return {};
}

} // namespace update
