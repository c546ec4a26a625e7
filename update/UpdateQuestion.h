#pragma once

#include "platform/MessageBox.h"

#include <QString>

#include <functional>

// The engine's yes/no questions. They go through one replaceable function so that tests can answer them
// without a modal loop; plain information boxes go through platform::showMessageBox.
namespace update {

struct Question
{
    QString caption;
    QString text;
    platform::BoxIcon icon = platform::BoxIcon::Question;
};

// True when the user answers Yes.
bool askYesNo(const Question& question);

// Replaces the real question box; an empty function restores it.
using QuestionHandler = std::function<bool(const Question&)>;
void setQuestionHandler(QuestionHandler handler);

} // namespace update
