#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace i18n {

// Message keys that came after the first language files carry a text built into the program in each language.
// A language file written before such a key answers "ERROR" for it (or holds it empty); the lookup then falls back
// on the built-in text of the chosen language, so older files stay valid. Keys of the first files have no built-in
// text: for them a missing entry still reads "ERROR".

// The built-in text of `key` in `languageCode` ("tr", "en" or "de"; any other gives English); a null string for
// a key without one.
QString builtInText(const QString& languageCode, const QString& key);
// Every key with a built-in text, in the order the language files list them.
QStringList builtInKeys();

// What message lookup answered for `key`, or the built-in text when the answer is "ERROR" or empty and the key has
// one.
QString withBuiltInText(const QString& looked, const QString& languageCode, const QString& key);

using MessageLookup = std::function<QString(const QString&)>;
// A lookup that falls back on the built-in texts. `languageCode` may be asked later, at each lookup (the window's
// language is chosen at start-up).
MessageLookup withBuiltInTexts(MessageLookup msg, const QString& languageCode);
MessageLookup withBuiltInTexts(MessageLookup msg, std::function<QString()> languageCode);

} // namespace i18n
