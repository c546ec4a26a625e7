#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace datasheet {

// The message keys that came with the measurement page and the datasheet, with their texts built into the
// program. Language files written before them lack the keys; lookups then fall back on these, so such files stay
// valid. `languageCode` is "tr", "en" or "de"; any other gives the English text.
QString builtInText(const QString& languageCode, const QString& key);
// Every such key, in the order the language files list them.
QStringList addedKeys();

// Message lookup that answers an added key from the built-in texts when the file lacks it ("ERROR").
using MessageLookup = std::function<QString(const QString&)>;
MessageLookup withBuiltInTexts(MessageLookup msg, const QString& languageCode);
// The same for a language that is chosen later (the window's, at start-up).
MessageLookup withBuiltInTexts(MessageLookup msg, std::function<QString()> languageCode);

} // namespace datasheet
