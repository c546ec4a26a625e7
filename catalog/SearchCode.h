#pragma once

#include <QString>

namespace catalog {

// The searchable form of a code: without blanks, '.', ',', '-' and '/', letters A-Z in lower case. Every other
// character (accented and Turkish letters, '%', '_') stays as it is.
QString normaliseSearchText(const QString& text);

// The LIKE pattern for a normalised search text: "%" + text + "%". '%' and '_' keep their wildcard meaning.
QString searchPattern(const QString& normalisedText);

} // namespace catalog
