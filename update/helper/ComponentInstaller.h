#pragma once

#include "update/helper/UpdateJournal.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace helper {

// Installs the downloaded application components after the application has ended: "_NEW" files replace
// their originals, ".INF" lists name further components, ".CAB" files are unpacked, ".EXE" setup programs
// run, ".PAT" patches are noted (no patch utility is carried) and any other file is SZDD-expanded.
// Every name is relative to the application directory; names or targets that would reach outside it (or into the
// install's journal) are refused and logged, the rest is processed all the same. Every file is put in place through
// the install's journal, so that an install cut short can be undone.
class ComponentInstaller
{
public:
    // Runs a program and waits for it; answers false when it could not be started.
    using ProgramRunner = std::function<bool(const QString& program)>;
    using Sleeper = std::function<void(int milliseconds)>;
    // Expands the path macros of a target ("{APP}\dir" and the like).
    using MacroExpander = std::function<QString(const QString& text)>;

    // appDir is the application directory (the helper's current directory); logging appends to its
    // "WUPDATE.LOG".
    ComponentInstaller(const QString& appDir, bool logging);

    void setProgramRunner(ProgramRunner runner) { m_runProgram = std::move(runner); }
    void setSleeper(Sleeper sleeper) { m_sleep = std::move(sleeper); }
    void setMacroExpander(MacroExpander expander) { m_expandMacros = std::move(expander); }
    // Called after each file put in place, with the number placed so far.
    void setPlacedHandler(std::function<void(int placed)> handler) { m_placedHandler = std::move(handler); }

    // Processes one component; prefix is the destination directory ("" for the application directory).
    void process(const QString& name, const QString& prefix = QString());

    // The install's journal, and the folder in which it keeps every file that a replacement overwrote.
    UpdateJournal& journal() { return m_journal; }
    QString backupDir() const { return m_journal.folder(); }
    // Puts every kept file back and removes the files the run added; answers whether all of it worked. The
    // folder is removed afterwards.
    bool rollBack() { return m_journal.rollBack(); }
    // Forgets the kept files once the new version has come up.
    void discardBackup() { m_journal.discard(); }

    // Appends "dd/mm/yyyy hh:nn:ss : message" to the log when logging is on.
    void log(const QString& message) const;

    const QString& appDir() const { return m_appDir; }
    static QString logFileName() { return QStringLiteral("WUPDATE.LOG"); }

    // The standard expansion: {APP} is the application directory, {WIN} {SYS} {TMP} {PF} the platform's.
    QString expandStandardMacros(const QString& text) const;

private:
    QString safeSource(const QString& name) const;
    QString safeDestinationDir(const QString& prefix) const;
    bool insideApp(const QString& absolutePath) const;

    void replace(const QString& name, const QString& prefix, const QString& source, const QString& destDir);
    // Puts the file at destination through the journal; logs a failure under the destination's text.
    bool place(const QString& file, const QString& destination, const QString& destinationText);
    void processList(const QString& name, const QString& source);
    void unpackCabinet(const QString& name, const QString& source, const QString& destDir, const QString& prefix);
    void runSetup(const QString& name, const QString& source, const QString& prefix);
    void expand(const QString& name, const QString& source, const QString& destDir, const QString& prefix);

    QString m_appDir; // absolute, cleaned, without a trailing '/'
    bool m_logging;
    ProgramRunner m_runProgram;
    Sleeper m_sleep;
    MacroExpander m_expandMacros;
    UpdateJournal m_journal;
    std::function<void(int)> m_placedHandler;
    QStringList m_openLists; // ".INF" files being read, to stop lists that include themselves
};

} // namespace helper
