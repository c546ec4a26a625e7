#pragma once

#include <QDialog>

class QLineEdit;

namespace wizard {

// The small dialog in which the user gives the update server's user name and password.
class TLoginForm : public QDialog
{
    Q_OBJECT
public:
    explicit TLoginForm(const QString& caption, QWidget* parent = nullptr);

    QString userName() const;
    QString password() const;

    // Shows the dialog modally; true (and the two entries) when the user pressed OK.
    static bool ask(const QString& caption, QString& user, QString& password);

private:
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
};

} // namespace wizard
