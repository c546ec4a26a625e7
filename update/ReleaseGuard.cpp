#include "update/ReleaseGuard.h"

#include <QHash>
#include <QSettings>
#include <QStringList>

namespace update {

namespace {

const QString commentTag = QStringLiteral("velkorn-release");
const QString newestKey = QStringLiteral("release/newest");

// Only the one unambiguous form: "2026-12-09T10:00:00Z".
QDateTime parseUtc(const QString& text)
{
    if (!text.endsWith('Z'))
        return {};
    QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    return time.isValid() && time.timeSpec() == Qt::UTC ? time : QDateTime();
}

quint64 packed(PackedVersion v)
{
    return (quint64(quint32(v.high)) << 32) | quint32(v.low);
}

} // namespace

std::optional<ReleaseStamp> parseReleaseComment(const QString& comment)
{
    const QStringList words = comment.split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || words.first() != commentTag)
        return std::nullopt;
    QHash<QString, QString> values;
    for (const QString& word : words.mid(1)) {
        const int eq = word.indexOf('=');
        if (eq <= 0)
            return std::nullopt;
        const QString key = word.left(eq);
        // A second time= or file= could be read differently by another reader; refuse rather than pick one.
        if (values.contains(key))
            return std::nullopt;
        values.insert(key, word.mid(eq + 1));
    }
    ReleaseStamp stamp{parseUtc(values.value("time")), values.value("file")};
    if (!stamp.time.isValid() || stamp.fileName.isEmpty())
        return std::nullopt;
    return stamp;
}

QString releaseComment(const QDateTime& time, const QString& fileName)
{
    return commentTag + " time=" + time.toUTC().toString(Qt::ISODate) + " file=" + fileName;
}

ReleaseGuard::ReleaseGuard(QString stateFile) : m_stateFile(std::move(stateFile)) {}

QString ReleaseGuard::defaultStateFile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "velkorn", "update-state").fileName();
}

QDateTime ReleaseGuard::newestAccepted() const
{
    return parseUtc(QSettings(m_stateFile, QSettings::IniFormat).value(newestKey).toString());
}

ReleaseGuard::Verdict ReleaseGuard::admit(const QString& trustedComment, const QString& fileName)
{
    const auto stamp = parseReleaseComment(trustedComment);
    if (!stamp)
        return Verdict::Malformed;
    // Exact comparison: the server serves names case-sensitively, and the publisher signs the name it serves.
    if (stamp->fileName != fileName)
        return Verdict::WrongFile;
    QSettings state(m_stateFile, QSettings::IniFormat);
    const QDateTime newest = parseUtc(state.value(newestKey).toString());
    if (newest.isValid() && stamp->time < newest)
        return Verdict::Older;
    if (newest.isValid() && stamp->time == newest)
        return Verdict::Accepted;
    state.setValue(newestKey, stamp->time.toString(Qt::ISODate));
    state.sync();
    return state.status() == QSettings::NoError ? Verdict::Accepted : Verdict::Unsaved;
}

QString releaseVerdictText(ReleaseGuard::Verdict verdict)
{
    switch (verdict) {
    case ReleaseGuard::Verdict::Accepted:
        return QStringLiteral("release accepted");
    case ReleaseGuard::Verdict::Malformed:
        return QStringLiteral("the signed comment does not describe a release");
    case ReleaseGuard::Verdict::WrongFile:
        return QStringLiteral("the signature was made for another file");
    case ReleaseGuard::Verdict::Older:
        return QStringLiteral("older than a release already accepted");
    case ReleaseGuard::Verdict::Unsaved:
        return QStringLiteral("the newest accepted release cannot be recorded");
    }
    return {};
}

ProgramVersionVerdict checkProgramVersion(PackedVersion offered, PackedVersion running)
{
    if (!offered.valid() || !running.valid())
        return ProgramVersionVerdict::Unknown;
    return packed(offered) < packed(running) ? ProgramVersionVerdict::Lower : ProgramVersionVerdict::Allowed;
}

PackedVersion runningProgramVersion()
{
    return ParseVersion(QStringLiteral(VELKORN_VERSION_STRING));
}

} // namespace update
