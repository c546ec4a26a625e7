#include "update/helper/UpdateJournal.h"

#include "platform/DurableFiles.h"
#include "platform/FileLock.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <unistd.h>

namespace helper {

namespace {

const QByteArray Header = "velkorn update journal 1";
const QByteArray Kept = "kept ";
const QByteArray Added = "added ";
const QByteArray Complete = "complete";
const QByteArray RollBack = "rollback";
// Far more than any install writes; a bigger file is not a journal of ours.
constexpr qint64 MaxJournalSize = 16 * 1024 * 1024;

bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QByteArray encoded(const QString& relative)
{
    return relative.toUtf8().toPercentEncoding("/");
}

// The name of a journal line, or empty when the text is not one that this journal writes: percent-encoded as
// above, relative, inside the application directory and outside the journal's folder.
QString decoded(const QByteArray& text)
{
    const QString relative = QString::fromUtf8(QByteArray::fromPercentEncoding(text));
    if (text.isEmpty() || encoded(relative) != text)
        return {};
    const QStringList parts = relative.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return {};
    }
    if (parts.first() == QLatin1String(".update-backup"))
        return {};
    return relative;
}

bool renamed(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

UpdateJournal::UpdateJournal(const QString& appDir) : m_appDir(QDir::cleanPath(QDir(appDir).absolutePath())) {}

UpdateJournal::~UpdateJournal() = default;
UpdateJournal::UpdateJournal(UpdateJournal&&) noexcept = default;
UpdateJournal& UpdateJournal::operator=(UpdateJournal&&) noexcept = default;

bool UpdateJournal::owns(const QString& absolutePath) const
{
    const QString path = QDir::cleanPath(absolutePath);
    for (const char* name : {"/.update-backup", "/.update-backup.old", "/.update-unfinished"}) {
        const QString own = m_appDir + QLatin1String(name);
        if (path == own || path.startsWith(own + QLatin1Char('/')))
            return true;
    }
    return false;
}

void UpdateJournal::log(const QString& message) const
{
    if (m_log)
        m_log(message);
}

UpdateJournal::Contents UpdateJournal::read() const
{
    Contents contents;
    if (!QFileInfo(folder()).isDir())
        return contents;

    QSet<QString> keptFiles;
    const QString filesDir = folder() + QStringLiteral("/files");
    QDirIterator files(filesDir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext())
        keptFiles.insert(QDir(filesDir).relativeFilePath(files.next()));

    QFile file(journalPath());
    if (!file.exists()) {
        // Nothing was changed before the journal had its name; kept files without one are a journal that was lost.
        contents.state = keptFiles.isEmpty() ? State::None : State::Unreadable;
        return contents;
    }
    contents.state = State::Unreadable;
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxJournalSize)
        return contents;
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeLast(); // empty after a final line break; otherwise a line that was being written
    if (lines.isEmpty() || lines.first() != Header)
        return contents;

    State state = State::Unfinished;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        if (line == Complete) {
            state = State::Complete;
            continue;
        }
        if (line == RollBack) {
            state = State::Unfinished;
            continue;
        }
        Entry entry;
        entry.kept = line.startsWith(Kept);
        if (!entry.kept && !line.startsWith(Added))
            return contents;
        entry.relative = decoded(line.mid(entry.kept ? Kept.size() : Added.size()));
        if (entry.relative.isEmpty())
            return contents;
        if (entry.kept)
            keptFiles.remove(entry.relative);
        contents.entries.append(entry);
        state = State::Unfinished;
    }
    // A kept file that no line names: lines of the journal were lost, so undoing the rest would mix versions.
    if (!keptFiles.isEmpty())
        return contents;
    contents.state = state;
    return contents;
}

UpdateJournal::State UpdateJournal::state() const
{
    return read().state;
}

bool UpdateJournal::record(const QByteArray& line)
{
    return platform::appendDurably(journalPath(), line + '\n');
}

bool UpdateJournal::begin()
{
    if (m_begun)
        return true;
    if (!platform::makeDurablePath(folder()))
        return false;
    // The journal gets its name only with its first line on the disk and locked, so that a start of the program
    // meanwhile never takes a live install's journal for a broken one.
    const QString fresh = folder() + QStringLiteral("/journal.new");
    QFile::remove(fresh);
    auto lock = std::make_unique<platform::FileLock>();
    if (!platform::appendDurably(fresh, Header + '\n') || !lock->lock(fresh, std::chrono::milliseconds(0)) ||
        !renamed(fresh, journalPath()) || !platform::syncDirectory(folder()))
        return false;
    m_lock = std::move(lock);
    m_begun = true;
    return true;
}

UpdateJournal::Placing UpdateJournal::place(const QString& file, const QString& destination)
{
    if (!begin())
        return Placing::NotKept;
    const QString relative = QDir(m_appDir).relativeFilePath(destination);
    const QByteArray source = QFile::encodeName(file);
    if (present(destination)) {
        if (!record(Kept + encoded(relative)))
            return Placing::NotKept;
        // A file replaced twice in one run keeps the one from before the run.
        const QString kept = keptPath(relative);
        if (!present(kept)) {
            if (!platform::makeDurablePath(QFileInfo(kept).path()))
                return Placing::NotKept;
            if (::link(QFile::encodeName(destination).constData(), QFile::encodeName(kept).constData()) != 0 &&
                !(QFile::copy(destination, kept) && platform::syncFile(kept)))
                return Placing::NotKept;
            if (!platform::syncDirectory(QFileInfo(kept).path()))
                return Placing::NotKept;
        }
        // Downloads carry no execute permission. The new file has the old one's mode before it takes the old one's
        // name: a stop in between must not leave a program that cannot be started.
        QFile::setPermissions(file, QFile::permissions(destination));
    } else if (!record(Added + encoded(relative))) {
        return Placing::NotKept;
    }
    // The contents are on the disk before the name: after a power cut the name never stands for an empty file.
    platform::syncFile(file);
    if (!platform::makeDurablePath(QFileInfo(destination).path()) ||
        std::rename(source.constData(), QFile::encodeName(destination).constData()) != 0)
        return Placing::NotRenamed;
    platform::syncDirectory(QFileInfo(destination).path());
    if (QFileInfo(file).path() != QFileInfo(destination).path())
        platform::syncDirectory(QFileInfo(file).path());
    ++m_placed;
    return Placing::Placed;
}

QString UpdateJournal::stagingDir()
{
    if (!begin())
        return {};
    const QString dir = folder() + QStringLiteral("/staging%1").arg(++m_stagings);
    QDir(dir).removeRecursively();
    return QDir().mkpath(dir) ? dir : QString();
}

bool UpdateJournal::complete()
{
    return !m_begun || record(Complete);
}

bool UpdateJournal::undo(const QList<Entry>& entries)
{
    bool ok = true;
    // Newest first, so that a file replaced twice ends as it was before the run. Each step can be done again: a
    // kept file that is back is no longer kept, an added file that is gone is not there to remove.
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        const QString target = m_appDir + QLatin1Char('/') + it->relative;
        bool done = true;
        if (!it->kept) {
            if (present(target) && !QFileInfo(target).isDir())
                done = QFile::remove(target);
        } else if (const QString kept = keptPath(it->relative); present(kept)) {
            done = platform::makeDurablePath(QFileInfo(target).path()) && renamed(kept, target);
        }
        platform::syncDirectory(QFileInfo(target).path());
        ok = ok && done;
        log(QStringLiteral("upd rollback ") + it->relative + (done ? QString() : QStringLiteral(" failed")));
    }
    return ok;
}

bool UpdateJournal::rollBack()
{
    const Contents contents = read();
    if (contents.state == State::None) {
        removeFolder();
        return true;
    }
    if (contents.state == State::Unreadable)
        return false;
    // Undoing is itself unfinished work until the journal is gone.
    if (contents.state == State::Complete && !record(RollBack))
        return false;
    if (!undo(contents.entries))
        return false;
    removeFolder();
    return true;
}

void UpdateJournal::discard()
{
    removeFolder();
}

void UpdateJournal::removeFolder()
{
    // Renamed away in one step first: a journal is either whole or gone, never half deleted.
    const QString trash = m_appDir + QStringLiteral("/.update-backup.old");
    QDir(trash).removeRecursively();
    if (present(folder()) && renamed(folder(), trash))
        platform::syncDirectory(m_appDir);
    QDir(trash).removeRecursively();
    m_lock.reset();
    m_begun = false;
}

void UpdateJournal::setAside()
{
    const QString aside = m_appDir + QStringLiteral("/.update-unfinished");
    QDir(aside).removeRecursively();
    if (renamed(folder(), aside))
        platform::syncDirectory(m_appDir);
}

UpdateJournal::Recovery UpdateJournal::recover(std::chrono::milliseconds wait)
{
    if (const State state = read().state; state == State::None || state == State::Complete)
        return Recovery::Nothing;
    // A helper at work holds the journal; once it has finished (or died) the journal says what is left to do.
    platform::FileLock lock;
    if (QFileInfo::exists(journalPath()) && !lock.lock(journalPath(), wait))
        return Recovery::Busy;
    const Contents contents = read();
    switch (contents.state) {
    case State::None:
    case State::Complete:
        return Recovery::Nothing;
    case State::Unreadable:
        log(QStringLiteral("upd journal of an interrupted update cannot be read; the files are left as they are"));
        setAside();
        return Recovery::NotRestored;
    case State::Unfinished:
        break;
    }
    log(QStringLiteral("upd undoing an interrupted update"));
    if (!undo(contents.entries))
        return Recovery::NotRestored;
    removeFolder();
    return Recovery::Restored;
}

} // namespace helper
