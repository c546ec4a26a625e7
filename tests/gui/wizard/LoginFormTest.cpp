#include "update/wizard/TLoginForm.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using wizard::TLoginForm;

// The login dialog on the offscreen platform: its layout rules and that only OK hands back the entries.
TEST(TLoginForm, EntriesOnlyOnOk)
{
    int argc = 1;
    char name[] = "update_unit_test";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> app;
    if (!QApplication::instance())
        app = std::make_unique<QApplication>(argc, argv);

    TLoginForm form("Connect to update.velkorn.example");
    EXPECT_EQ(form.size(), QSize(328, 223));
    EXPECT_EQ(form.windowTitle(), "Connect to update.velkorn.example");
    auto* user = form.findChild<QLineEdit*>("edtUserName");
    auto* password = form.findChild<QLineEdit*>("edtPassword");
    ASSERT_TRUE(user && password);
    EXPECT_TRUE(user->text().isEmpty() && password->text().isEmpty());
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(form.findChild<QPushButton*>("btnOK")->isDefault());

    auto answer = [](const char* button) {
        QTimer::singleShot(0, [button] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* form = qobject_cast<TLoginForm*>(w); form && form->isVisible()) {
                    form->findChild<QLineEdit*>("edtUserName")->setText("update");
                    form->findChild<QLineEdit*>("edtPassword")->setText("refreshx");
                    form->findChild<QPushButton*>(button)->click();
                }
        });
    };
    QString u = "unchanged", p = "unchanged";
    answer("btnCancel");
    EXPECT_FALSE(TLoginForm::ask("x", u, p));
    EXPECT_EQ(u, "unchanged");
    answer("btnOK");
    EXPECT_TRUE(TLoginForm::ask("x", u, p));
    EXPECT_EQ(u, "update");
    EXPECT_EQ(p, "refreshx");
}
