#pragma once

#include <QString>

namespace i18n {

class Language;

// Folder of the Application directory that holds Qt's own translation files (qtbase_de.qm, qtbase_tr.qm).
inline const QString QtTranslationsFolder = QStringLiteral("translations");

// Gives Qt's own texts (file and print dialogs, message box buttons) the chosen language, replacing the texts of an
// earlier call. The copy beside the program comes first, the system's Qt translations stand in. English is Qt's own
// language and needs no file. Returns false when no file could be loaded; Qt's dialogs then stay English.
bool installQtTranslations(const QString& applicationDir, const Language& language);

} // namespace i18n
