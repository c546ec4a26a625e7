#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The SHA-256 that a file section of the control file gives for its file (key "sha256"), and the check of
// a downloaded file against it.
namespace update {

struct FileDigest
{
    enum class State
    {
        Absent,  // the key is missing or empty
        Valid,   // 32 bytes
        Invalid, // given, but not 64 hexadecimal digits
    };
    State state = State::Absent;
    QByteArray bytes;

    bool valid() const { return state == State::Valid; }
};

// 64 hexadecimal digits in either case; anything else given is Invalid, never a shorter or partial digest.
FileDigest parseSha256(const QString& text);

// A SHA-256 computed over data as it arrives, so that a download is checked without reading it again.
class Sha256Stream
{
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;

    void add(const char* data, qint64 size);
    // The digest of everything added; empty when the hashing failed. Starts over afterwards.
    QByteArray result();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
    bool m_failed = false;
};

// The SHA-256 of a file, read in blocks; empty when it cannot be read.
QByteArray fileSha256(const QString& path);

// True only when the digest is valid and the file's bytes have it.
bool fileMatches(const QString& path, const FileDigest& digest);

} // namespace update
