#include "update/ReleaseGuard.h"

#include "update/Minisign.h"

#include "MinisignTool.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using update::ProgramVersionVerdict;
using Verdict = update::ReleaseGuard::Verdict;

namespace {
QDateTime utc(const QString& text)
{
    return QDateTime::fromString(text, Qt::ISODate);
}
} // namespace

TEST(ReleaseGuard, ReadsOnlyUnambiguousReleaseComments)
{
    const auto stamp = update::parseReleaseComment("velkorn-release time=2026-12-09T10:00:00Z file=velkorn.INF");
    ASSERT_TRUE(stamp.has_value());
    EXPECT_EQ(stamp->time, utc("2026-12-09T10:00:00Z"));
    EXPECT_EQ(stamp->fileName, "velkorn.INF");
    EXPECT_EQ(update::releaseComment(stamp->time, stamp->fileName),
              "velkorn-release time=2026-12-09T10:00:00Z file=velkorn.INF");
    // Keys in another order, and keys a later publisher adds, read the same.
    EXPECT_TRUE(update::parseReleaseComment("velkorn-release channel=beta file=a.INF time=2026-01-01T00:00:00Z"));

    for (const char* bad : {
             "timestamp:1796811391\tfile:velkorn.INF\thashed", // the minisign tool's default comment
             "velkorn-release file=velkorn.INF",
             "velkorn-release time=2026-12-09T10:00:00Z",
             "velkorn-release time=2026-12-09T10:00:00Z file=",
             "velkorn-release time=2026-12-09T10:00:00 file=velkorn.INF",       // local time: whose?
             "velkorn-release time=2026-12-09T10:00:00+02:00 file=velkorn.INF", // only UTC is written
             "velkorn-release time=2026-13-09T10:00:00Z file=velkorn.INF",
             "velkorn-release time=2020-01-01T00:00:00Z time=2030-01-01T00:00:00Z file=velkorn.INF",
             "velkorn-release time=2026-12-09T10:00:00Z file=a.INF file=velkorn.INF",
             "velkorn-release time=2026-12-09T10:00:00Z file=velkorn.INF stray",
             "Velkorn-Release time=2026-12-09T10:00:00Z file=velkorn.INF",
             "",
         })
        EXPECT_FALSE(update::parseReleaseComment(bad).has_value()) << bad;
}

TEST(ReleaseGuard, RefusesOlderReleasesAndOtherFilesAcrossRuns)
{
    QTemporaryDir dir;
    const QString state = dir.filePath("update-state.ini");
    const auto comment = [](const char* time, const char* file = "velkorn.INF") {
        return update::releaseComment(utc(time), file);
    };
    {
        update::ReleaseGuard guard(state);
        EXPECT_FALSE(guard.newestAccepted().isValid());
        EXPECT_EQ(guard.admit(comment("2026-06-01T00:00:00Z"), "velkorn.INF"), Verdict::Accepted);
        EXPECT_EQ(guard.admit(comment("2026-12-09T10:00:00Z"), "velkorn.INF"), Verdict::Accepted);
        EXPECT_EQ(guard.admit(comment("2026-12-09T10:00:00Z"), "velkorn.INF"), Verdict::Accepted); // fetched again
    }
    // A new program run reads the stored time.
    update::ReleaseGuard guard(state);
    EXPECT_EQ(guard.newestAccepted(), utc("2026-12-09T10:00:00Z"));
    EXPECT_EQ(guard.admit(comment("2026-12-09T09:59:59Z"), "velkorn.INF"), Verdict::Older);
    EXPECT_EQ(guard.admit(comment("2027-01-01T00:00:00Z", "velkorn-beta.INF"), "velkorn.INF"), Verdict::WrongFile);
    EXPECT_EQ(guard.admit(comment("2027-01-01T00:00:00Z", "VELKORN.INF"), "velkorn.INF"), Verdict::WrongFile);
    EXPECT_EQ(guard.admit("not a release", "velkorn.INF"), Verdict::Malformed);
    EXPECT_EQ(guard.newestAccepted(), utc("2026-12-09T10:00:00Z")); // refusals leave the record alone

    // A state file that cannot be written is said so, since replays could no longer be caught.
    QFile(dir.filePath("plain")).open(QIODevice::WriteOnly);
    update::ReleaseGuard unwritable(dir.filePath("plain/update-state.ini"));
    EXPECT_EQ(unwritable.admit(comment("2026-06-01T00:00:00Z"), "velkorn.INF"), Verdict::Unsaved);
}

// The road an update takes: the control file verified with its signature, then its signed comment admitted.
// A genuine older control file with its genuine signature, replayed later, gets past the signature but not
// the guard.
TEST(ReleaseGuard, AReplayedSignedControlFileIsRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(MinisignTool::generate(dir.filePath("k")));
    const QList<update::MinisignKey> keys{*update::parseMinisignKey(readFile(dir.filePath("k.pub")))};
    const QString inf = dir.filePath("velkorn.INF");
    const auto publish = [&](const char* time, const QByteArray& bytes) {
        writeFile(inf, bytes);
        EXPECT_TRUE(MinisignTool::sign(dir.filePath("k.key"), inf, update::releaseComment(utc(time), "velkorn.INF")));
        return std::make_pair(bytes, readFile(inf + ".minisig"));
    };
    const auto old = publish("2026-01-01T00:00:00Z", "[update]\nnewversion=1.0\n");
    const auto current = publish("2026-12-09T10:00:00Z", "[update]\nnewversion=2.0\n");

    update::ReleaseGuard guard(dir.filePath("state.ini"));
    const auto admitted = [&](const std::pair<QByteArray, QByteArray>& served) {
        const auto result = update::verifyMinisign(served.first, served.second, keys);
        return result.ok() ? guard.admit(result.trustedComment, "velkorn.INF") : Verdict::Malformed;
    };
    EXPECT_EQ(admitted(current), Verdict::Accepted);
    EXPECT_EQ(admitted(old), Verdict::Older);
}

TEST(ReleaseGuard, NeverInstallsALowerProgramVersion)
{
    const auto verdict = [](const char* offered, const char* running) {
        return update::checkProgramVersion(update::ParseVersion(offered), update::ParseVersion(running));
    };
    EXPECT_EQ(verdict("1.2.0.0", "1.3"), ProgramVersionVerdict::Lower);
    EXPECT_EQ(verdict("1.3.0.4", "1.3.0.5"), ProgramVersionVerdict::Lower);
    EXPECT_EQ(verdict("1.3", "1.3.0.0"), ProgramVersionVerdict::Allowed);
    EXPECT_EQ(verdict("1.10", "1.9"), ProgramVersionVerdict::Allowed); // numbers, not text
    // Parts above 32767 fill the sign bit of the packed halves; they still compare as the larger.
    EXPECT_EQ(verdict("40000.0", "1.0"), ProgramVersionVerdict::Allowed);
    EXPECT_EQ(verdict("1.0", "40000.0"), ProgramVersionVerdict::Lower);
    EXPECT_EQ(verdict("1.0.40000", "1.0.2"), ProgramVersionVerdict::Allowed);
    EXPECT_EQ(verdict("2.1.3.4.5", "1.0"), ProgramVersionVerdict::Unknown);
    EXPECT_EQ(verdict("", "1.0"), ProgramVersionVerdict::Unknown);

    const update::PackedVersion running = update::runningProgramVersion();
    EXPECT_EQ(update::checkProgramVersion(update::ParseVersion(VELKORN_TEST_VERSION), running),
              ProgramVersionVerdict::Allowed);
    EXPECT_EQ(update::checkProgramVersion(update::ParseVersion("0.0.0.1"), running), ProgramVersionVerdict::Lower);
}
