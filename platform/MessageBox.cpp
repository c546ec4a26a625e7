#include "platform/MessageBox.h"

#include <QMessageBox>

namespace platform {

namespace {
BoxHandler& handler()
{
    static BoxHandler h;
    return h;
}

QMessageBox::Icon toQt(BoxIcon icon)
{
    switch (icon) {
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void showMessageBox(const BoxRequest& request)
{
    if (handler()) {
        handler()(request);
        return;
    }
    QMessageBox box(toQt(request.icon), request.caption, request.text, QMessageBox::Ok, request.parent);
    box.exec();
}

void setMessageBoxHandler(BoxHandler h) { handler() = std::move(h); }

} // namespace platform
