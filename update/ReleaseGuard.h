#pragma once

#include "update/UpdateFormats.h"

#include <QDateTime>
#include <QString>

#include <optional>

// Keeps the update from going backwards. A publisher signs each control file with a trusted comment
//     velkorn-release time=2026-12-09T10:00:00Z file=velkorn.INF
// (UTC release time, and the name the file is published under). The guard remembers the newest release
// time it has accepted and refuses an older control file, so that a genuine but outdated control file
// replayed by someone on the way cannot lead back to an old, vulnerable release.
//
// The name is bound as well because a signature vouches only for bytes: the same key also signs release
// notes, components and control files of other channels, and any of them with its genuine signature could
// otherwise be served in place of velkorn.INF.
namespace update {

struct ReleaseStamp
{
    QDateTime time; // UTC
    QString fileName;
};

// Reads a trusted comment; empty when it is not one of ours, has no time or file, or repeats a key.
// Keys other than time and file are ignored, so that later releases can add some.
std::optional<ReleaseStamp> parseReleaseComment(const QString& comment);

// The trusted comment for a release, as the publisher's tools write it.
QString releaseComment(const QDateTime& time, const QString& fileName);

class ReleaseGuard
{
public:
    enum class Verdict
    {
        Accepted,
        Malformed, // not a release comment
        WrongFile, // signed for another file name
        Older,     // older than a release already accepted
        Unsaved,   // acceptable, but the state file cannot be written, so a later replay could not be caught
    };

    // The state file; by default the engine's settings place (beside the LastURL values).
    explicit ReleaseGuard(QString stateFile = defaultStateFile());
    static QString defaultStateFile();

    // Checks the verified trusted comment of the file published as fileName and, when it is acceptable,
    // records its time as the newest accepted. The same release again is accepted.
    Verdict admit(const QString& trustedComment, const QString& fileName);

    // The newest release time accepted so far; invalid when none.
    QDateTime newestAccepted() const;

private:
    QString m_stateFile;
};

QString releaseVerdictText(ReleaseGuard::Verdict verdict);

// Whether the program version that an update installs may replace the running one: only the same or a
// higher version, whatever the control file's flags say; an unreadable version is refused.
enum class ProgramVersionVerdict
{
    Allowed,
    Lower,
    Unknown,
};
ProgramVersionVerdict checkProgramVersion(PackedVersion offered, PackedVersion running);

// The version of this program, as it was built.
PackedVersion runningProgramVersion();

} // namespace update
