#pragma once

#include <QString>

#include <QVariant>

namespace catalog {

// Declared length of ITEM_CODE.SEARCH_CODE (catalog/schema.sql).
constexpr int kSearchCodeLength = 64;
// Length of the search statement's parameter; any pattern searchParameter returns fits it.
constexpr int kSearchParameterLength = 2 * kSearchCodeLength + 1;

// The searchable form of a code: without blanks, '.', ',', '-' and '/', letters A-Z in lower case. Every other
// character (accented and Turkish letters, '%', '_') stays as it is.
QString normaliseSearchText(const QString& text);

// The LIKE pattern for a normalised search text: "%" + text + "%". '%' and '_' keep their wildcard meaning.
QString searchPattern(const QString& normalisedText);

// The value to bind for a search pattern: runs of '%' become one (same matches); a pattern with more single
// characters than a search code can hold becomes NULL, which matches nothing, as the pattern would.
QVariant searchParameter(const QString& pattern);

} // namespace catalog
