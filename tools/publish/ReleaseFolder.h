#pragma once

#include <QString>
#include <QStringList>

// A release in the update folder: every file in it listed in the control file velkorn.INF with its size and SHA-256,
// the control file and the files signed with the maker's minisign key. The program's new version is velkorn_NEW (its
// version block is the release's version); other NAME_NEW files are components that replace NAME in the Application
// directory; whatsnew.txt and eula.txt are the release notes and the licence; any other file, also in a sub-folder,
// goes to the same place below the Application directory.
class ReleaseFolder
{
public:
    static constexpr const char* ControlFileName = "velkorn.INF";
    static constexpr const char* ProgramFileName = "velkorn_NEW";

    struct Options
    {
        QString folder;
        QString key;     // the minisign secret key
        QString baseUrl; // where the folder is served, e.g. "https://update.velkorn.example/"
        QString description;
        QString minisign = QStringLiteral("minisign");
    };

    explicit ReleaseFolder(Options options);

    // Writes the control file and the signatures; nothing is written when the version is not higher than the one
    // published in the folder. Returns why it refused or failed; empty on success. `notes` receives what the
    // maker should know besides (the version published, a key the programs do not trust).
    QString publish(QStringList* notes);

private:
    // Signs files with one trusted comment, each into NAME.minisig beside it, or one file into `signatureFile`.
    bool sign(const QStringList& files, const QString& signatureFile, const QString& trustedComment,
              QString* why) const;

    Options m_options;
};
