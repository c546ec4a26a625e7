#pragma once

#include <QString>

#include <functional>

class QWidget;

// Every message box of the program goes through here, so that tests can see
// them without a modal loop.
namespace widgets {

enum class BoxIcon
{
    None,
    Information,
    Warning,
    Error,
    Question
};

struct BoxRequest
{
    QWidget* parent = nullptr;
    QString caption;
    QString text;
    BoxIcon icon = BoxIcon::None;
};

// Shows a modal box with a single OK button (or the installed handler's stand-in).
void showMessageBox(const BoxRequest& request);

// Shows a modal box with Yes and No buttons; true on Yes. Callers that need a replaceable answer wrap it.
bool showYesNoBox(const BoxRequest& request);

// Replaces the real box; pass an empty function to restore it. Used by tests.
using BoxHandler = std::function<void(const BoxRequest&)>;
void setMessageBoxHandler(BoxHandler handler);

} // namespace widgets
