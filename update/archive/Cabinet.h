#pragma once

#include <QString>
#include <QStringList>

// Microsoft cabinet (.CAB) unpacking through libmspack.
namespace archive {

// Writes every file of the cabinet below targetDir (empty: the current directory), creating the
// directories the entries name and giving each file the time stored in the cabinet. Entries whose
// names hold "..", an absolute path or a drive are refused: the whole unpacking then fails before
// anything is written. False (and error set when given) on any failure.
bool extractCabinet(const QString& cab, const QString& targetDir, QString* error);

// The names of the cabinet's files as extractCabinet would write them below its target ("/" as separator); empty
// when the file is not a readable cabinet.
QStringList cabinetEntries(const QString& cab);

} // namespace archive
