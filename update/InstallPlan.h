#pragma once

#include "update/FileDigest.h"
#include "update/TFileDescription.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace update {

class ControlFile;

// What an update run will place and start, gathered from the control file before anything is done. Every path is
// read once, by one rule, and must stay inside the Application directory; the checks here decide, before the first
// file is placed or any program started, whether the bytes that arrived (or lie there) are the published ones.
class InstallPlan
{
public:
    // Where the run works, and the engine's own ways of reading a path or a URL.
    struct Places
    {
        QString appDir;  // the Application directory, absolute
        QString textDir; // the folder that release notes and licence texts are fetched to, absolute
        std::function<QString(const QString&)> expandMacros;
        std::function<QString(const QString&)> fileNameFromUrl;
        // File names of programs in the Application directory that are never replaced by a lower version than the
        // running one; the program that appname names and the running program itself are added.
        QStringList programs;
        QString runningProgram;  // path of the running program; empty when unknown
        bool extractCab = false; // the engine unpacks downloaded cabinets that are not components
    };

    // A program that section action starts, with its published SHA-256 (key + "sha256").
    struct Program
    {
        QString path; // resolved; empty when the key is empty
        QStringList arguments;
        FileDigest digest;
    };

    // A download that has passed fileRefusal and waits in its temporary file to be placed.
    struct Arrival
    {
        const TFileDescription* file;
        QString staged;
        QByteArray sha256; // of the staged bytes; empty when not computed on the way
    };

    // A copy of a program in a private folder, made from bytes that were checked; or why there is none.
    struct Copy
    {
        QString path;
        QString refusal;
    };

    // Programs larger than this are not read for their check (a program of section action is a script or a tool).
    static constexpr qint64 MaxProgramSize = 256 * 1024 * 1024;

    InstallPlan() = default;
    // Reads the control file. A value longer than the profile reader takes, a path outside the Application
    // directory and a target named twice with different digests make problem() answer why the file may not be used.
    InstallPlan(const ControlFile& control, Places places);

    QString problem() const { return m_problem; }

    // The rule for every path of the control file: macros expanded, a backslash taken as a separator, relative to
    // the Application directory, cleaned. Empty when the result lies outside the Application directory.
    QString resolve(const QString& text) const;

    QString localVersion() const { return m_localVersion; } // of section update; empty when none
    const Program& runBefore() const { return m_runBefore; }
    const Program& runAfter() const { return m_runAfter; }
    // The file sections in order, with LocalPath, TargetDir and LocalVersion resolved.
    const QList<TFileDescription>& files() const { return m_files; }

    // Where a release-notes or licence text from url is fetched to; empty when its name cannot be a file there.
    QString textPath(const QString& url) const;

    // Why the download staged for `file` may not be placed; empty when it may: its bytes must have the published
    // SHA-256, and whatever it would replace a program with must not be of a lower version than the running one.
    QString fileRefusal(const TFileDescription& file, const QString& staged, const QByteArray& sha256) const;

    // Why the program of runafter may not run once `arrivals` are placed; empty when it may. `from` becomes the
    // index of the arrival that brings it, or -1 when it is a file that lies there already.
    QString runAfterRefusal(const QList<Arrival>& arrivals, int& from) const;

    // Reads the program (a file, not a link), checks its bytes against its digest and writes them into a fresh
    // folder that only this user can enter, inside privateBase unless the user's runtime folder serves: the copy is
    // what is started, so what runs is what was checked.
    Copy copyProgram(const Program& program, const QString& privateBase) const;

private:
    // Where a file ends up: placed by the run itself, or later by the restart helper from what the run placed.
    struct Landing
    {
        enum Source
        {
            Bytes,    // the downloaded bytes
            Expanded, // their SZDD expansion
            Unpacked, // a file of the cabinet they are
        };
        QString path;
        Source source;
        bool byRun;
    };
    QList<Landing> landings(const TFileDescription& file, const QString& staged) const;
    bool replacesProgram(const QString& path) const;
    QString versionRefusal(const TFileDescription& file, const QString& staged) const;
    // Why the program may not run as it lies now; empty when it may, with its bytes in `bytes`.
    QString checkedBytes(const Program& program, QByteArray& bytes) const;

    void refuse(const QString& reason);
    QString pathOf(const ControlFile& control, const QString& section, const QString& key);
    Program programOf(const ControlFile& control, const QString& key);
    void readFiles(const ControlFile& control);

    Places m_places;
    QString m_problem;
    QString m_localVersion;
    Program m_runBefore;
    Program m_runAfter;
    QString m_componentText;
    QStringList m_programs; // resolved paths
    QList<TFileDescription> m_files;
};

} // namespace update
