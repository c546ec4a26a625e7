#pragma once

#include <QString>

#include <functional>

namespace app {

// Texts of the copy, export, sort, count, About and picture functions, the screen reader texts, the drop-down's
// last row and the notice of an interrupted update. Their keys come last in Project_Messages; a language file from
// before them answers "ERROR", and the English built-in text stands in.
QString extraText(const std::function<QString(const QString&)>& msg, const char* key);

// The built-in text of a key, empty for a key that has none.
QString builtInText(const char* key);

} // namespace app
