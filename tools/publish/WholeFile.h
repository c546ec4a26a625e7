#pragma once

#include <QByteArray>
#include <QString>

// A published file is only ever replaced by a whole new one (written aside, then renamed over it), so that a
// download that has the old one open keeps it whole and none sees half of the new one. False when it failed; the
// published file is then as it was.
bool writeWhole(const QString& path, const QByteArray& bytes);
bool copyWhole(const QString& from, const QString& to);
