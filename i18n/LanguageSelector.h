#pragma once

#include <QDialog>
#include <QString>

class QLabel;
namespace widgets {
class TWallPaper;
} // namespace widgets

namespace i18n {

// The borderless dialog that asks for the interface language at every start. Its
// texts are fixed; each language label carries its Language code as its hint (the
// tool tip, never shown).
class TfrmLanguageSelector : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmLanguageSelector(QWidget* parent = nullptr);

    // The chosen Language code; empty until a language label is clicked.
    QString SelectedLanguage;

    widgets::TWallPaper* WallPaper1;
    QLabel* Label2; // "Türkçe", tr
    QLabel* Label3; // "English", en
    QLabel* Label4; // "Deutch", de
    QLabel* Label5; // separator
    QLabel* Label6; // separator
    QLabel* Label1; // prompt

    // Click on a language label: take its code and end the dialog with result 1.
    void Button1Click(QObject* sender);
    void Label1MouseEnter(QObject* sender);
    void Label1MouseLeave(QObject* sender);
    void FormClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

// Shows a fresh dialog modally; the chosen code ("en", "de", "tr") or empty when the
// dialog was closed without a choice.
QString SelectLanguage();

} // namespace i18n
