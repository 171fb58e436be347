// The pop-up menu: what the real menu shows and where, which buttons choose an entry, and that
// the chosen entry's Click comes only after the menu has gone.
#include "platform/Menu.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

using testing_support::WhenPopup;

namespace {

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner.resize(400, 300);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        one = menu.Add(QStringLiteral("mnuOne"), QStringLiteral("One"));
        menu.Add(QStringLiteral("mnuSep"), QStringLiteral("-"));
        hidden = menu.Add(QStringLiteral("mnuHidden"), QStringLiteral("Hidden"));
        hidden->SetVisible(false);
        off = menu.Add(QStringLiteral("mnuOff"), QStringLiteral("Off"));
        off->SetEnabled(false);
        two = menu.Add(QStringLiteral("mnuTwo"), QStringLiteral("Two"));
        for (vb::MenuItem* item : menu.Items())
            QObject::connect(item, &vb::MenuItem::Click, [this, item] {
                clicked.push_back(item->Name());
                popupOpenAtClick = QApplication::activePopupWidget() != nullptr;
            });
        QCursor::setPos(owner.mapToGlobal(QPoint(120, 80)));
    }

    static QAction* ActionOf(QMenu* m, const QString& text)
    {
        for (QAction* a : m->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    QWidget owner;
    vb::Menu menu{QStringLiteral("mnuTest"), QStringLiteral("Test"), &owner};
    vb::MenuItem* one = nullptr;
    vb::MenuItem* hidden = nullptr;
    vb::MenuItem* off = nullptr;
    vb::MenuItem* two = nullptr;
    std::vector<QString> clicked;
    bool popupOpenAtClick = true;
};

} // namespace

TEST_F(PopupMenuTest, ShowsTheVisibleEntriesInOrderWithTheirLeftEdgeAtThePointer)
{
    bool ran = false;
    WhenPopup([&](QWidget* w) {
        ran = true;
        auto* m = qobject_cast<QMenu*>(w);
        ASSERT_NE(m, nullptr);
        QStringList shown;
        for (QAction* a : m->actions())
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
        EXPECT_EQ(shown, (QStringList{"One", "-", "Off", "Two"}));
        EXPECT_FALSE(ActionOf(m, QStringLiteral("Off"))->isEnabled());
        EXPECT_EQ(m->defaultAction(), nullptr);
        EXPECT_EQ(m->geometry().topLeft(), owner.mapToGlobal(QPoint(120, 80)));
        m->close();
    });
    vb::PopupMenu(menu);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(clicked.empty()); // dismissed: nothing chosen
}

TEST_F(PopupMenuTest, TheRightButtonChoosesOnlyWithItsFlag)
{
    struct Case {
        int flags;
        Qt::MouseButton button;
        bool chosen;
    };
    const Case cases[] = {
        {vb::vbPopupMenuLeftAlign, Qt::LeftButton, true},
        {vb::vbPopupMenuLeftAlign, Qt::RightButton, false},
        {vb::vbPopupMenuRightButton, Qt::RightButton, true},
        {vb::vbPopupMenuRightButton, Qt::LeftButton, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << ", button " << c.button);
        clicked.clear();
        bool stillOpen = false;
        WhenPopup([&](QWidget* w) {
            auto* m = qobject_cast<QMenu*>(w);
            ASSERT_NE(m, nullptr);
            ASSERT_TRUE(testing_support::ClickMenuEntry(m, QStringLiteral("Two"), c.button));
            stillOpen = m->isVisible();
            if (stillOpen)
                m->close();
        });
        vb::PopupMenu(menu, c.flags);
        EXPECT_EQ(stillOpen, !c.chosen);
        EXPECT_EQ(clicked, c.chosen ? std::vector<QString>{QStringLiteral("mnuTwo")} : std::vector<QString>{});
        EXPECT_FALSE(popupOpenAtClick); // the command runs once the menu has gone
    }
}

TEST_F(PopupMenuTest, AReplacedPopUpSeesTheCallAndItsChoiceIsClickedUnlessItCannotBeChosen)
{
    vb::PopupMenuCall seen;
    vb::MenuItem* choice = nullptr;
    const vb::PopupMenuHandler previous = vb::SetPopupMenuHandler([&](const vb::PopupMenuCall& call) {
        seen = call;
        return choice;
    });
    for (vb::MenuItem* item : {one, hidden, off, menu.Item(QStringLiteral("mnuSep")), two}) {
        clicked.clear();
        choice = item;
        vb::PopupMenu(menu, vb::vbPopupMenuRightButton, two);
        const bool choosable = item == one || item == two;
        EXPECT_EQ(clicked.size(), choosable ? 1u : 0u) << item->Name().toStdString();
    }
    EXPECT_EQ(seen.menu, &menu);
    EXPECT_EQ(seen.flags, vb::vbPopupMenuRightButton);
    EXPECT_EQ(seen.defaultItem, two);
    EXPECT_EQ(seen.at, QCursor::pos());
    vb::SetPopupMenuHandler(previous);
}
