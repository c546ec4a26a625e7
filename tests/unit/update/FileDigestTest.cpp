#include "update/FileDigest.h"

#include "UpdateFixture.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

using State = update::FileDigest::State;

namespace {
const QString abcDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"; // SHA-256 of "abc"
}

TEST(FileDigest, OnlySixtyFourHexDigitsMakeADigest)
{
    const update::FileDigest lower = update::parseSha256(abcDigest);
    ASSERT_EQ(lower.state, State::Valid);
    EXPECT_EQ(lower.bytes.toHex(), abcDigest.toLatin1());
    EXPECT_EQ(update::parseSha256(abcDigest.toUpper()).bytes, lower.bytes);
    EXPECT_EQ(update::parseSha256("BA7816bf" + abcDigest.mid(8)).bytes, lower.bytes);

    EXPECT_EQ(update::parseSha256("").state, State::Absent);
    for (const QString& bad :
         {abcDigest.left(63), abcDigest + "0", abcDigest.left(62) + "g0", "0x" + abcDigest.left(62),
          abcDigest.left(32) + " " + abcDigest.mid(33), abcDigest.left(32)})
        EXPECT_EQ(update::parseSha256(bad).state, State::Invalid) << bad.toStdString();
}

TEST_F(UpdateFixture, FileSectionsCarryTheirSha256)
{
    verdictFor(("[files]\ncount=4\n[file1]\nurl=a\nsha256=" + abcDigest.toUpper() + "\n[file2]\nurl=b\n" +
                "[file3]\nurl=c\nsha256=" + abcDigest.left(40) + "\n[file4]\nurl=d\nsha256=\"" + abcDigest + "\"\n")
                   .toUtf8());
    ASSERT_EQ(upd.LoadFileList(), 4);
    EXPECT_EQ(upd.FileList.item(0).Sha256.bytes.toHex(), abcDigest.toLatin1());
    EXPECT_EQ(upd.FileList.item(1).Sha256.state, State::Absent);
    EXPECT_EQ(upd.FileList.item(2).Sha256.state, State::Invalid);
    EXPECT_EQ(upd.FileList.item(3).Sha256.state, State::Valid); // quotes are removed as for every value
}

TEST_F(UpdateFixture, DownloadedFilesAreCheckedAgainstTheirDigest)
{
    const update::FileDigest abc = update::parseSha256(abcDigest);
    writeFile(tmp + "abc", "abc");
    EXPECT_TRUE(update::fileMatches(tmp + "abc", abc));
    writeFile(tmp + "abd", "abd");
    EXPECT_FALSE(update::fileMatches(tmp + "abd", abc));
    EXPECT_FALSE(update::fileMatches(tmp + "missing", abc));
    EXPECT_FALSE(update::fileMatches(tmp + "abc", update::parseSha256("")));                // no digest given
    EXPECT_FALSE(update::fileMatches(tmp + "abc", update::parseSha256(abcDigest.left(8)))); // a broken one
    writeFile(tmp + "empty", "");
    EXPECT_TRUE(update::fileMatches(
        tmp + "empty", update::parseSha256("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855")));

    // A file of several read blocks, whose last byte differs in the copy.
    QByteArray big(5 * 1024 * 1024 + 3, 'v');
    writeFile(tmp + "big", big);
    const QByteArray digest = QCryptographicHash::hash(big, QCryptographicHash::Sha256);
    EXPECT_EQ(update::fileSha256(tmp + "big"), digest);
    big[big.size() - 1] = 'w';
    writeFile(tmp + "big", big);
    EXPECT_FALSE(update::fileMatches(tmp + "big", update::parseSha256(digest.toHex())));
}
