#pragma once

#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace platform {
class FileLock;
}

namespace helper {

// The restart helper's install as a journal in the application directory, so that an install cut short by a power
// cut or a kill can be undone at the next start of the program (or of the helper).
//
// The folder ".update-backup" holds the journal and, under "files/", every file the install replaced, by its path
// below the application directory. Each line of the journal is on the disk before the change it announces begins:
//   velkorn update journal 1      the first line
//   kept NAME                     NAME is about to be replaced; its old file is kept under files/
//   added NAME                    NAME is about to be put where there was no file
//   complete                      the install is finished
//   rollback                      the finished install is being undone
// (NAME percent-encoded, '/' between folders). An install is unfinished while the journal's last line is not
// "complete"; the launcher reads it that way too. A line cut off at the end was being written when the install
// stopped, so the change it announced never began.
class UpdateJournal
{
public:
    enum class Recovery
    {
        Nothing,     // no install was cut short
        Restored,    // one was, and the files before it are back
        NotRestored, // one was, but its journal cannot be read or not every file could be put back: they stay so
        Busy         // a restart helper is still at work on it
    };

    // What the journal on the disk says.
    enum class State
    {
        None,
        Unfinished,
        Complete,
        Unreadable
    };

    explicit UpdateJournal(const QString& appDir);
    ~UpdateJournal();
    UpdateJournal(UpdateJournal&&) noexcept;
    UpdateJournal& operator=(UpdateJournal&&) noexcept;

    QString folder() const { return m_appDir + QStringLiteral("/.update-backup"); }
    QString journalPath() const { return folder() + QStringLiteral("/journal"); }
    // Where the file at `relative` (below the application directory) is kept while it is replaced.
    QString keptPath(const QString& relative) const { return folder() + QStringLiteral("/files/") + relative; }
    // True for a path inside the journal's folder, which no component may name.
    bool owns(const QString& absolutePath) const;

    // Lines for the helper's log.
    void setLogger(std::function<void(const QString&)> log) { m_log = std::move(log); }

    enum class Placing
    {
        Placed,
        NotKept,   // the old file could not be kept, so it was not touched (errno tells why)
        NotRenamed // the new file could not be renamed into place (errno tells why)
    };
    // Puts `file` at `destination`, both inside the application directory: records it, keeps the old file, gives the
    // new one the old one's mode and renames it over the old one, all on the disk before the next step.
    Placing place(const QString& file, const QString& destination);
    // A fresh empty folder inside the journal's, on the same file system as the application, for files that are
    // unpacked before they are placed.
    QString stagingDir();
    // Files placed by this object so far.
    int placed() const { return m_placed; }
    bool begun() const { return m_begun; }
    // Marks the install finished.
    bool complete();

    State state() const;
    // Undoes the install of the journal, finished or not, and removes the journal; false when a file could not be
    // put back (the journal then stays for another try) or the journal cannot be read.
    bool rollBack();
    // Forgets the files kept by a finished install.
    void discard();
    // For every start: undoes an install that did not finish. A journal that cannot be read is set aside in
    // ".update-unfinished" and the files are left as they are. Waits at most `wait` for a helper still at work.
    Recovery recover(std::chrono::milliseconds wait = std::chrono::seconds(15));

private:
    struct Entry
    {
        bool kept = false; // false: added
        QString relative;
    };
    struct Contents
    {
        State state = State::None;
        QList<Entry> entries;
    };

    Contents read() const;
    bool begin();
    bool record(const QByteArray& line);
    bool undo(const QList<Entry>& entries);
    void removeFolder();
    void setAside();
    void log(const QString& message) const;

    QString m_appDir; // absolute, cleaned, without a trailing '/'
    std::function<void(const QString&)> m_log;
    std::unique_ptr<platform::FileLock> m_lock; // held from begin() on, so that no start undoes a live install
    bool m_begun = false;
    int m_placed = 0;
    int m_stagings = 0;
};

} // namespace helper
