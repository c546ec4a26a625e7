#pragma once

#include <QString>

#include <functional>

namespace app {

class CodeSuggestions;
class MainWindowLayout;
class MeasurePresenter;

// Gives the window's controls the names and descriptions that a screen reader reads, in the chosen language: the
// picture buttons, which show no text of their own, the search boxes, the lists, the item's pictures, the
// measurement form and the drop-down. Start-up calls it whenever it sets the captions. `text` answers every key,
// with the built-in texts standing in for keys a language file lacks.
void applyAccessibleTexts(const MainWindowLayout& layout, const MeasurePresenter& measure, CodeSuggestions* suggestions,
                          const std::function<QString(const char*)>& text);

} // namespace app
