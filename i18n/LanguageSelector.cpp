#include "i18n/LanguageSelector.h"

#include "widgets/PictureData.h"
#include "widgets/TWallPaper.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

using widgets::PictureLoadError;
using widgets::readResource;
using widgets::TWallPaper;

namespace i18n {

namespace {

const QString kBackground = QStringLiteral(":/art/languageBg.jpg");

// Verdana and MS Sans Serif are Windows fonts; DejaVu Sans stands in where they are missing.
QFont windowsFont(const QString& family, int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({family, QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(font);
    label->setAutoFillBackground(false); // the picture shows through
    return label;
}

} // namespace

TfrmLanguageSelector::TfrmLanguageSelector(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmLanguageSelector"));
    setWindowTitle(QStringLiteral("velkorn"));
    setFont(windowsFont(QStringLiteral("MS Sans Serif"), 11, false));
    setFixedSize(346, 286);
    // A closed dialog is never reused.
    setAttribute(Qt::WA_DeleteOnClose);
    // It comes before the main window is on the screen; closing it must not count as closing the last window.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Placed by hand, now that its size is final: Qt's own placement of a parentless dialog guesses a window frame
    // (10 by 40 pixels) that a borderless window does not have.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    WallPaper1 = new TWallPaper(this);
    WallPaper1->setObjectName(QStringLiteral("WallPaper1"));
    WallPaper1->setGeometry(0, 0, 346, 286);
    WallPaper1->setImagePosition(TWallPaper::ipTopLeft);
    if (QFile::exists(kBackground)) {
        try {
            WallPaper1->setAdvImage(readResource(kBackground));
        } catch (const PictureLoadError&) {
            // A broken background leaves the dialog plain; the choice still works.
        }
    }

    const QFont row = windowsFont(QStringLiteral("Verdana"), 13, true);
    Label2 = makeLabel(WallPaper1, "Label2", QStringLiteral("Türkçe"), {229, 246, 48, 16}, row);
    Label3 = makeLabel(WallPaper1, "Label3", QStringLiteral("English"), {68, 246, 52, 16}, row);
    Label4 = makeLabel(WallPaper1, "Label4", QStringLiteral("Deutch"), {148, 246, 51, 16}, row);
    Label5 = makeLabel(WallPaper1, "Label5", QStringLiteral("|"), {132, 246, 8, 16}, row);
    Label6 = makeLabel(WallPaper1, "Label6", QStringLiteral("|"), {212, 246, 8, 16}, row);
    Label1 = makeLabel(WallPaper1, "Label1", QStringLiteral("Please select your interface language"),
                       {69, 222, 214, 13}, windowsFont(QStringLiteral("Verdana"), 11, false));
    setTextColor(Label1, QColor(0x5C, 0x5C, 0x5C));

    const std::pair<QLabel*, const char*> languages[] = {{Label2, "tr"}, {Label3, "en"}, {Label4, "de"}};
    for (const auto& [label, code] : languages) {
        label->setToolTip(QLatin1String(code));
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }
}

bool TfrmLanguageSelector::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip:
        return true; // the hint holds the code, not a text for the user
    case QEvent::Enter:
        Label1MouseEnter(watched);
        break;
    case QEvent::Leave:
        Label1MouseLeave(watched);
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            Button1Click(watched);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmLanguageSelector::Button1Click(QObject* sender)
{
    SelectedLanguage = static_cast<QWidget*>(sender)->toolTip();
    done(1);
}

void TfrmLanguageSelector::Label1MouseEnter(QObject* sender)
{
    setTextColor(static_cast<QLabel*>(sender), Qt::red);
}

void TfrmLanguageSelector::Label1MouseLeave(QObject* sender)
{
    setTextColor(static_cast<QLabel*>(sender), Qt::black);
}

void TfrmLanguageSelector::FormClose()
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void TfrmLanguageSelector::closeEvent(QCloseEvent* event)
{
    FormClose();
    QDialog::closeEvent(event);
}

QString SelectLanguage()
{
    QPointer<TfrmLanguageSelector> dialog = new TfrmLanguageSelector;
    QString chosen;
    // The dialog frees itself as its modal loop ends, so the code is taken as it finishes.
    QObject::connect(dialog, &QDialog::finished, dialog, [&chosen, &dialog](int result) {
        if (result == 1)
            chosen = dialog->SelectedLanguage;
    });
    dialog->exec();
    // Should it outlive its loop, it goes now, so that the caller's walk over the
    // application's forms does not meet it.
    delete dialog.data();
    return chosen;
}

} // namespace i18n
