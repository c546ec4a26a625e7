#pragma once

#include <QByteArray>
#include <QString>

// Files that the program writes and later runs or trusts. A shared temporary folder lets another local
// user plant a file or a symbolic link under a predictable name first; these calls leave no such opening.
namespace platform {

// Makes a new folder of a fresh unique name that only this user can enter (mode 0700): inside
// $XDG_RUNTIME_DIR when that is a folder of this user that nobody else can enter, otherwise inside
// fallbackBase. Answers its path with a trailing '/', or empty when it cannot be made.
QString makePrivateDir(const QString& fallbackBase, const QString& prefix);

// A folder of this user under a lasting name that only this user can enter (mode 0700), made when missing:
// $XDG_RUNTIME_DIR/name when that is a private folder of this user, otherwise name in this user's cache folder.
// Answers its path with a trailing '/', or empty when it cannot be made or is a link, or someone else's, or open
// to others.
QString privateFolder(const QString& name);

// Creates the file with the bytes, readable and writable by this user only; fails when anything already
// exists under the name, a symbolic link included, so nothing is ever written through a planted link.
bool writeNewFile(const QString& path, const QByteArray& bytes);

// What readRegularFile found.
enum class FileRead
{
    Read,
    Missing,
    Link,     // a symbolic link, which is not followed
    NotAFile, // a folder, a device, a pipe
    TooLarge,
    Failed,
};

// Reads the regular file at path, at most maxSize bytes, without following a link at its last step: what is read is
// the file that lies there, and anything else is answered for what it is without being opened for reading.
FileRead readRegularFile(const QString& path, qint64 maxSize, QByteArray& bytes);

// Removes a folder made by makePrivateDir with the files directly in it (not following links).
void removePrivateDir(const QString& dir);

} // namespace platform
