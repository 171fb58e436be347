// The keyboard-shortcuts window: its list, Enter doing nothing, the ways it closes, and one window
// however often it is opened, shown beside the rest of the program rather than over it.
#include "session/frmShortcuts.h"

#include "TestSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ShortcutsTest : public ::testing::Test {
protected:
    frmShortcuts* OpenActive()
    {
        ShowShortcutsWindow();
        frmShortcuts* f = ShortcutsWindow.get();
        EXPECT_NE(f, nullptr);
        if (f) {
            QApplication::setActiveWindow(f);
            EXPECT_TRUE(QTest::qWaitForWindowActive(f));
        }
        return f;
    }
    void TearDown() override
    {
        if (ShortcutsWindow)
            ShortcutsWindow->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST_F(ShortcutsTest, ListsTheFourShortcutsWithTheirKeys)
{
    frmShortcuts* f = OpenActive();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Caption(), QStringLiteral("Keboard Shortcuts"));
    EXPECT_EQ(f->cmdCancel->Caption(), QStringLiteral("&Close"));

    vb::ListView* list = f->ltvShortcuts;
    EXPECT_EQ(list->View(), vb::lvwReport);
    auto& columns = list->ColumnHeaders();
    ASSERT_EQ(columns.Count(), 2);
    EXPECT_EQ(columns.Item(1)->Key(), QStringLiteral("col1"));
    EXPECT_EQ(columns.Item(1)->Text(), QStringLiteral("COL 1"));
    EXPECT_EQ(columns.Item(1)->Width(), 2700);
    EXPECT_EQ(columns.Item(2)->Key(), QStringLiteral("col2"));
    EXPECT_EQ(columns.Item(2)->Text(), QStringLiteral("COL 2"));
    EXPECT_EQ(columns.Item(2)->Width(), 5100);

    struct Row {
        const char* itemKey;
        const char* action;
        const char* subKey;
        const char* keys;
    };
    const Row rows[] = {
        {"row 51", "Advance to the next step", "row 52",
         "'N', left click, space, right or down arrow, enter, or page down"},
        {"row 61", "Return to the previous step", "row 62", "'P', backspace, left or up arrow, or page up"},
        {"row 71", "Pause tapping", "row 72", "Esc or Alt + A"},
        {"row 81", "Go to Finish", "row 82", "Alt + F"},
    };
    auto& items = list->ListItems();
    ASSERT_EQ(items.Count(), 4);
    ASSERT_EQ(list->topLevelItemCount(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].itemKey);
        vb::ListItem* item = items.Item(i + 1);
        EXPECT_EQ(item->Key(), QString::fromUtf8(rows[i].itemKey));
        EXPECT_EQ(item->Text(), QString::fromUtf8(rows[i].action));
        ASSERT_EQ(item->ListSubItems().Count(), 1);
        EXPECT_EQ(item->ListSubItems().Item(1)->Key(), QString::fromUtf8(rows[i].subKey));
        EXPECT_EQ(list->CellText(i, 0), QString::fromUtf8(rows[i].action));
        EXPECT_EQ(list->CellText(i, 1), QString::fromUtf8(rows[i].keys));
    }
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_GT(QFileInfo(testing_support::SaveShot(f, QStringLiteral("keyboard_shortcuts"))).size(), 0);
}

TEST_F(ShortcutsTest, EnterDoesNothingEscCloseAndTheCloseBoxCloseIt)
{
    struct Case {
        const char* what;
        std::function<void(frmShortcuts*)> close;
    };
    const std::vector<Case> cases = {
        {"Esc", [](frmShortcuts* f) { QTest::keyClick(f->ltvShortcuts, Qt::Key_Escape); }},
        {"Esc on the button", [](frmShortcuts* f) {
             f->cmdCancel->SetFocus();
             QTest::keyClick(f->cmdCancel, Qt::Key_Escape);
         }},
        {"Close", [](frmShortcuts* f) { f->cmdCancel->click(); }},
        {"close box", [](frmShortcuts* f) { f->close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frmShortcuts* f = OpenActive();
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->Activated, -1);
        f->ltvShortcuts->setFocus();
        QTest::keyClick(f->ltvShortcuts, Qt::Key_Return);
        QTest::keyClick(f->ltvShortcuts, Qt::Key_Enter);
        f->DefaultAction();
        EXPECT_TRUE(f->IsLoaded());
        EXPECT_TRUE(f->isVisible());
        EXPECT_EQ(f->Busy, 0);

        QPointer<frmShortcuts> closing(f);
        c.close(f);
        EXPECT_FALSE(ShortcutsWindow);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(closing.isNull());
    }
}

TEST_F(ShortcutsTest, OpensBesideTheProgramAsOneWindowHoweverOftenItIsOpened)
{
    vb::Form other; // stands for the main window, which must stay usable
    other.Show();
    ShowShortcutsWindow(); // returns at once: the window is not modal
    frmShortcuts* f = ShortcutsWindow.get();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(f->parentWidget(), nullptr); // no owner

    f->SetWindowState(vb::vbMinimized);
    ShowShortcutsWindow();
    EXPECT_EQ(ShortcutsWindow.get(), f);
    EXPECT_EQ(f->WindowState(), vb::vbNormal);
    EXPECT_EQ(f->ltvShortcuts->ListItems().Count(), 4); // filled once, not again
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        shown += qobject_cast<frmShortcuts*>(w) && w->isVisible();
    EXPECT_EQ(shown, 1);

    f->cmdCancel->click();
    EXPECT_TRUE(other.IsLoaded());
    ShowShortcutsWindow(); // after a close, a fresh window
    EXPECT_NE(ShortcutsWindow.get(), nullptr);
    EXPECT_EQ(ShortcutsWindow->ltvShortcuts->ListItems().Count(), 4);
    other.Unload();
}
