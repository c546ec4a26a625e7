#include "update/wizard/UpdateQuestion.h"

#include "update/TWebUpdate.h"
#include "update/wizard/TLoginForm.h"
#include "widgets/MessageBox.h"

#include <QMutex>

using update::DialogIcon;
using update::Message;
using update::Question;
using update::QuestionHandler;
using update::TWebUpdate;

namespace wizard {

namespace {
QMutex handlerMutex;
QuestionHandler& installedHandler()
{
    static QuestionHandler handler;
    return handler;
}

widgets::BoxIcon toBoxIcon(DialogIcon icon)
{
    switch (icon) {
    case DialogIcon::Information:
        return widgets::BoxIcon::Information;
    case DialogIcon::Error:
        return widgets::BoxIcon::Error;
    case DialogIcon::Question:
        return widgets::BoxIcon::Question;
    }
    return widgets::BoxIcon::None;
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
    return widgets::showYesNoBox({nullptr, question.caption, question.text, toBoxIcon(question.icon)});
}

void setQuestionHandler(QuestionHandler handler)
{
    QMutexLocker lock(&handlerMutex);
    installedHandler() = std::move(handler);
}

void showEngineMessage(const Message& message)
{
    widgets::showMessageBox({nullptr, message.caption, message.text, toBoxIcon(message.icon)});
}

void supplyEngineDialogs(TWebUpdate& engine)
{
    if (!engine.showMessage)
        engine.showMessage = &showEngineMessage;
    if (!engine.askQuestion)
        engine.askQuestion = &askYesNo;
    if (!engine.loginPrompt)
        engine.loginPrompt = &TLoginForm::ask;
}

} // namespace wizard
