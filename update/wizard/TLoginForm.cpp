#include "update/wizard/TLoginForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace wizard {

namespace {

// The banner: keys on a blue gradient, drawn here rather than shipped as a picture.
QPixmap banner()
{
    QPixmap pix(320, 60);
    QPainter p(&pix);
    QLinearGradient g(0, 0, 320, 0);
    g.setColorAt(0, QColor(0, 32, 128));
    g.setColorAt(1, QColor(96, 160, 255));
    p.fillRect(pix.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 220, 80), 3));
    for (int i = 0; i < 3; ++i) {
        const int x = 200 + i * 38, y = 14 + (i % 2) * 10;
        p.drawEllipse(QPoint(x, y + 10), 8, 8);
        p.drawLine(x + 8, y + 10, x + 30, y + 10);
        p.drawLine(x + 24, y + 10, x + 24, y + 17);
        p.drawLine(x + 29, y + 10, x + 29, y + 15);
    }
    return pix;
}

} // namespace

TLoginForm::TLoginForm(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setObjectName("LoginForm");
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(328, 223);

    auto* picture = new QLabel(this);
    picture->setPixmap(banner());
    picture->setGeometry(4, 4, 320, 60);

    auto* userLabel = new QLabel(tr("&User name: "), this);
    userLabel->setGeometry(16, 84, 100, 21);
    m_user = new QLineEdit(this);
    m_user->setObjectName("edtUserName");
    m_user->setGeometry(120, 84, 190, 21);
    userLabel->setBuddy(m_user);

    auto* passwordLabel = new QLabel(tr("&Password:"), this);
    passwordLabel->setGeometry(16, 116, 100, 21);
    m_password = new QLineEdit(this);
    m_password->setObjectName("edtPassword");
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setGeometry(120, 116, 190, 21);
    passwordLabel->setBuddy(m_password);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("btnOK");
    ok->setDefault(true);
    ok->setGeometry(150, 170, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName("btnCancel");
    cancel->setGeometry(235, 170, 75, 25);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QString TLoginForm::userName() const
{
    return m_user->text();
}

QString TLoginForm::password() const
{
    return m_password->text();
}

bool TLoginForm::ask(const QString& caption, QString& user, QString& password)
{
    TLoginForm form(caption);
    if (form.exec() != QDialog::Accepted)
        return false;
    user = form.userName();
    password = form.password();
    return true;
}

} // namespace wizard
