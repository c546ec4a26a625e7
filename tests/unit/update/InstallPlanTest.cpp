// The plan of a run read from control files: where each path goes, which control files cannot be carried out, and
// the checks that bytes must pass before anything is placed or started.
#include "UpdateFixture.h"

#include "update/ControlFile.h"
#include "update/InstallPlan.h"
#include "update/ReleaseGuard.h"
#include "update/archive/Szdd.h"

#include <QFile>

using update::InstallPlan;

namespace {

class InstallPlanTest : public UpdateFixture
{
protected:
    // The plan as the engine makes it for a control file, with the engine's own macros and URL names.
    InstallPlan planFor(const QByteArray& inf)
    {
        writeFile(tmp + "plan.INF", inf);
        update::ControlFile control;
        EXPECT_TRUE(control.open(tmp + "plan.INF"));
        InstallPlan::Places places;
        places.appDir = QDir::currentPath();
        places.textDir = tmp;
        places.expandMacros = [this](const QString& text) { return upd.ExpandMacros(text); };
        places.fileNameFromUrl = [this](const QString& url) { return upd.FileNameFromUrl(url); };
        places.programs = upd.programFiles;
        return InstallPlan(control, places);
    }

    // A file section's entry as the plan gives it, staged with `bytes` as its download.
    QString refusalOf(const QByteArray& section, const QByteArray& bytes)
    {
        const InstallPlan plan = planFor("[files]\ncount=1\n[file1]\n" + section);
        EXPECT_TRUE(plan.problem().isEmpty()) << plan.problem().toStdString();
        writeFile(tmp + "staged", bytes);
        return plan.files().value(0).LocalPath.isEmpty() ? "no path"
                                                         : plan.fileRefusal(plan.files().at(0), tmp + "staged", {});
    }

    static QByteArray digestLine(const QByteArray& bytes)
    {
        return "sha256=" + testsigning::sha256Hex(bytes).toLatin1() + "\n";
    }

    QString appPath(const QString& relative) const { return QDir::cleanPath(app) + '/' + relative; }
};

} // namespace

TEST_F(InstallPlanTest, EveryPathIsResolvedByOneRuleInsideTheApplicationDirectory)
{
    const InstallPlan plan = planFor("[update]\nlocalversion={APP}\\velkorn\n"
                                     "[action]\nrunbefore={app}\\tools\\..\\prep.sh --quiet \"two words\"\n"
                                     "runafter=post.sh\n"
                                     "[files]\ncount=2\n"
                                     "[file1]\nurl=http://host/dir/manual.txt\ntargetdir={APP}\\docs\n"
                                     "localversion=docs\\manual.txt\n"
                                     "[file2]\nurl=http://host/velkorn_NEW\n");
    ASSERT_TRUE(plan.problem().isEmpty()) << plan.problem().toStdString();
    EXPECT_EQ(plan.localVersion(), appPath("velkorn"));
    EXPECT_EQ(plan.runBefore().path, appPath("prep.sh"));
    EXPECT_EQ(plan.runBefore().arguments, QStringList({"--quiet", "two words"}));
    EXPECT_EQ(plan.runAfter().path, appPath("post.sh"));
    ASSERT_EQ(plan.files().size(), 2);
    EXPECT_EQ(plan.files().at(0).LocalPath, appPath("docs/manual.txt"));
    EXPECT_EQ(plan.files().at(0).TargetDir, appPath("docs/"));
    EXPECT_EQ(plan.files().at(0).LocalVersion, appPath("docs/manual.txt"));
    EXPECT_EQ(plan.files().at(1).LocalPath, appPath("velkorn_NEW"));
    EXPECT_EQ(plan.textPath("http://host/notes/whatsnew.txt"), QDir::cleanPath(tmp) + "/whatsnew.txt");
    for (const char* url : {"http://host/..", "http://host/", "http://host/a\\.."})
        EXPECT_TRUE(plan.textPath(url).isEmpty()) << url;

    // A directory with a blank in its name stays one word of the command line.
    QDir(app).mkpath("my app");
    QDir::setCurrent(app + "my app");
    EXPECT_EQ(planFor("[action]\nrunbefore={APP}\\prep.sh x\n").runBefore().path, appPath("my app/prep.sh"));
    QDir::setCurrent(app);

    for (const char* outside : {
             "[update]\nlocalversion={APP}\\..\\velkorn\n",
             "[action]\nrunbefore={APP}\\..\\prep.sh\n",
             "[action]\nrunbefore=/bin/sh -c true\n",
             "[action]\nrunafter={TMP}\\post.sh\n",
             "[action]\nrunafter={APP}\n",
             "[files]\ncount=1\n[file1]\nurl=http://host/a.txt\ntargetdir={WIN}\n",
             "[files]\ncount=1\n[file1]\nurl=http://host/a.txt\ntargetdir=..\\elsewhere\n",
             "[files]\ncount=1\n[file1]\nurl=http://host/..\n",
             "[files]\ncount=1\n[file1]\nurl=http://host/a.txt\nlocalversion={SYS}\\a.txt\n",
         })
        EXPECT_FALSE(planFor(outside).problem().isEmpty()) << outside;
}

TEST_F(InstallPlanTest, ControlFilesThatCannotBeCarriedOutAsWritten)
{
    // A value cut at the reader's limit would silently drop what follows it.
    const QByteArray fits(2047, 'a');
    EXPECT_TRUE(planFor("[application]\nappcomps=" + fits + "\n").problem().isEmpty());
    EXPECT_TRUE(planFor("[application]\nappcomps=\"" + fits + "\"\n").problem().isEmpty());
    EXPECT_EQ(planFor("[application]\nappcomps=" + fits + "b\n").problem(),
              "the value appcomps of section application is longer than 2047 characters");

    // The same target twice: harmless with one digest, whatever the case of its hex digits; refused with two.
    const QByteArray digest = digestLine("one").toLower(), other = digestLine("two");
    const QByteArray twice = "[files]\ncount=2\n[file1]\nurl=http://a/x.txt\n%1[file2]\nurl=http://b/x.txt\n%2";
    const auto planOf = [&](const QByteArray& first, const QByteArray& second) {
        return planFor(QByteArray(twice).replace("%1", first).replace("%2", second));
    };
    EXPECT_TRUE(planOf(digest, digest.toUpper().replace("SHA256", "sha256")).problem().isEmpty());
    EXPECT_TRUE(planOf(digest, other).problem().contains("with different SHA-256 digests"));
    EXPECT_TRUE(planOf(digest, "").problem().contains("with different SHA-256 digests"));
    EXPECT_TRUE(planFor("[files]\ncount=2\n[file1]\nurl=http://a/x.txt\n[file2]\nurl=http://b/x.txt\ntargetdir=sub\n")
                    .problem()
                    .isEmpty());
}

TEST_F(InstallPlanTest, DownloadsAreCheckedAgainstTheirDigest)
{
    const QByteArray url = "url=http://host/file.bin\n";
    EXPECT_EQ(refusalOf(url + digestLine("bytes"), "bytes"), "");
    EXPECT_EQ(refusalOf(url + digestLine("bytes").toUpper().replace("SHA256", "sha256"), "bytes"), "");
    EXPECT_EQ(refusalOf(url + digestLine("bytes"), "other"), "its bytes differ from the published SHA-256");
    EXPECT_EQ(refusalOf(url, "bytes"), "no SHA-256 is published for it");
    // Hex case does not matter; anything else that is not 64 hex digits is no digest.
    QByteArray blank = digestLine("bytes");
    blank.insert(20, ' ');
    EXPECT_EQ(refusalOf(url + blank, "bytes"), "its published SHA-256 is not readable");
}

// The running program and the restart helper are never replaced by a lower version, by whatever name or form the
// file first arrives under, and whatever the application section says.
TEST_F(InstallPlanTest, TheVersionRuleFollowsTheTargetPath)
{
    const update::PackedVersion running = update::runningProgramVersion();
    const QByteArray lower = versionedBytes(quint32(running.high) - 1, quint32(running.low));
    const QByteArray same = versionedBytes(quint32(running.high), quint32(running.low));
    const QString isLower = "its program version is lower than the running one";
    for (const char* name : {"velkorn", "upd", "velkorn_NEW", "UPD_new"}) {
        const QByteArray section = "url=http://host/" + QByteArray(name) + "\n";
        EXPECT_EQ(refusalOf(section + digestLine(lower), lower), isLower) << name;
        EXPECT_EQ(refusalOf(section + digestLine(same), same), "") << name;
    }
    EXPECT_EQ(refusalOf("url=http://host/velkorn\n" + digestLine("script"), "script"),
              "its program version cannot be read");
    EXPECT_EQ(refusalOf("url=http://host/velkorn\ntargetdir=docs\n" + digestLine(lower), lower), "");
    EXPECT_EQ(refusalOf("url=http://host/other\n" + digestLine(lower), lower), "");

    // Compressed, it lands under the name its header gives.
    const QByteArray packed = archive::compressSzdd(lower, 'n');
    EXPECT_EQ(refusalOf("url=http://host/velkor_\ncompressed=1\n" + digestLine(packed), packed), isLower);
    const QByteArray packedSame = archive::compressSzdd(same, 'n');
    EXPECT_EQ(refusalOf("url=http://host/velkor_\ncompressed=1\n" + digestLine(packedSame), packedSame), "");
}

TEST_F(InstallPlanTest, ProgramsRunFromACheckedPrivateCopy)
{
    const QByteArray script = "#!/bin/sh\nexit 0\n";
    writeFile(app + "prep.sh", script);
    const auto planWith = [&](const QString& program, const QByteArray& bytes) {
        return planFor(
            ("[action]\nrunbefore={APP}\\" + program + " a\nrunbeforesha256=" + testsigning::sha256Hex(bytes) + "\n")
                .toUtf8());
    };
    const InstallPlan plan = planWith("prep.sh", script);
    const InstallPlan::Copy copy = plan.copyProgram(plan.runBefore(), tmp);
    ASSERT_TRUE(copy.refusal.isEmpty()) << copy.refusal.toStdString();
    EXPECT_EQ(readFile(copy.path), script);
    EXPECT_EQ(QFileInfo(copy.path).fileName(), "prep.sh");
    EXPECT_FALSE(copy.path.startsWith(app));
    EXPECT_EQ(QFile::permissions(copy.path) & QFile::Permissions(0x7777), QFile::ReadOwner | QFile::WriteOwner |
                                                                              QFile::ExeOwner | QFile::ReadUser |
                                                                              QFile::WriteUser | QFile::ExeUser);

    const auto refusal = [&](const QString& program, const QByteArray& bytes) {
        const InstallPlan p = planWith(program, bytes);
        return p.copyProgram(p.runBefore(), tmp).refusal;
    };
    EXPECT_EQ(refusal("prep.sh", "other"), "its bytes differ from the published SHA-256");
    EXPECT_EQ(refusal("gone.sh", script), "it does not exist");
    ASSERT_TRUE(QFile::link(app + "prep.sh", app + "link.sh"));
    EXPECT_EQ(refusal("link.sh", script), "it is a symbolic link");
    QDir(app).mkpath("folder.sh");
    EXPECT_EQ(refusal("folder.sh", script), "it is not a file");
}

// A runafter program is checked before anything is placed: in its download when the run brings it, else as it lies.
TEST_F(InstallPlanTest, TheRunAfterProgramIsCheckedBeforeAnythingIsPlaced)
{
    const QByteArray genuine = "#!/bin/sh\n";
    const QByteArray sections =
        "[action]\nrunafter={APP}\\post.sh\nrunaftersha256=" + testsigning::sha256Hex(genuine).toLatin1() +
        "\n[files]\ncount=2\n[file1]\nurl=http://h/a.txt\n[file2]\nurl=http://h/post.sh\n";
    const InstallPlan plan = planFor(sections);
    writeFile(tmp + "a", "a");
    writeFile(tmp + "post", "swapped");
    int from = -2;
    const QList<InstallPlan::Arrival> arrivals{{&plan.files().at(0), tmp + "a", {}},
                                               {&plan.files().at(1), tmp + "post", {}}};
    EXPECT_EQ(plan.runAfterRefusal(arrivals, from), "its bytes differ from the published SHA-256");
    EXPECT_EQ(from, 1);
    writeFile(tmp + "post", genuine);
    EXPECT_EQ(plan.runAfterRefusal(arrivals, from), "");

    // Not downloaded in this run: the file that lies there counts.
    EXPECT_EQ(plan.runAfterRefusal(arrivals.mid(0, 1), from), "it does not exist");
    EXPECT_EQ(from, -1);
    writeFile(app + "post.sh", genuine);
    EXPECT_EQ(plan.runAfterRefusal(arrivals.mid(0, 1), from), "");
}
