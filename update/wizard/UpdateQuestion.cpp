#include "update/wizard/UpdateQuestion.h"

#include "update/TWebUpdate.h"
#include "update/wizard/TLoginForm.h"
#include "widgets/MessageBox.h"

#include <QMutex>

namespace update {

namespace {
QMutex handlerMutex;
QuestionHandler& installedHandler()
{
    static QuestionHandler handler;
    return handler;
}

platform::BoxIcon toBoxIcon(DialogIcon icon)
{
    switch (icon) {
    case DialogIcon::Information:
        return platform::BoxIcon::Information;
    case DialogIcon::Error:
        return platform::BoxIcon::Error;
    case DialogIcon::Question:
        return platform::BoxIcon::Question;
    }
    return platform::BoxIcon::None;
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
    return platform::showYesNoBox({nullptr, question.caption, question.text, toBoxIcon(question.icon)});
}

void setQuestionHandler(QuestionHandler handler)
{
    QMutexLocker lock(&handlerMutex);
    installedHandler() = std::move(handler);
}

void showEngineMessage(const Message& message)
{
    platform::showMessageBox({nullptr, message.caption, message.text, toBoxIcon(message.icon)});
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

} // namespace update
