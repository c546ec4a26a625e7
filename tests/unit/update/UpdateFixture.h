#pragma once

#include "update/TWebUpdate.h"

#include "TestFiles.h"
#include "support/SignedRelease.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// An engine in fileUpdate mode whose "server" is a folder: the decisions and installation steps run
// against real files without a network. The application directory is made current, as the
// application does before an update run.
class UpdateFixture : public ::testing::Test
{
protected:
    struct Status
    {
        int statusCode;
        int errCode;
        QString text;
    };

    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        for (const char* d : {"server", "tmp", "app"})
            QDir(root.path()).mkpath(d);
        server = root.filePath("server") + '/';
        tmp = root.filePath("tmp") + '/';
        app = root.filePath("app") + '/';
        previousDir = QDir::currentPath();
        QDir::setCurrent(app);

        upd.UpdateType = update::fileUpdate;
        upd.VersionCheck = update::vcAlways;
        upd.TempDirectory = tmp;
        upd.LogFileName = app + "WUPDATE.LOG";
        upd.setUserTempDirectory(tmp);
        upd.URL = server + "velkorn.INF";
        upd.releaseStateFile = root.filePath("release-state.ini");
        upd.OnStatus = [this](QObject*, const QString& text, int code, int err) {
            statuses.push_back({code, err, text});
        };
    }

    void TearDown() override { QDir::setCurrent(previousDir); }

    // Publishes a control file signed with the demo key as the release of now.
    bool publishControlFile(const QByteArray& inf)
    {
        writeFile(server + "velkorn.INF", inf);
        return testsigning::signRelease(server + "velkorn.INF");
    }

    // Publishes a signed control file and runs the fetch and the decision.
    int verdictFor(const QByteArray& inf)
    {
        if (!publishControlFile(inf))
            return -2;
        if (upd.FetchControlFile() != 0)
            return -1;
        return upd.EvaluateUpdate();
    }

    bool reported(const QString& text) const
    {
        for (const Status& s : statuses)
            if (s.text == text)
                return true;
        return false;
    }

    // Publishes a file on the "server" and answers the line that gives its SHA-256 in a file section.
    QString publish(const QString& name, const QByteArray& bytes)
    {
        writeFile(server + name, bytes);
        return "sha256=" + testsigning::sha256Hex(bytes) + "\n";
    }

    QStringList tempLeftovers() const { return QDir(tmp).entryList({"WUPD*"}, QDir::Files); }

    QTemporaryDir root;
    QString server, tmp, app, previousDir;
    update::TWebUpdate upd;
    std::vector<Status> statuses;
};
