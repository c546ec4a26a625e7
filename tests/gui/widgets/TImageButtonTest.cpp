#include "TestPictures.h"

#include "widgets/PictureData.h"
#include "widgets/TImageButton.h"

#include <QAccessible>
#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace testpictures;
using widgets::PictureLoadError;
using widgets::TImageButton;
using Shown = TImageButton::Shown;

namespace {

// Each picture has its own size and colour, so the shown picture can be told from the button's size.
class ImageButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&button, &TImageButton::OnClick, [this](QObject* sender) { clicks.append(sender); });
    }

    void setAll()
    {
        button.setBitmap(bmpBytes(solidImage(20, 10, Qt::red)));
        button.setBitmapOver(bmpBytes(solidImage(22, 12, Qt::green)));
        button.setBitmapDown(bmpBytes(solidImage(18, 8, Qt::black)));
        button.setBitmapUp(bmpBytes(solidImage(24, 14, Qt::yellow)));
        button.setBitmapDisabled(bmpBytes(solidImage(16, 16, Qt::gray)));
    }

    void enter()
    {
        QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&button, &event);
    }

    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&button, &event);
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton which = Qt::LeftButton)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(which) : Qt::NoButton;
        QMouseEvent event(type, at, button.mapToGlobal(at), which, held, Qt::NoModifier);
        QApplication::sendEvent(&button, &event);
    }

    void click(QPoint releaseAt = QPoint(2, 2), Qt::MouseButton which = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonPress, QPoint(2, 2), which);
        mouse(QEvent::MouseButtonRelease, releaseAt, which);
    }

    TImageButton button;
    QList<QObject*> clicks;
};

} // namespace

TEST_F(ImageButtonTest, DefaultsAndNormalPicture)
{
    EXPECT_EQ(button.size(), QSize(50, 50));
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(button.shown(), Shown::None);
    button.setBitmap(bmpBytes(solidImage(20, 10, Qt::red)));
    EXPECT_EQ(button.shown(), Shown::Normal);
    EXPECT_EQ(button.size(), QSize(20, 10));
    EXPECT_EQ(QColor(render(button).pixel(19, 9)), QColor(Qt::red));
    EXPECT_THROW(button.setBitmapOver("not a picture"), PictureLoadError);
}

TEST_F(ImageButtonTest, PointerOverAndAway)
{
    setAll();
    enter();
    EXPECT_EQ(button.shown(), Shown::Over);
    EXPECT_EQ(button.size(), QSize(22, 12));
    EXPECT_EQ(QColor(render(button).pixel(21, 11)), QColor(Qt::green));
    leave();
    EXPECT_EQ(button.shown(), Shown::Normal);
    EXPECT_EQ(button.size(), QSize(20, 10));
}

TEST_F(ImageButtonTest, NoOverPictureKeepsTheNormalOne)
{
    button.setBitmap(bmpBytes(solidImage(20, 10, Qt::red)));
    enter();
    EXPECT_EQ(button.shown(), Shown::Normal);
    EXPECT_EQ(button.size(), QSize(20, 10));
    EXPECT_EQ(QColor(render(button).pixel(5, 5)), QColor(Qt::red));
}

TEST_F(ImageButtonTest, PressAndRelease)
{
    setAll();
    enter();
    mouse(QEvent::MouseButtonPress, QPoint(3, 3));
    EXPECT_EQ(button.shown(), Shown::Down);
    EXPECT_EQ(button.size(), QSize(18, 8));
    EXPECT_TRUE(clicks.isEmpty());
    mouse(QEvent::MouseButtonRelease, QPoint(3, 3));
    EXPECT_EQ(button.shown(), Shown::Up);
    EXPECT_EQ(button.size(), QSize(24, 14));
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0], &button);

    // Released away from the button: the normal picture, and no click.
    click(QPoint(200, 200));
    EXPECT_EQ(button.shown(), Shown::Normal);
    EXPECT_EQ(button.size(), QSize(20, 10));
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(ImageButtonTest, ReleaseWithoutUpPicture)
{
    button.setBitmap(bmpBytes(solidImage(20, 10, Qt::red)));
    button.setBitmapOver(bmpBytes(solidImage(20, 10, Qt::green)));
    button.setBitmapDown(bmpBytes(solidImage(20, 10, Qt::black)));
    enter();
    click();
    EXPECT_EQ(button.shown(), Shown::Over); // still under the pointer
    EXPECT_EQ(clicks.size(), 1);
    click(QPoint(-5, 3));
    EXPECT_EQ(button.shown(), Shown::Normal);
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(ImageButtonTest, OtherButtonsAreIgnored)
{
    setAll();
    click(QPoint(2, 2), Qt::RightButton);
    click(QPoint(2, 2), Qt::MiddleButton);
    EXPECT_EQ(button.shown(), Shown::Normal);
    EXPECT_TRUE(clicks.isEmpty());
}

TEST_F(ImageButtonTest, DisabledButton)
{
    setAll();
    button.setEnabled(false);
    EXPECT_EQ(button.size(), QSize(16, 16));
    EXPECT_EQ(QColor(render(button).pixel(15, 15)), QColor(Qt::gray));

    enter();
    click();
    leave();
    EXPECT_EQ(button.shown(), Shown::Normal);
    EXPECT_EQ(button.size(), QSize(16, 16));
    EXPECT_TRUE(clicks.isEmpty());

    button.setEnabled(true);
    EXPECT_EQ(button.size(), QSize(20, 10));
    enter();
    click();
    EXPECT_EQ(clicks.size(), 1);
}

TEST_F(ImageButtonTest, DisabledWithoutDisabledPicture)
{
    button.setBitmap(bmpBytes(solidImage(20, 10, Qt::red)));
    button.setBitmapOver(bmpBytes(solidImage(22, 12, Qt::green)));
    enter();
    button.setEnabled(false);
    leave();
    EXPECT_EQ(button.shown(), Shown::Over);
    EXPECT_EQ(button.size(), QSize(22, 12));
    EXPECT_EQ(QColor(render(button).pixel(1, 1)), QColor(Qt::green));
}

// A screen reader sees a push button with the owner's name and description; its press action clicks an enabled
// button only.
TEST_F(ImageButtonTest, ScreenReadersSeeAPushButton)
{
    button.setBitmap(bmpBytes(solidImage(20, 10, Qt::red)));
    button.setAccessibleName(QStringLiteral("Nächster Artikel"));
    button.setAccessibleDescription(QStringLiteral("Zeigt den nächsten Artikel"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&button);
    ASSERT_TRUE(accessible);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Nächster Artikel"));
    EXPECT_EQ(accessible->text(QAccessible::Description), QStringLiteral("Zeigt den nächsten Artikel"));
    QAccessibleActionInterface* actions = accessible->actionInterface();
    ASSERT_TRUE(actions);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, QList<QObject*>{&button});

    button.setEnabled(false);
    EXPECT_TRUE(accessible->state().disabled);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks.size(), 1);
}
