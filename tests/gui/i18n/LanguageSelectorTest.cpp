#include "i18n/LanguageSelector.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using i18n::SelectLanguage;
using i18n::TfrmLanguageSelector;

namespace {

QColor textColor(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

// Runs action on the language dialog once its modal loop is running.
void whenDialogShows(std::function<void(TfrmLanguageSelector*)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<TfrmLanguageSelector*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        action(dialog);
    });
}

bool anySelectorAlive()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<TfrmLanguageSelector*>(widget))
            return true;
    return false;
}

} // namespace

TEST(LanguageSelector, EachLanguageLabelYieldsItsCodeAndNothingElseCloses)
{
    for (const auto& [name, code] : {std::pair{"Label3", "en"}, {"Label4", "de"}, {"Label2", "tr"}}) {
        QPointer<TfrmLanguageSelector> dialog = new TfrmLanguageSelector;
        dialog->show();
        EXPECT_EQ(dialog->size(), QSize(346, 286));
        EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
        for (QLabel* inert : {dialog->Label5, dialog->Label6, dialog->Label1})
            QTest::mouseClick(inert, Qt::LeftButton);
        ASSERT_TRUE(dialog->isVisible());
        ASSERT_TRUE(dialog->SelectedLanguage.isEmpty());

        QTest::mouseClick(dialog->findChild<QLabel*>(name), Qt::LeftButton);
        ASSERT_FALSE(dialog.isNull());
        EXPECT_EQ(dialog->SelectedLanguage, code);
        EXPECT_EQ(dialog->result(), 1);
        delete dialog.data();
    }
}

// A borderless dialog has no frame for Qt to allow for: it stands exactly in the middle of the screen. It comes
// before the main window is shown, so closing it is not closing the application's last window.
TEST(LanguageSelector, StandsExactlyInTheMiddleOfTheScreen)
{
    QPointer<TfrmLanguageSelector> dialog = new TfrmLanguageSelector;
    dialog->show();
    const QRect screen = dialog->screen()->geometry();
    EXPECT_EQ(dialog->frameGeometry(),
              QRect(screen.x() + (screen.width() - 346) / 2, screen.y() + (screen.height() - 286) / 2, 346, 286));
    EXPECT_FALSE(dialog->testAttribute(Qt::WA_QuitOnClose));
    delete dialog.data();
}

TEST(LanguageSelector, HoverTurnsRedAndLeavingTurnsBlack)
{
    TfrmLanguageSelector dialog;
    // Make the window-text colour differ from black, so leaving visibly does not restore it.
    QPalette palette = dialog.Label4->palette();
    palette.setColor(QPalette::WindowText, Qt::darkBlue);
    dialog.Label4->setPalette(palette);

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(dialog.Label4, &enter);
    EXPECT_EQ(textColor(dialog.Label4), QColor(255, 0, 0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(dialog.Label4, &leave);
    EXPECT_EQ(textColor(dialog.Label4), QColor(0, 0, 0));
    // The prompt keeps its grey.
    QApplication::sendEvent(dialog.Label1, &enter);
    EXPECT_EQ(textColor(dialog.Label1), QColor(0x5C, 0x5C, 0x5C));
}

TEST(LanguageSelector, SelectLanguageGivesTheChoiceOrNothingAndFreesTheDialog)
{
    whenDialogShows([](TfrmLanguageSelector* dialog) { dialog->close(); });
    EXPECT_EQ(SelectLanguage(), "");
    EXPECT_FALSE(anySelectorAlive());

    whenDialogShows([](TfrmLanguageSelector* dialog) { QTest::mouseClick(dialog->Label2, Qt::LeftButton); });
    EXPECT_EQ(SelectLanguage(), "tr");
    EXPECT_FALSE(anySelectorAlive());
}
