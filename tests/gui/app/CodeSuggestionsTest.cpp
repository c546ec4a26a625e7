#include "app/CodeSuggestions.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using app::CodeSuggestionModel;
using app::CodeSuggestions;

namespace {

// A box in a window with its drop-down, fed by a list of codes instead of an index; the window hands the box's
// keys to the drop-down first, as the main window does.
class CodeSuggestionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(600, 400);
        box = new QLineEdit(&window);
        box->setGeometry(400, 10, 131, 21);
        suggestions = new CodeSuggestions(&window, [this](const QString& text, int limit, auto* rows, int* total) {
            if (!ready)
                return false;
            *total = 0;
            for (int i = 0; i < 40; ++i) {
                const QString code = QStringLiteral("ab%1").arg(i);
                if (!code.contains(text))
                    continue;
                ++*total;
                // ab7 is an item's own code.
                const QString own = i == 7 ? code : QStringLiteral("VK-%1").arg(i);
                if (rows->size() < limit)
                    rows->append({code, QStringLiteral("Dorvan"), own, 100 + i, i == 7 ? 1 : 2});
            }
            return true;
        });
        suggestions->attach(box);
        QObject::connect(suggestions, &CodeSuggestions::itemChosen, [this](int id) { chosen << id; });
        window.show();
        box->setFocus();
        QApplication::setActiveWindow(&window);
        QCoreApplication::processEvents();
    }

    // Returns whether the drop-down consumed the key; an unconsumed key goes on to the box.
    bool key(int k)
    {
        if (suggestions->handleKey(box, k))
            return true;
        QTest::keyClick(box, Qt::Key(k));
        return false;
    }

    QWidget window;
    QLineEdit* box = nullptr;
    CodeSuggestions* suggestions = nullptr;
    bool ready = true;
    QList<int> chosen;
};

TEST_F(CodeSuggestionsTest, FollowsTheTypedTextWithAtMostTwelveRows)
{
    suggestions->setMoreRowsText(QStringLiteral("und %1 weitere"));
    QTest::keyClicks(box, "A");
    EXPECT_TRUE(suggestions->isVisible());
    EXPECT_EQ(suggestions->model().rows().size(), CodeSuggestionModel::Limit);
    // A last row tells how many more match; it cannot be chosen.
    EXPECT_EQ(suggestions->moreRowsLine(), QStringLiteral("und 28 weitere"));
    EXPECT_EQ(suggestions->height(), (CodeSuggestionModel::Limit + 1) * suggestions->rowHeight() + 2);
    for (int i = 0; i <= CodeSuggestionModel::Limit; ++i)
        key(Qt::Key_Down);
    EXPECT_EQ(suggestions->model().current(), CodeSuggestionModel::Limit - 1);
    // A row whose code is the item's own code shows it once.
    EXPECT_EQ(suggestions->model().ownCodeShown(7), QString());
    EXPECT_EQ(suggestions->model().ownCodeShown(8), QStringLiteral("VK-8"));
    // Under the box, right-aligned with it, drawn over the window's other children.
    EXPECT_EQ(suggestions->geometry().top(), box->geometry().bottom() + 1);
    EXPECT_EQ(suggestions->geometry().right(), box->geometry().right());
    QTest::keyClicks(box, "B-3");
    EXPECT_EQ(suggestions->model().rows().size(), 11); // ab3, ab30..ab39
    EXPECT_EQ(suggestions->moreRowsLine(), QString());
    EXPECT_EQ(suggestions->model().rows().first().code, QStringLiteral("ab3"));
    QTest::keyClicks(box, "x");
    EXPECT_FALSE(suggestions->isVisible());
    // Separators alone leave nothing to look for.
    box->clear();
    QTest::keyClicks(box, " -/");
    EXPECT_FALSE(suggestions->isVisible());
}

TEST_F(CodeSuggestionsTest, ArrowsChooseEnterOpensEscapeClosesOnlyTheDropDown)
{
    QTest::keyClicks(box, "ab1");
    ASSERT_TRUE(suggestions->isVisible());
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_TRUE(key(Qt::Key_Up));
    EXPECT_EQ(suggestions->model().current(), 1);
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_TRUE(key(Qt::Key_Return));
    EXPECT_EQ(chosen, QList<int>{110}); // ab1, ab10, ...
    EXPECT_FALSE(suggestions->isVisible());
    EXPECT_EQ(box->text(), QStringLiteral("ab1"));

    // Escape closes the drop-down and is used up; with it closed, keys pass on untouched.
    QTest::keyClicks(box, "2");
    ASSERT_TRUE(suggestions->isVisible());
    EXPECT_TRUE(key(Qt::Key_Escape));
    EXPECT_FALSE(suggestions->isVisible());
    EXPECT_FALSE(suggestions->handleKey(box, Qt::Key_Escape));
    EXPECT_FALSE(suggestions->handleKey(box, Qt::Key_Down));

    // Up above the first row leaves none chosen: Enter then is the box's own (the search) and closes the drop-down.
    QTest::keyClick(box, Qt::Key_Backspace);
    ASSERT_TRUE(suggestions->isVisible());
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_TRUE(key(Qt::Key_Up));
    EXPECT_TRUE(key(Qt::Key_Up));
    EXPECT_EQ(suggestions->model().current(), -1);
    EXPECT_FALSE(suggestions->handleKey(box, Qt::Key_Enter));
    EXPECT_FALSE(suggestions->isVisible());
    EXPECT_EQ(chosen, QList<int>{110});
}

TEST_F(CodeSuggestionsTest, ClickOpensTheRowAndLeavingTheBoxCloses)
{
    QTest::keyClicks(box, "ab2");
    ASSERT_TRUE(suggestions->isVisible());
    const int h = suggestions->rowHeight();
    QTest::mouseClick(suggestions, Qt::LeftButton, {}, QPoint(20, 1 + 2 * h + h / 2));
    EXPECT_EQ(chosen, QList<int>{121}); // ab2, ab20, ab21
    EXPECT_EQ(QApplication::focusWidget(), box);

    QTest::keyClicks(box, "3");
    ASSERT_TRUE(suggestions->isVisible());
    auto* other = new QLineEdit(&window);
    other->show();
    other->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(suggestions->isVisible());
}

TEST_F(CodeSuggestionsTest, NoDropDownBeforeTheIndexIsReady)
{
    ready = false;
    QTest::keyClicks(box, "ab");
    EXPECT_FALSE(suggestions->isVisible());
    EXPECT_FALSE(suggestions->handleKey(box, Qt::Key_Down));
}

} // namespace
