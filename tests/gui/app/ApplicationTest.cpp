#include "i18n/SilentCancel.h"
#include "widgets/MessageBox.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

using i18n::SilentCancel;

namespace {

class ThrowingObject : public QObject
{
public:
    std::function<void()> onEvent;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            onEvent();
        return QObject::event(e);
    }
};

// The event loop is the one place that drops a silent cancellation and reports any other failure of a handler,
// so that neither ends the program.
TEST(VelkornApplication, DropsSilentCancellationAndReportsOtherFailures)
{
    QList<widgets::BoxRequest> boxes;
    widgets::setMessageBoxHandler([&](const widgets::BoxRequest& r) { boxes.append(r); });
    ThrowingObject object;

    object.onEvent = [] { throw SilentCancel{}; };
    QEvent cancel(QEvent::User);
    QCoreApplication::sendEvent(&object, &cancel);
    EXPECT_TRUE(boxes.isEmpty());

    object.onEvent = [] { throw std::runtime_error("Unable to write to /x/en.lng"); };
    QEvent failure(QEvent::User);
    QCoreApplication::sendEvent(&object, &failure);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].text, "Unable to write to /x/en.lng");
    EXPECT_EQ(boxes[0].icon, widgets::BoxIcon::Error);
    widgets::setMessageBoxHandler({});
}

} // namespace
