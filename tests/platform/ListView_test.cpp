// The list view in report view: columns, rows and sub-items reached by index and key, the errors of
// its collections, and what the other views show.
#include "platform/ListView.h"
#include "platform/Screen.h"
#include "platform/VbError.h"

#include <QHeaderView>
#include <QWidget>
#include <gtest/gtest.h>

using namespace vb;

namespace {

int32_t ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const VbError& e) {
        return e.Number;
    }
    return 0;
}

class ListViewTest : public ::testing::Test {
protected:
    QWidget window;
    ListView* view = new ListView(&window, 120, 120, 8040, 1800);

    void SetUp() override
    {
        view->SetView(lvwReport);
        view->ColumnHeaders().Add(QStringLiteral("col1"), QStringLiteral("Action"), 2700);
        view->ColumnHeaders().Add(QStringLiteral("col2"), QStringLiteral("Keys"), 5100);
        ListItem* a = view->ListItems().Add(QStringLiteral("a1"), QStringLiteral("First"));
        a->ListSubItems().Add(QStringLiteral("a2"), QStringLiteral("one"));
        ListItem* b = view->ListItems().Add(QString(), QStringLiteral("Second")); // no key
        b->ListSubItems().Add(QString(), QStringLiteral("two"));
    }
};

} // namespace

TEST_F(ListViewTest, ReportViewShowsColumnsRowsAndSubItemsInOrder)
{
    EXPECT_EQ(view->Left(), 120);
    EXPECT_EQ(view->Width(), 8040);
    ASSERT_EQ(view->columnCount(), 2);
    EXPECT_FALSE(view->isHeaderHidden());
    EXPECT_EQ(view->headerItem()->text(0), QStringLiteral("Action"));
    EXPECT_EQ(view->headerItem()->text(1), QStringLiteral("Keys"));
    EXPECT_EQ(view->columnWidth(0), TwipsToPixelsX(2700));
    EXPECT_EQ(view->columnWidth(1), TwipsToPixelsX(5100));
    EXPECT_EQ(view->ColumnHeaders().Item(2)->Width(), 5100);

    ASSERT_EQ(view->topLevelItemCount(), 2);
    EXPECT_EQ(view->CellText(0, 0), QStringLiteral("First"));
    EXPECT_EQ(view->CellText(0, 1), QStringLiteral("one"));
    EXPECT_EQ(view->CellText(1, 0), QStringLiteral("Second"));
    EXPECT_EQ(view->CellText(1, 1), QStringLiteral("two"));
    // A cell narrower than its text can still be read in full.
    EXPECT_EQ(view->topLevelItem(0)->toolTip(1), QStringLiteral("one"));

    ListItem* first = view->ListItems().Item(QStringLiteral("a1"));
    EXPECT_EQ(first->Index(), 1);
    EXPECT_EQ(first->ListSubItems().Item(QStringLiteral("a2"))->Index(), 1);
    EXPECT_EQ(view->ListItems().Item(2)->Text(), QStringLiteral("Second"));
    first->ListSubItems().Item(1)->SetText(QStringLiteral("uno"));
    EXPECT_EQ(view->CellText(0, 1), QStringLiteral("uno"));
    EXPECT_EQ(view->selectedItems().size(), 0);
}

TEST_F(ListViewTest, CollectionErrorsLeaveTheViewAsItWas)
{
    struct Case {
        const char* what;
        std::function<void()> call;
        int32_t error;
    };
    const std::vector<Case> cases = {
        {"taken item key", [&] { view->ListItems().Add(QStringLiteral("a1"), QStringLiteral("x")); }, 35602},
        {"taken column key", [&] { view->ColumnHeaders().Add(QStringLiteral("col2"), QStringLiteral("x"), 100); }, 35602},
        {"taken sub-item key",
         [&] { view->ListItems().Item(1)->ListSubItems().Add(QStringLiteral("a2"), QStringLiteral("x")); }, 35602},
        {"unknown key", [&] { view->ListItems().Item(QStringLiteral("zz")); }, 35601},
        {"empty key finds nothing", [&] { view->ListItems().Item(QString()); }, 35601},
        {"index 0", [&] { view->ListItems().Item(0); }, 35600},
        {"index past the end", [&] { view->ColumnHeaders().Item(3); }, 35600},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOf(c.call), c.error) << c.what;
    EXPECT_EQ(view->topLevelItemCount(), 2);
    EXPECT_EQ(view->columnCount(), 2);
    EXPECT_EQ(view->ListItems().Item(1)->ListSubItems().Count(), 1);
}

TEST_F(ListViewTest, OtherViewsListOnlyTheItemsTexts)
{
    view->SetView(lvwList);
    EXPECT_TRUE(view->isHeaderHidden());
    EXPECT_TRUE(view->isColumnHidden(1));
    view->ColumnHeaders().Add(QStringLiteral("col3"), QStringLiteral("More"), 900);
    EXPECT_TRUE(view->isColumnHidden(2));
    view->SetView(lvwReport);
    EXPECT_FALSE(view->isColumnHidden(2));
    view->SetHideColumnHeaders(true);
    EXPECT_TRUE(view->isHeaderHidden());

    view->ListItems().Clear();
    EXPECT_EQ(view->ListItems().Count(), 0);
    EXPECT_EQ(view->topLevelItemCount(), 0);
    EXPECT_EQ(view->ListItems().Add(QStringLiteral("a1"), QStringLiteral("again"))->Index(), 1);
}
