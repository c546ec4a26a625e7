#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace helper {

// Installs the downloaded application components after the application has ended: "_NEW" files replace
// their originals, ".INF" lists name further components, ".CAB" files are unpacked, ".EXE" setup programs
// run, ".PAT" patches are noted (no patch utility is carried) and any other file is SZDD-expanded.
// Every name is relative to the application directory; names or targets that would reach outside it are
// refused and logged, the rest is processed all the same.
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

    // Processes one component; prefix is the destination directory ("" for the application directory).
    void process(const QString& name, const QString& prefix = QString());

    // Every file that a replacement overwrote is first kept in this folder (by its path below the application
    // directory), and the folder's "manifest" lists what the run changed, so that the run can be undone.
    QString backupDir() const { return m_appDir + QStringLiteral("/.update-backup"); }
    // Puts every kept file back and removes the files the run added; answers whether all of it worked. The
    // folder is removed afterwards.
    bool rollBack();
    // Forgets the kept files once the new version has come up.
    void discardBackup();

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
    // Keeps the file at destination in the backup folder (or notes that there was none); false when it could not.
    bool keepForRollBack(const QString& destination);
    void processList(const QString& name, const QString& source);
    void unpackCabinet(const QString& name, const QString& source, const QString& destDir, const QString& prefix);
    void runSetup(const QString& name, const QString& source, const QString& prefix);
    void expand(const QString& name, const QString& source, const QString& destDir, const QString& prefix);

    QString m_appDir; // absolute, cleaned, without a trailing '/'
    bool m_logging;
    ProgramRunner m_runProgram;
    Sleeper m_sleep;
    MacroExpander m_expandMacros;
    QStringList m_openLists; // ".INF" files being read, to stop lists that include themselves
};

} // namespace helper
