// Shows the update wizard on one page in one language and keeps it open, so that a screenshot of the
// display can be taken (tests/gui/wizard/screens.sh). Not a test; built next to the wizard tests.
// Usage: wizard_screens en|de|tr PAGE   (PAGE 0..6, or 1x for the no-connection text)
#include "ScriptedEngine.h"
#include "update/wizard/TWUWIZ.h"
#include "update/wizard/TWebUpdateWizardEnglish.h"
#include "update/wizard/TWebUpdateWizardGerman.h"
#include "update/wizard/WizardTextSets.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QStackedWidget>

#include <memory>

using wizard::createUpdde;
using wizard::createUpden;
using wizard::createUpdtr;
using wizard::TWebUpdateWizardLanguage;
using wizard::TWUWIZ;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString lang = argc > 1 ? argv[1] : "en";
    const QString page = argc > 2 ? argv[2] : "0";

    QObject owner;
    TWebUpdateWizardLanguage* texts = lang == "de"   ? static_cast<TWebUpdateWizardLanguage*>(createUpdde(&owner))
                                      : lang == "tr" ? createUpdtr(&owner)
                                                     : createUpden(&owner);
    ScriptedEngine engine;
    engine.verdict = 11;
    engine.description = "Faster code search, new OEM lists.";
    engine.whatsNew = QStringList{"Version 2.1", "", "- Faster code search", "- New OEM code lists",
                                  "- Pictures for 40 more air springs"};
    engine.license = QStringList{"Velkorn catalog licence", "", "You may use this catalog to look up Velkorn parts."};
    engine.serverFiles = {ScriptedEngine::file("Velkorn catalog program", 900000, true),
                          ScriptedEngine::file("Catalog pictures", 400000),
                          ScriptedEngine::file("Installation manual", 120000)};
    if (page == "1x")
        engine.fetchControlFile = 1;

    TWUWIZ form;
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(12);
    font.setBold(true);
    form.setFont(font);
    form.applyTexts(*texts);
    form.engine = &engine;
    form.setWindowTitle(QString());
    form.move(20, 20);
    form.show();

    const int n = page.left(1).toInt();
    if (n >= 1)
        form.StartButtonClick();
    if (n >= 2)
        form.ControlButtonClick();
    if (n >= 3)
        form.NewButtonClick();
    if (n == 3)
        form.RNoAccept->click();
    if (n >= 4) {
        form.RAccept->click();
        form.EULAButtonClick();
    }
    if (n == 5) {
        form.PageControl1->setCurrentIndex(5);
        engine.fileList().ActiveItem = 1;
        form.WebUpdateFileProgress("C:\\Temp\\WUPD1234.tmp\\pictures.cab", 160000, 400000);
    }
    if (n == 6)
        form.FilesButtonClick();
    return app.exec();
}
