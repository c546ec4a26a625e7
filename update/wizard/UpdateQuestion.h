#pragma once

#include "update/EngineDialogs.h"

namespace update {
class TWebUpdate;
} // namespace update

// The engine's dialogs as windows: questions in a Yes/No box, messages through widgets::showMessageBox, the
// credentials in TLoginForm. The question box goes through one replaceable function so that tests and the
// unattended run answer without a modal loop.
namespace wizard {

// True when the user answers Yes.
bool askYesNo(const update::Question& question);

// Replaces the real question box; an empty function restores it.
void setQuestionHandler(update::QuestionHandler handler);

// Shows an engine message as a message box.
void showEngineMessage(const update::Message& message);

// Gives the engine these windows for every dialog handler it has not been given yet. On the main thread.
void supplyEngineDialogs(update::TWebUpdate& engine);

} // namespace wizard
