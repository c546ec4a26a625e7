#pragma once

#include "app/PageControl.h"
#include "app/TfrmMain.h"
#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace apptest {

using app::PageControl;
using app::TfrmMain;
using i18n::TLngINISupp;
using i18n::TMsgINISupp;

// Runs the window on a temporary Application directory holding copies of the demo catalog and the language
// files, with a configuration folder of its own; message boxes are collected instead of shown and the feed thread
// is never started.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_appDir = m_dir.path() + "/";
        const QString dist = QStringLiteral(VELKORN_TEST_DIST_DIR) + "/";
        for (const char* name : {"KATALOG.GDB", "en.lng", "de.lng", "tr.lng"})
            ASSERT_TRUE(QFile::copy(dist + name, m_appDir + name)) << name;
        QFile::setPermissions(m_appDir + "KATALOG.GDB", QFile::ReadOwner | QFile::WriteOwner);
        // The history of items shown is kept there, never in the user's own folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + "/config"));
        TLngINISupp::resetSharedState();
        TMsgINISupp::resetSharedState();
        widgets::setMessageBoxHandler([this](const widgets::BoxRequest& r) { m_boxes.append(r); });
    }

    void TearDown() override
    {
        m_window.reset();
        widgets::setMessageBoxHandler({});
    }

    TfrmMain* start(const QString& language, QSize size = QSize())
    {
        m_window = std::make_unique<TfrmMain>(m_appDir);
        m_window->languageSelector = [language] { return language; };
        m_window->startFeedThread = [this] { m_feedStarted = true; };
        if (size.isValid())
            m_window->resize(size);
        m_window->show();
        // Up to five seconds: a machine busy with other tests takes longer than the second start-up needs alone.
        for (int i = 0; i < 2500 && !finishedStartup(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QApplication::setActiveWindow(m_window.get());
        QCoreApplication::processEvents();
        return m_window.get();
    }

    // Closes the window and starts the program again.
    TfrmMain* restart(const QString& language)
    {
        m_window.reset();
        TLngINISupp::resetSharedState();
        TMsgINISupp::resetSharedState();
        return start(language);
    }

    bool finishedStartup() const
    {
        const QStringList& steps = m_window->startupSteps();
        return !steps.isEmpty() && (steps.last() == "showIntro" || steps.last() == "terminated");
    }

    QString currentPage() const { return m_window->findChild<PageControl*>("pgGlobal")->currentPage()->objectName(); }

    template <typename T = QWidget> T* child(const QString& name) const { return m_window->findChild<T*>(name); }

    void click(const QString& button)
    {
        QWidget* w = child(button);
        ASSERT_TRUE(w) << qPrintable(button);
        ASSERT_TRUE(w->isVisible()) << qPrintable(button);
        QTest::mouseClick(w, Qt::LeftButton);
    }

    // The item the item view has loaded.
    QString shownCode() const { return m_window->browser()->itemDetails().code; }

    void clickHeader(QTableView* grid, int column)
    {
        QHeaderView* header = grid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
    }

    // Focus goes to a widget only once its window is active, which takes a while on a busy machine.
    void focus(QWidget* w)
    {
        w->window()->activateWindow();
        for (int i = 0; i < 500 && QApplication::focusWidget() != w; ++i) {
            w->setFocus(Qt::MouseFocusReason);
            QCoreApplication::processEvents();
            if (QApplication::focusWidget() != w)
                QThread::msleep(10);
        }
        ASSERT_EQ(QApplication::focusWidget(), w);
    }

    // The code index behind the search drop-down is built in the background after start-up.
    void waitForCodeIndex()
    {
        for (int i = 0; i < 2000 && !m_window->codeIndex()->isReady(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        ASSERT_TRUE(m_window->codeIndex()->isReady());
    }

    // Changes the catalog through a connection of its own, as the synchronisation writes; the window sees the
    // change once its lists are closed (as after a synchronisation, browser()->closeAll()).
    void changeCatalog(const QStringList& statements, const QVariantList& values = {})
    {
        {
            QSqlDatabase db = catalog::openDatabase(m_appDir + "KATALOG.GDB", "writer");
            for (const QString& sql : statements) {
                QSqlQuery q(db);
                ASSERT_TRUE(q.prepare(sql)) << qPrintable(sql);
                for (const QVariant& value : values)
                    if (sql.contains('?'))
                        q.addBindValue(value);
                ASSERT_TRUE(q.exec()) << qPrintable(sql);
            }
        }
        catalog::closeDatabase("writer");
    }

    // Opens a pop-up menu through `open` (which returns when the menu has closed) and returns the texts of its
    // entries, the shortcut left out; triggers entry `trigger` (counting separators) unless it is -1.
    static QStringList popupEntries(const std::function<void()>& open, int trigger = -1)
    {
        QStringList entries;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible())
                return;
            poll.stop();
            for (QAction* entry : menu->actions())
                entries << entry->text().section('\t', 0, 0);
            if (trigger >= 0)
                menu->actions().at(trigger)->trigger();
            menu->close();
        });
        poll.start(10);
        open();
        return entries;
    }

    QTemporaryDir m_dir;
    QString m_appDir;
    QList<widgets::BoxRequest> m_boxes;
    bool m_feedStarted = false;
    std::unique_ptr<TfrmMain> m_window;
};

} // namespace apptest

using apptest::MainWindowTest;
