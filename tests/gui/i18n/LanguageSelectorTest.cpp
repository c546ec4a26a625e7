#include "i18n/LanguageSelector.h"

#include "widgets/TWallPaper.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

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

TEST(LanguageSelector, IsLaidOutAsTheBorderlessPictureDialog)
{
    TfrmLanguageSelector dialog;
    EXPECT_EQ(dialog.objectName(), "frmLanguageSelector");
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog.size(), QSize(346, 286));
    EXPECT_EQ(dialog.windowTitle(), "velkorn");
    EXPECT_EQ(dialog.WallPaper1->geometry(), QRect(0, 0, 346, 286));
    EXPECT_EQ(dialog.WallPaper1->imagePosition(), TWallPaper::ipTopLeft);

    QStringList order;
    for (QObject* child : dialog.WallPaper1->children())
        order << child->objectName();
    EXPECT_EQ(order, QStringList({"Label2", "Label3", "Label4", "Label5", "Label6", "Label1"}));

    struct Expected
    {
        QLabel* label;
        const char* text;
        const char* code;
        QRect geometry;
    };
    for (const Expected& e : {Expected{dialog.Label3, "English", "en", {68, 246, 52, 16}},
                              Expected{dialog.Label4, "Deutch", "de", {148, 246, 51, 16}},
                              Expected{dialog.Label2, "Türkçe", "tr", {229, 246, 48, 16}}}) {
        EXPECT_EQ(e.label->text(), QString::fromUtf8(e.text));
        EXPECT_EQ(e.label->toolTip(), e.code);
        EXPECT_EQ(e.label->geometry(), e.geometry);
        EXPECT_EQ(e.label->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(e.label->font().bold());
        EXPECT_EQ(e.label->font().pixelSize(), 13);
    }
    EXPECT_EQ(dialog.Label5->geometry(), QRect(132, 246, 8, 16));
    EXPECT_EQ(dialog.Label6->geometry(), QRect(212, 246, 8, 16));
    EXPECT_EQ(dialog.Label1->text(), "Please select your interface language");
    EXPECT_EQ(dialog.Label1->geometry(), QRect(69, 222, 214, 13));
    EXPECT_EQ(dialog.Label1->font().pixelSize(), 11);
    EXPECT_FALSE(dialog.Label1->font().bold());
    EXPECT_EQ(textColor(dialog.Label1), QColor(0x5C, 0x5C, 0x5C));
    EXPECT_EQ(dialog.Label1->cursor().shape(), Qt::ArrowCursor);
}

TEST(LanguageSelector, EachLanguageLabelYieldsItsCode)
{
    for (const auto& [name, code] : {std::pair{"Label3", "en"}, {"Label4", "de"}, {"Label2", "tr"}}) {
        QPointer<TfrmLanguageSelector> dialog = new TfrmLanguageSelector;
        dialog->show();
        QTest::mouseClick(dialog->findChild<QLabel*>(name), Qt::LeftButton);
        ASSERT_FALSE(dialog.isNull());
        EXPECT_EQ(dialog->SelectedLanguage, code);
        EXPECT_EQ(dialog->result(), 1);
        EXPECT_FALSE(dialog->isVisible());
        delete dialog.data();
    }
}

TEST(LanguageSelector, SeparatorsAndThePromptIgnoreClicks)
{
    TfrmLanguageSelector dialog;
    dialog.show();
    for (QLabel* label : {dialog.Label5, dialog.Label6, dialog.Label1})
        QTest::mouseClick(label, Qt::LeftButton);
    QTest::mouseClick(dialog.Label3, Qt::RightButton);
    EXPECT_TRUE(dialog.SelectedLanguage.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
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

    QApplication::sendEvent(dialog.Label1, &enter);
    EXPECT_EQ(textColor(dialog.Label1), QColor(0x5C, 0x5C, 0x5C));
}

TEST(LanguageSelector, SelectLanguageReturnsTheClickedCodeAndFreesTheDialog)
{
    whenDialogShows([](TfrmLanguageSelector* dialog) { QTest::mouseClick(dialog->Label4, Qt::LeftButton); });
    EXPECT_EQ(SelectLanguage(), "de");
    EXPECT_FALSE(anySelectorAlive());
}

TEST(LanguageSelector, ClosingWithoutAChoiceYieldsNothing)
{
    whenDialogShows([](TfrmLanguageSelector* dialog) { dialog->close(); });
    EXPECT_EQ(SelectLanguage(), "");
    EXPECT_FALSE(anySelectorAlive());

    // Each call builds a fresh dialog; nothing is remembered.
    whenDialogShows([](TfrmLanguageSelector* dialog) {
        EXPECT_TRUE(dialog->SelectedLanguage.isEmpty());
        QTest::mouseClick(dialog->Label2, Qt::LeftButton);
    });
    EXPECT_EQ(SelectLanguage(), "tr");
}
