#include "update/UpdateQuestion.h"

#include <QMessageBox>
#include <QMutex>

namespace update {

namespace {
QMutex handlerMutex;
QuestionHandler& installedHandler()
{
    static QuestionHandler handler;
    return handler;
}

QMessageBox::Icon toIcon(platform::BoxIcon icon)
{
    switch (icon) {
    case platform::BoxIcon::Information:
        return QMessageBox::Information;
    case platform::BoxIcon::Warning:
        return QMessageBox::Warning;
    case platform::BoxIcon::Error:
        return QMessageBox::Critical;
    case platform::BoxIcon::Question:
        return QMessageBox::Question;
    case platform::BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

bool askYesNo(const Question& question)
{
    QuestionHandler handler;
    {
        QMutexLocker lock(&handlerMutex);
        handler = installedHandler();
    }
    if (handler)
        return handler(question);
    QMessageBox box(toIcon(question.icon), question.caption, question.text, QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void setQuestionHandler(QuestionHandler handler)
{
    QMutexLocker lock(&handlerMutex);
    installedHandler() = std::move(handler);
}

} // namespace update
