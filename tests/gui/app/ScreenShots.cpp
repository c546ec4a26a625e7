// Grabs every page of the main window in each language and size into PNG files, for looking at the window as a
// user would. Usage: velkorn-screens <dist dir> <output dir>
#include "app/CatalogTools.h"
#include "app/CodeSuggestions.h"
#include "app/ComparePresenter.h"
#include "app/DatasheetActions.h"
#include "app/HistoryPresenter.h"
#include "app/MeasurePresenter.h"
#include "app/TfrmMain.h"
#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "i18n/LanguageSelector.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

using app::TfrmMain;
using i18n::TfrmLanguageSelector;
using i18n::TLngINISupp;
using i18n::TMsgINISupp;

namespace {

void settle()
{
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

bool copyDist(const QString& from, const QString& to)
{
    QDir src(from);
    for (const QString& name : src.entryList(QDir::Files)) {
        if (!QFile::copy(src.filePath(name), to + name))
            return false;
    }
    QDir().mkpath(to + "images");
    QDir images(src.filePath("images"));
    for (const QString& name : images.entryList(QDir::Files))
        QFile::copy(images.filePath(name), to + "images/" + name);
    QFile::setPermissions(to + "KATALOG.GDB", QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

class Shooter
{
public:
    Shooter(QString dist, QString out) : m_dist(std::move(dist)), m_out(std::move(out)) {}

    void run(const QString& language, QSize size)
    {
        QTemporaryDir dir;
        const QString appDir = dir.path() + "/";
        if (!copyDist(m_dist, appDir)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(m_dist));
            return;
        }
        TLngINISupp::resetSharedState();
        TMsgINISupp::resetSharedState();
        // The history of items shown goes beside the copy, not into the user's configuration folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(appDir + "config"));
        auto w = std::make_unique<TfrmMain>(appDir);
        w->languageSelector = [language] { return language; };
        w->startFeedThread = [] {};
        w->resize(size);
        w->show();
        for (int i = 0; i < 400 && !finished(*w); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        settle();
        const QString tag = QString("%1-%2x%3").arg(language).arg(size.width()).arg(size.height());
        shoot(*w, tag + "-1-intro");
        for (const char* page :
             {"pgProfile", "pgInstallation", "pgInstallation2", "pgInstallation3", "pgProfile1", "pgProfile2"}) {
            w->showPage(page);
            settle();
            shoot(*w, tag + "-2-" + page);
        }
        for (const char* name : {"btnStyle", "btnOem", "btnKullanim", "btnCross"}) {
            if (QMenu* menu = w->subMenu(name)) {
                menu->popup(w->mapToGlobal(QPoint(0, 120)));
                settle();
                shoot(*menu, tag + "-0-menu-" + name);
                menu->hide();
            }
        }
        w->menuEntry("btnSTYLE2")->trigger();
        settle();
        shoot(*w, tag + "-3-item-style2");
        w->menuEntry("btnKullanim1")->trigger();
        settle();
        shoot(*w, tag + "-4-item-usage1");
        if (QMenu* oem = w->subMenu("btnOem"); oem && !oem->actions().isEmpty()) {
            oem->actions().first()->trigger();
            settle();
            shoot(*w, tag + "-5-item-oem");
        }
        if (QMenu* cross = w->subMenu("btnCross"); cross && !cross->actions().isEmpty()) {
            cross->actions().first()->trigger();
            settle();
            shoot(*w, tag + "-6-item-cross");
        }
        auto* search = w->findChild<QLineEdit*>("edtSearch");
        if (search) {
            search->setText("10");
            w->btnSearchClick();
            settle();
            shoot(*w, tag + "-7-item-search");
        }
        shootDropDown(*w, tag);
        shootTools(*w, tag);
        shootMeasurements(*w, tag);
        shootComparison(*w, tag);
        w->close();
        settle();
        // Closing the window asked the application to end, and until an application loop has run, every dialog's
        // own loop would end at once: one short loop lets the next language's dialogs come up.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }

    // The Tools menu, a grid's context menu, the About box and a picture shown large.
    void shootTools(TfrmMain& w, const QString& tag)
    {
        if (QMenu* oem = w.subMenu("btnOem"); oem && !oem->actions().isEmpty())
            oem->actions().first()->trigger();
        settle();
        if (QMenu* tools = w.tools()->menu()) {
            tools->popup(w.mapToGlobal(QPoint(500, 120)));
            settle();
            shoot(*tools, tag + "-8-menu-tools");
            tools->hide();
        }
        // Modal windows are grabbed from inside their own loop, then closed; a window that never came leaves no
        // timer behind to grab the next one.
        auto grabModal = [this](const QString& name, const std::function<void()>& open) {
            QPointer<QTimer> poll = new QTimer;
            QObject::connect(poll, &QTimer::timeout, [this, name, poll] {
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    poll->stop();
                    shoot(*modal, name);
                    modal->close();
                }
            });
            poll->start(100);
            open();
            delete poll;
        };
        if (auto* grid = w.findChild<QTableView*>("gridOemCross")) {
            w.tools()->sortList(grid, 1);
            settle();
            shoot(w, tag + "-11-sorted-oem");
        }
        widgets::setMessageBoxHandler({});
        grabModal(tag + "-9-about", [&w] { w.tools()->showAbout(); });
        widgets::setMessageBoxHandler(
            [](const widgets::BoxRequest& r) { std::fprintf(stderr, "message box: %s\n", qPrintable(r.text)); });
        w.tools()->showPictureLarge(0);
        settle();
        if (QWidget* viewer = w.findChild<QWidget*>("PictureViewer")) {
            shoot(*viewer, tag + "-10-picture-large");
            viewer->close();
        }
        settle();
        // Qt's own file dialogs, in the window's language.
        grabModal(tag + "-12-export-dialog", [&w] { w.tools()->exportListAs(); });
        grabModal(tag + "-13-datasheet-dialog", [&w] { w.datasheetActions()->btnSaveDatasheetClick(); });
    }

    // The drop-down under the item page's search box, once the code index is ready.
    void shootDropDown(TfrmMain& w, const QString& tag)
    {
        for (int i = 0; i < 2000 && !w.codeIndex()->isReady(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        w.showPage("pgCenterItem");
        auto* box = w.findChild<QLineEdit*>("edtSearch");
        box->setFocus();
        box->setText("VK 0");
        emit box->textEdited(box->text());
        settle();
        shoot(w, tag + "-7-item-dropdown");
        w.codeSuggestions()->handleKey(box, Qt::Key_Escape);
    }

    void shootDialog()
    {
        TfrmLanguageSelector dialog;
        dialog.show();
        settle();
        dialog.grab().save(m_out + "/language-dialog.png");
    }

private:
    // "Find by measurements" with the measures of a common rolling-lobe spring, then the first hit on the item page.
    void shootMeasurements(TfrmMain& w, const QString& tag)
    {
        w.measurePresenter()->btnMeasureClick();
        settle();
        shoot(w, tag + "-8-measure-empty");
        // A wrong entry first, then the form mended.
        const QList<std::pair<const char*, const char*>> entries = {{"edtMeasureStroke", "12 cm"},
                                                                    {"edtMeasureHeight", "340"},
                                                                    {"edtToleranceHeight", "10"},
                                                                    {"edtMeasureCapacity", "2300-2700"}};
        for (const auto& [name, value] : entries)
            if (auto* box = w.findChild<QLineEdit*>(name))
                box->setText(value);
        w.measurePresenter()->btnMeasureFindClick();
        settle();
        shoot(w, tag + "-8-measure-wrong");
        if (auto* box = w.findChild<QLineEdit*>("edtMeasureStroke"))
            box->setText("250");
        w.measurePresenter()->btnMeasureFindClick();
        settle();
        shoot(w, tag + "-8-measure");
        w.measurePresenter()->showChosenHit();
        w.btnNextClick();
        settle();
        shoot(w, tag + "-9-measure-item");
        if (QMenu* menu = w.datasheetActions()->btnDatasheet) {
            menu->popup(w.mapToGlobal(QPoint(0, 120)));
            settle();
            shoot(*menu, tag + "-0-menu-btnDatasheet");
            menu->hide();
        }
    }

    // Three items of one style side by side, then the comparison and history menus.
    void shootComparison(TfrmMain& w, const QString& tag)
    {
        w.menuEntry("btnSTYLE2")->trigger();
        for (int i = 0; i < 3; ++i) {
            w.compare()->toggleShownItem();
            w.btnNextClick();
        }
        w.compare()->showComparison();
        settle();
        shoot(w, tag + "-12-compare");
        // The comparison's PDF beside the pictures of the page.
        const QString pdf = m_out + "/" + tag + "-12-compare.pdf";
        w.compare()->askFileName = [pdf](const QString&) { return pdf; };
        w.compare()->btnCompareSavePdfClick();
        std::printf("%s\n", qPrintable(pdf));
        // A compared item on the item page: the button beside its code is pressed.
        const int first = w.compare()->comparison().itemIds().value(0);
        if (auto* show = w.findChild<QPushButton*>(QStringLiteral("btnCompareShow%1").arg(first))) {
            show->click();
            settle();
            shoot(w, tag + "-13-compared-item");
        }
        for (QMenu* menu : {w.compare()->btnCompare, w.history()->btnHistory}) {
            menu->popup(w.mapToGlobal(QPoint(0, 120)));
            settle();
            shoot(*menu, tag + "-0-menu-" + menu->objectName());
            menu->hide();
        }
    }

    static bool finished(const TfrmMain& w)
    {
        const QStringList& steps = w.startupSteps();
        return !steps.isEmpty() && (steps.last() == "showIntro" || steps.last() == "terminated");
    }

    void shoot(QWidget& w, const QString& name)
    {
        const QString path = m_out + "/" + name + ".png";
        w.grab().save(path);
        std::printf("%s\n", qPrintable(path));
    }

    QString m_dist;
    QString m_out;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: velkorn-screens <dist dir> <output dir>\n");
        return 2;
    }
    widgets::setMessageBoxHandler([](const widgets::BoxRequest& r) {
        std::fprintf(stderr, "message box: %s / %s\n", qPrintable(r.caption), qPrintable(r.text));
    });
    QDir().mkpath(argv[2]);
    Shooter shooter(argv[1], argv[2]);
    shooter.shootDialog();
    const QStringList languages = argc > 3 ? QString(argv[3]).split(',') : QStringList{"en", "de", "tr"};
    for (const QString& language : languages) {
        shooter.run(language, QSize(1280, 1024));
        shooter.run(language, QSize(917, 638));
    }
    return 0;
}
