#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// Detached signatures in the format of the minisign tool (Ed25519). The text formats are read here; the
// curve arithmetic and hashing are libsodium's.
//
// Public key: an optional "untrusted comment:" line, then base64 of "Ed" + 8-byte key id + 32-byte key.
// Signature (.minisig): "untrusted comment: ...", base64 of algorithm ("Ed" signs the bytes, "ED" signs
// their BLAKE2b-512) + key id + 64-byte signature, "trusted comment: ...", and base64 of a 64-byte
// signature over the first signature followed by the trusted comment.
namespace update {

struct MinisignKey
{
    std::array<unsigned char, 8> keyId{};
    std::array<unsigned char, 32> key{};
};

struct MinisignSignature
{
    bool prehashed = false;
    std::array<unsigned char, 8> keyId{};
    std::array<unsigned char, 64> signature{};
    QByteArray trustedComment; // the text after "trusted comment: ", as signed
    std::array<unsigned char, 64> globalSignature{};
};

enum class MinisignStatus
{
    Ok,
    NoSignature,       // no signature file, or an empty one
    Malformed,         // lines missing, not base64, wrong lengths or an unknown algorithm
    UnknownKey,        // signed by a key that is not trusted
    BadSignature,      // the data is not what the key signed
    BadTrustedComment, // the trusted comment was changed after signing
};

struct MinisignResult
{
    MinisignStatus status = MinisignStatus::NoSignature;
    QString trustedComment; // only set when status is Ok
    bool ok() const { return status == MinisignStatus::Ok; }
};

// A public key: the base64 line alone, or the key file's two lines.
std::optional<MinisignKey> parseMinisignKey(const QByteArray& text);
std::optional<MinisignSignature> parseMinisignSignature(const QByteArray& text);

// Checks data against a signature text and the trusted keys.
MinisignResult verifyMinisign(const QByteArray& data, const QByteArray& signatureText,
                              const QList<MinisignKey>& trusted);

// Checks a file on disk against "<path>.minisig" beside it; prehashed signatures are checked while the file
// is read in blocks, so large files are not held in memory.
MinisignResult verifyMinisignFile(const QString& path, const QList<MinisignKey>& trusted);

// A short English text for the log and for messages.
QString minisignStatusText(MinisignStatus status);

} // namespace update
