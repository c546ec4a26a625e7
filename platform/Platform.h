#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QUrl;

// The few operating-system calls the catalog makes, kept in one place so that a
// Windows build only has to replace Platform.cpp.
namespace platform {

// Directory of the running executable, with a trailing '/'.
QString executableDir();

// The running program's file, as this process was started from it.
QString executablePath();

// True while `path` names the very file this process runs from, not another one put in its place since.
bool isRunningImage(const QString& path);

// Replaces this process by `program` with the given arguments (the first is the program's name); the process id
// stays. Returns only when that failed.
void replaceProcess(const QString& program, const QStringList& arguments);

// Process id of this process.
qint64 currentProcessId();

// True while a process with this id exists.
bool processExists(qint64 pid);

// Starts a program without waiting, in its own session so that it outlives us.
bool startDetached(const QString& program, const QStringList& arguments, const QString& workingDir = {});

// Asks the desktop to open an address or a file with its default program ("shell open"): through the opener that
// the windowed program installs, otherwise through xdg-open.
bool openWithDesktop(const QString& urlOrPath);
// Replaces the way openWithDesktop opens; an empty function restores xdg-open.
using DesktopOpener = std::function<bool(const QUrl& url)>;
void setDesktopOpener(DesktopOpener opener);

// The directory for temporary files, with a trailing '/'.
QString tempDir();

// Directories that stand for the Windows, system and program-files folders here.
QString windowsDir();
QString systemDir();
QString programFilesDir();

} // namespace platform
