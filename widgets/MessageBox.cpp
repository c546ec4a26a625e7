#include "widgets/MessageBox.h"

#include <QMessageBox>

namespace widgets {

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

bool showYesNoBox(const BoxRequest& request)
{
    QMessageBox box(toQt(request.icon), request.caption, request.text, QMessageBox::Yes | QMessageBox::No,
                    request.parent);
    return box.exec() == QMessageBox::Yes;
}

void setMessageBoxHandler(BoxHandler h)
{
    handler() = std::move(h);
}

} // namespace widgets
