#include "update/Minisign.h"

#include "MinisignTool.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using update::MinisignStatus;

namespace {

// Two fresh key pairs made by the minisign tool: "trusted" is the one the program knows, "other" a stranger's.
class MinisignTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(MinisignTool::generate(path("trusted")));
        ASSERT_TRUE(MinisignTool::generate(path("other")));
        const auto key = update::parseMinisignKey(readFile(path("trusted.pub")));
        ASSERT_TRUE(key.has_value());
        trusted = {*key};
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Writes a file and signs it with the given key; answers the signature text.
    QByteArray signedFile(const QString& name, const QByteArray& bytes, const QString& comment = "release 1",
                          const QString& key = "trusted", bool legacy = false)
    {
        writeFile(path(name), bytes);
        EXPECT_TRUE(MinisignTool::sign(path(key + ".key"), path(name), comment, legacy));
        return readFile(path(name + ".minisig"));
    }

    MinisignStatus statusOf(const QByteArray& data, const QByteArray& signature) const
    {
        return update::verifyMinisign(data, signature, trusted).status;
    }

    QTemporaryDir dir;
    QList<update::MinisignKey> trusted;
};

// Replaces line `index` of a signature text.
QByteArray withLine(const QByteArray& text, int index, const QByteArray& line)
{
    QList<QByteArray> lines = text.split('\n');
    lines[index] = line;
    return lines.join('\n');
}

} // namespace

TEST_F(MinisignTest, SignaturesOfTheToolVerifyInBothAlgorithms)
{
    const QByteArray data = "[update]\nnewversion=2.0\n";
    const QByteArray hashed = signedFile("velkorn.INF", data, "velkorn-release time=2026-12-09T10:00:00Z");
    const auto result = update::verifyMinisign(data, hashed, trusted);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.trustedComment, "velkorn-release time=2026-12-09T10:00:00Z");
    EXPECT_EQ(update::verifyMinisignFile(path("velkorn.INF"), trusted).trustedComment, result.trustedComment);

    const QByteArray legacy = signedFile("legacy.bin", data, "old style", "trusted", true);
    EXPECT_TRUE(update::parseMinisignSignature(hashed)->prehashed);
    EXPECT_FALSE(update::parseMinisignSignature(legacy)->prehashed);
    EXPECT_EQ(statusOf(data, legacy), MinisignStatus::Ok);
    EXPECT_EQ(update::verifyMinisignFile(path("legacy.bin"), trusted).status, MinisignStatus::Ok);

    // A file larger than one read block, hashed while it is read.
    QByteArray big(300 * 1024, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    signedFile("big.bin", big);
    EXPECT_EQ(update::verifyMinisignFile(path("big.bin"), trusted).status, MinisignStatus::Ok);

    // The key reads the same from its file and from the bare base64 line; a CRLF file reads too.
    const QByteArray keyFile = readFile(path("trusted.pub"));
    const auto bare = update::parseMinisignKey(keyFile.split('\n')[1]);
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(bare->key, trusted[0].key);
    EXPECT_EQ(bare->keyId, trusted[0].keyId);
    QByteArray crlf = hashed;
    crlf.replace("\n", "\r\n");
    EXPECT_EQ(statusOf(data, crlf), MinisignStatus::Ok);
}

TEST_F(MinisignTest, ChangedDataAndSignaturesOfOtherFilesAreRefused)
{
    const QByteArray data = "count=1\n";
    const QByteArray sig = signedFile("velkorn.INF", data);
    EXPECT_EQ(statusOf("count=2\n", sig), MinisignStatus::BadSignature);
    writeFile(path("velkorn.INF"), "count=2\n");
    EXPECT_EQ(update::verifyMinisignFile(path("velkorn.INF"), trusted).status, MinisignStatus::BadSignature);

    // A genuine signature of another file, placed beside this one.
    signedFile("notes.txt", "release notes");
    writeFile(path("velkorn.INF"), data);
    writeFile(path("velkorn.INF.minisig"), readFile(path("notes.txt.minisig")));
    EXPECT_EQ(update::verifyMinisignFile(path("velkorn.INF"), trusted).status, MinisignStatus::BadSignature);

    const QByteArray legacy = signedFile("legacy.bin", data, "c", "trusted", true);
    EXPECT_EQ(statusOf(data + ' ', legacy), MinisignStatus::BadSignature);
}

TEST_F(MinisignTest, OnlyTrustedKeysAreAccepted)
{
    const QByteArray data = "payload";
    const QByteArray sig = signedFile("f.bin", data, "c", "other");
    EXPECT_EQ(statusOf(data, sig), MinisignStatus::UnknownKey);
    EXPECT_EQ(update::verifyMinisign(data, sig, {}).status, MinisignStatus::UnknownKey);

    // The stranger's signature relabelled with the trusted key id still fails on the signature itself.
    const QByteArray ours = QByteArray::fromBase64(signedFile("g.bin", data).split('\n')[1]);
    QByteArray theirs = QByteArray::fromBase64(sig.split('\n')[1]);
    theirs.replace(2, 8, ours.mid(2, 8));
    EXPECT_EQ(statusOf(data, withLine(sig, 1, theirs.toBase64())), MinisignStatus::BadSignature);

    const auto other = update::parseMinisignKey(readFile(path("other.pub")));
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(update::verifyMinisign(data, sig, {trusted[0], *other}).status, MinisignStatus::Ok);
}

TEST_F(MinisignTest, TheTrustedCommentCannotBeChangedButTheUntrustedOneCan)
{
    const QByteArray data = "payload";
    const QByteArray sig = signedFile("f.bin", data, "velkorn-release time=2026-12-09T10:00:00Z");
    EXPECT_EQ(statusOf(data, withLine(sig, 2, "trusted comment: velkorn-release time=2027-01-01T00:00:00Z")),
              MinisignStatus::BadTrustedComment);
    EXPECT_EQ(statusOf(data, withLine(sig, 2, "trusted comment:velkorn-release time=2026-12-09T10:00:00Z")),
              MinisignStatus::Malformed);
    EXPECT_EQ(statusOf(data, withLine(sig, 0, "untrusted comment: anything at all")), MinisignStatus::Ok);
}

TEST_F(MinisignTest, MissingAndMalformedSignaturesAreReportedWithoutCrashing)
{
    const QByteArray data = "payload";
    const QByteArray sig = signedFile("f.bin", data);
    EXPECT_EQ(statusOf(data, ""), MinisignStatus::NoSignature);
    EXPECT_EQ(statusOf(data, "\n\r\n"), MinisignStatus::NoSignature);
    writeFile(path("unsigned.bin"), data);
    EXPECT_EQ(update::verifyMinisignFile(path("unsigned.bin"), trusted).status, MinisignStatus::NoSignature);

    const QList<QByteArray> lines = sig.split('\n');
    QByteArray otherAlgorithm = QByteArray::fromBase64(lines[1]);
    otherAlgorithm[1] = 'x';
    const QList<QByteArray> broken = {
        lines.mid(0, 3).join('\n'),                           // global signature missing
        sig + "extra line\n",                                 // a fifth line
        withLine(sig, 1, lines[1].left(40)),                  // short signature
        withLine(sig, 1, lines[1] + "AAAA"),                  // long signature
        withLine(sig, 1, "!!!!" + lines[1].mid(4)),           // not base64
        withLine(sig, 3, lines[3].left(lines[3].size() - 8)), // short global signature
        withLine(sig, 1, otherAlgorithm.toBase64()),          // unknown algorithm
        withLine(sig, 0, "a comment without its label"),      // first line not a comment
        QByteArray(70000, 'A'),                               // one enormous line
        QByteArray("\xff\xfe\0\x01garbage", 12),              // binary noise
    };
    for (const QByteArray& text : broken)
        EXPECT_EQ(statusOf(data, text), MinisignStatus::Malformed) << text.left(200).toStdString();

    writeFile(path("f.bin.minisig"), QByteArray(70000, 'A'));
    EXPECT_EQ(update::verifyMinisignFile(path("f.bin"), trusted).status, MinisignStatus::Malformed);

    for (const QByteArray& key : {QByteArray(), QByteArray("RWQ"), QByteArray("untrusted comment: x\n"),
                                  QByteArray("x\nRWTZ\n"), readFile(path("trusted.pub")) + "third line\n", lines[1]})
        EXPECT_FALSE(update::parseMinisignKey(key).has_value()) << key.toStdString();
}
