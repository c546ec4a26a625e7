#pragma once

#include <QString>

#include <functional>

// The engine's dialogs, as handlers that the wizard or the window supplies: the engine itself shows no window, so
// it runs on any thread and in programs without a screen.
namespace update {

enum class DialogIcon
{
    Information,
    Error,
    Question
};

// A box with a caption, a text and an icon: an information or error box, or a yes/no question.
struct Message
{
    QString caption;
    QString text;
    DialogIcon icon = DialogIcon::Information;
};
using Question = Message;

using MessageHandler = std::function<void(const Message&)>;
// True when the user answers Yes.
using QuestionHandler = std::function<bool(const Question&)>;
// Asks for the update server's user name and password; true (and the two entries) on OK.
using LoginHandler = std::function<bool(const QString& caption, QString& user, QString& password)>;

} // namespace update
