#pragma once

#include <QString>

class QWidget;

// Texts and rules shared by the two language components.
namespace i18n {

inline const QString kFileNotPreset = QStringLiteral("ERROR!!!\r\nFile not preset!");
inline const QString kFileNotFound = QStringLiteral("WARNING!!!\r\n Language File Not Found! Its now creating a new!");

// Application directory + the file-name part of value (any directory in it is dropped);
// empty when value names no file.
QString languageFileIn(const QString& applicationDir, const QString& value);

// The directory with exactly one trailing '/'.
QString withTrailingSlash(const QString& dir);

// True when the whole file can be read.
bool canReadWhole(const QString& path);

// A plain box with an OK button, captioned with the application's name.
void showPlainMessage(const QString& text);

} // namespace i18n
