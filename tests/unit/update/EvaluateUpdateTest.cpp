#include "UpdateFixture.h"

#include <QFile>

using update::ControlFile;
using update::vcUpdateOnly;
using update::verdictByChecksum;
using update::verdictByCustomValidation;
using update::verdictByDate;
using update::verdictBySize;
using update::verdictByVersion;
using update::verdictNoUpdate;
using update::verdictUnconditional;

namespace {
const QDateTime releaseStamp(QDate(2008, 3, 5), QTime(12, 30));
}

TEST_F(UpdateFixture, DateDecidesFirstAndLocalStampWinsTies)
{
    writeFile(app + "velkorn", "program");
    const QByteArray inf = "[update]\ndate=05/03/2008\ntime=12:30\nlocalversion={APP}\\velkorn\nunconditional=1\n";

    setModified(app + "velkorn", releaseStamp.addDays(-1));
    EXPECT_EQ(verdictFor(inf), verdictByDate);
    EXPECT_EQ(upd.releaseStamp(), releaseStamp);

    setModified(app + "velkorn", releaseStamp);
    EXPECT_EQ(verdictFor(inf), verdictUnconditional); // no update by date; unconditional still declares one
    EXPECT_EQ(verdictFor(QByteArray(inf).replace("unconditional=1\n", "")), verdictNoUpdate);

    // A missing local file counts as 1 January 1980.
    QFile::remove(app + "velkorn");
    EXPECT_EQ(verdictFor(inf), verdictByDate);

    // An unreadable release date is 1 January 1980, which an existing file is never older than.
    writeFile(app + "velkorn", "program");
    EXPECT_EQ(verdictFor("[update]\ndate=31/02/2008\nlocalversion={app}\\velkorn\n"), verdictNoUpdate);
    EXPECT_EQ(verdictFor("[update]\ndate=99/99/9999\ntime=99:99\nlocalversion={APP}\\velkorn\n"), verdictNoUpdate);
}

TEST_F(UpdateFixture, UnconditionalIsAPresenceKey)
{
    EXPECT_EQ(verdictFor("[update]\nunconditional=0\n"), verdictUnconditional);
    EXPECT_EQ(verdictFor("[update]\nunconditional=\n"), verdictNoUpdate);
    // Files alone announce nothing.
    EXPECT_EQ(verdictFor("[files]\ncount=1\n[file1]\nurl=x\n"), verdictNoUpdate);
}

TEST_F(UpdateFixture, ChecksumThenSizeThenVersion)
{
    writeFile(app + "velkorn", "abc"); // byte sum 294, checksum 293
    const QString local = "localversion={APP}\\velkorn\n";
    EXPECT_EQ(verdictFor(("[update]\nnewchecksum=293\nnewsize=99\n" + local).toUtf8()), verdictNoUpdate);
    EXPECT_EQ(verdictFor(("[update]\nnewchecksum=0x126\n" + local).toUtf8()), verdictByChecksum);
    EXPECT_TRUE(reported(QString("Version check : Checksum compare of %1:293:294").arg(app + "velkorn")));

    EXPECT_EQ(verdictFor(("[update]\nnewsize=3\nnewversion=9.9\n" + local).toUtf8()), verdictNoUpdate);
    EXPECT_EQ(verdictFor(("[update]\nnewsize=4\n" + local).toUtf8()), verdictBySize);
    // Without localversion nothing is compared.
    EXPECT_EQ(verdictFor("[update]\nnewsize=4\nnewversion=9\n"), verdictNoUpdate);
}

TEST_F(UpdateFixture, MissingLocalFileDependsOnVersionCheck)
{
    const QByteArray bySize = "[update]\nnewsize=10\nlocalversion={APP}\\gone.exe\n";
    const QByteArray byVersion = "[update]\nnewversion=1.0\nlocalversion={APP}\\gone.exe\n";
    EXPECT_EQ(verdictFor(bySize), verdictBySize);
    EXPECT_EQ(verdictFor(byVersion), verdictByVersion);
    EXPECT_EQ(upd.localVersionText(), "65535.65535.65535.65535");
    EXPECT_EQ(upd.newVersionText(), "1.0.0.0");
    upd.VersionCheck = vcUpdateOnly;
    EXPECT_EQ(verdictFor(bySize), verdictNoUpdate);
    EXPECT_EQ(verdictFor(byVersion), verdictNoUpdate);
}

TEST_F(UpdateFixture, VersionComparison)
{
    writeFile(app + "velkorn", versionedBytes(0x00020001u, 0x00030004u));
    auto byVersion = [this](const QString& v) {
        return verdictFor(("[update]\nlocalversion={APP}\\velkorn\nnewversion=" + v + "\n").toUtf8());
    };
    EXPECT_EQ(byVersion("2.1.3.5"), verdictByVersion);
    EXPECT_EQ(upd.localVersionText(), "2.1.3.4");
    EXPECT_EQ(byVersion("2.1.3.4"), verdictNoUpdate);
    EXPECT_EQ(byVersion("2.1.3"), verdictNoUpdate);
    EXPECT_EQ(byVersion("2,2"), verdictByVersion);
    EXPECT_EQ(byVersion("2.1.3.4.5"), verdictNoUpdate);
    EXPECT_EQ(byVersion("a.b.c.d"), verdictNoUpdate);
    EXPECT_EQ(byVersion("junk"), verdictNoUpdate);
    EXPECT_EQ(byVersion("65536.1"), verdictNoUpdate);
    // A file without a version block is older than any version whose major part is below 32768.
    writeFile(app + "velkorn", "no block");
    EXPECT_EQ(byVersion("1"), verdictByVersion);
    EXPECT_EQ(byVersion("40000"), verdictNoUpdate);
}

TEST_F(UpdateFixture, CustomValidationHasTheLastWord)
{
    upd.OnCustomValidate = [](QObject*, const QString& msg, const QString&, bool& allow) {
        EXPECT_EQ(msg, "check");
        allow = !allow;
    };
    EXPECT_EQ(verdictFor("[update]\nunconditional=1\n[custom]\nvalidatemsg=check\n"), verdictNoUpdate);
    EXPECT_EQ(verdictFor("[custom]\nvalidatemsg=check\n"), verdictByCustomValidation);
}

TEST_F(UpdateFixture, ApplicationSectionAndRestartCommand)
{
    ASSERT_EQ(verdictFor("[application]\nappupdate=1\nappname=\nappcomps=velkorn_NEW\n"), verdictNoUpdate);
    EXPECT_FALSE(upd.appUpdate());

    verdictFor("[application]\nappupdate=1\nappname=velkorn\nsilentrestart=1\n");
    EXPECT_TRUE(upd.appUpdate());
    EXPECT_TRUE(upd.silentRestart());
    EXPECT_EQ(upd.restartCommand(), "velkorn");

    upd.OnSetAppParams = [](QObject*, QString& params) { params += " more"; };
    verdictFor("[application]\nappupdate=2\nappname=my app\nappparam=-x\nappcomps={APP}\\a_NEW b_NEW\n");
    EXPECT_FALSE(upd.appUpdate()); // a flag is exactly 1
    EXPECT_EQ(upd.restartCommand(), "\"my app\" \"-x more\"");
    EXPECT_EQ(upd.componentText(), QDir::currentPath() + "\\a_NEW b_NEW");
}

TEST_F(UpdateFixture, SignatureAndMissingControlFile)
{
    upd.SignatureCheck = true;
    ASSERT_TRUE(publishControlFile("[update]\nsignature=webupdate\nunconditional=1\n"));
    EXPECT_EQ(upd.FetchControlFile(), 5);
    EXPECT_TRUE(reported("Invalid signature in update control file"));
    ASSERT_TRUE(publishControlFile("[update]\nsignature=WebUpdate\n"));
    EXPECT_EQ(upd.FetchControlFile(), 0);

    upd.URL = server + "nothing.INF";
    statuses.clear();
    EXPECT_EQ(upd.FetchControlFile(), 4);
    EXPECT_TRUE(reported("Update control file not found"));
    EXPECT_FALSE(upd.HasNewVersion());
}

TEST_F(UpdateFixture, HasNewVersionRunsAndCleansUp)
{
    ASSERT_TRUE(publishControlFile("[update]\nunconditional=1\n"));
    EXPECT_TRUE(upd.HasNewVersion());
    EXPECT_FALSE(QFile::exists(tmp + "velkorn.INF")); // the copy and its signature are gone after the run
    EXPECT_FALSE(QFile::exists(tmp + "velkorn.INF.minisig"));
    ASSERT_TRUE(publishControlFile("[update]\ndescr=nothing new\n"));
    EXPECT_FALSE(upd.HasNewVersion());
    EXPECT_EQ(upd.releaseDescription(), "nothing new");
    EXPECT_TRUE(tempLeftovers().isEmpty());
    EXPECT_EQ(upd.CloseSession(), 0); // a second close only deletes the copy again
}

// Hostile control files must neither crash nor hang, and write nothing beyond the engine's own files.
TEST_F(UpdateFixture, BadControlFiles)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 37) & 0xFF));
    EXPECT_EQ(verdictFor(binary), verdictNoUpdate);
    EXPECT_EQ(verdictFor("no sections at all\nkey=value\n"), verdictNoUpdate);

    QByteArray many = "[files]\ncount=10000\n";
    for (int i = 1; i <= 10000; ++i)
        many += "[file" + QByteArray::number(i) + "]\nurl=" + server.toUtf8() + "f" + QByteArray::number(i) + "\n";
    EXPECT_EQ(verdictFor(many), verdictNoUpdate);
    EXPECT_EQ(upd.LoadFileList(), 10000);

    EXPECT_EQ(verdictFor("[update]\nnewsize=99999999999999\nlocalversion={APP}\\x\n"), verdictNoUpdate);
    EXPECT_EQ(verdictFor("[update]\nnewsize=2147483647\nlocalversion={APP\\x\n"), verdictBySize);
    EXPECT_EQ(verdictFor("[update]\nnewversion=1\nlocalversion={APP}{APP}{WIN}{NOPE}{\n"), verdictByVersion);

    // A control file far beyond any real one is not read at all.
    QByteArray huge = "[update]\nunconditional=1\n";
    huge += QByteArray(ControlFile::MaxSize, ';');
    EXPECT_EQ(verdictFor(huge), verdictNoUpdate);

    const QStringList expected{"velkorn.INF", "velkorn.INF.minisig"};
    EXPECT_EQ(QDir(server).entryList(QDir::Files), expected);
    EXPECT_TRUE(QDir(app).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
}
