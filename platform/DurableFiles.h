#pragma once

#include <QByteArray>
#include <QString>

// Writes that must survive a power cut. A record of an install is only worth keeping when it is on the disk before
// the change it announces is made, and a rename only counts once the folder that holds the name is on the disk too.
namespace platform {

// Appends the bytes to the file (made readable and writable by this user alone when missing) and returns once
// they are on the disk.
bool appendDurably(const QString& path, const QByteArray& bytes);

// Returns once the file's contents are on the disk.
bool syncFile(const QString& path);

// Returns once the folder's entries (names made, renamed or removed in it) are on the disk.
bool syncDirectory(const QString& dir);

// Makes the folder and any missing parents, each new one on the disk before this returns.
bool makeDurablePath(const QString& dir);

} // namespace platform
