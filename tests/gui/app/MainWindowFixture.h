#pragma once

#include "app/PageControl.h"
#include "app/TfrmMain.h"
#include "catalog/CatalogBrowser.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>
#include <memory>

namespace apptest {

using app::PageControl;
using app::TfrmMain;
using i18n::TLngINISupp;
using i18n::TMsgINISupp;

// Runs the window on a temporary Application directory holding copies of the demo catalog and the language
// files; message boxes are collected instead of shown and the feed thread is never started.
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
        for (int i = 0; i < 200 && !finishedStartup(); ++i) {
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

    void focus(QWidget* w)
    {
        w->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), w);
    }

    QTemporaryDir m_dir;
    QString m_appDir;
    QList<widgets::BoxRequest> m_boxes;
    bool m_feedStarted = false;
    std::unique_ptr<TfrmMain> m_window;
};

} // namespace apptest

using apptest::MainWindowTest;
