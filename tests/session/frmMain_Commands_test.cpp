// The main window's commands: the menu button's pop-up menu, Information and About standing the
// session still while their modal window is open and giving the timer back its state, one
// keyboard-shortcuts window beside the running session, Exit ending the program with every window,
// and the web button.
#include "frmMainFixture.h"

#include "FakeUrlLauncher.h"
#include "platform/Menu.h"
#include "platform/VbError.h"
#include "session/frmAbout_NEW.h"
#include "session/frmShortcuts.h"
#include "session/frmWhatIsIt.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>

using session::State;
using testing_support::WhenModal;
using testing_support::WhenPopup;

namespace {

class CommandsTest : public MainWindowTest {
protected:
    void TearDown() override
    {
        vb::SetPopupMenuHandler(nullptr);
        MainWindowTest::TearDown();
        if (ShortcutsWindow)
            ShortcutsWindow->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A fresh window and session for the next case of a table.
    void Restart()
    {
        TearDown();
        SetUp();
    }

    // Opens the menu with the menu button, as a click does, and chooses the entry of that name.
    void Choose(const QString& entry)
    {
        vb::SetPopupMenuHandler([&](const vb::PopupMenuCall& call) {
            lastCall = call;
            return call.menu->Item(entry);
        });
        form->cmdNav->click();
        vb::SetPopupMenuHandler(nullptr);
    }

    // Where the session stands at each timer state that the modal commands must give back.
    enum class Timer { Running, Paused, Untimed };
    void Reach(Timer t)
    {
        if (t == Timer::Untimed)
            return; // Intro waits for the user
        ToLeftHand();
        Tick(6050); // a minute and a half-second into the session, in the first tapping round
        ASSERT_EQ(State.TotalSeconds, 60);
        ASSERT_EQ(form->lblTime_New->Caption(), QStringLiteral("01:00"));
        if (t == Timer::Paused)
            form->cmdPause_Click();
    }

    int ShortcutsWindowsLoaded() const
    {
        int n = 0;
        for (vb::Form* f : vb::Forms())
            n += qobject_cast<frmShortcuts*>(f) ? 1 : 0;
        return n;
    }

    vb::PopupMenuCall lastCall;
};

} // namespace

TEST_F(CommandsTest, TheMenuButtonOpensTheMenuAtThePointerAndLeavesTheSessionAsItWas)
{
    Reach(Timer::Running);
    const session::SessionState before = State;
    QCursor::setPos(321, 234);
    Choose(QString()); // dismissed

    ASSERT_EQ(lastCall.menu, form->mnuPopUp);
    EXPECT_EQ(lastCall.menu->Name(), QStringLiteral("mnuPopUp"));
    EXPECT_EQ(lastCall.menu->Caption(), QStringLiteral("PopUp"));
    EXPECT_EQ(lastCall.flags, vb::vbPopupMenuLeftAlign | vb::vbPopupMenuRightButton);
    EXPECT_EQ(lastCall.defaultItem, nullptr);
    EXPECT_EQ(lastCall.at, QCursor::pos());
    std::vector<std::pair<QString, QString>> entries;
    for (vb::MenuItem* item : lastCall.menu->Items()) {
        entries.emplace_back(item->Name(), item->Caption());
        EXPECT_TRUE(item->Visible());
        EXPECT_TRUE(item->Enabled());
    }
    const std::vector<std::pair<QString, QString>> expected = {
        {"mnuPopUpInfo", "Information"}, {"mnuPopUpShortcuts", "Keyboard Shortcuts"}, {"mnuPopUpAbout", "About"},
        {"mnuPopUpSep", "-"},            {"mnuPopUpExit", "Exit"},
    };
    EXPECT_EQ(entries, expected);

    EXPECT_TRUE(State == before);
    EXPECT_TRUE(form->tmrSteps->Enabled());
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_EQ(vb::Forms().size(), 1u);
}

TEST_F(CommandsTest, TheRealMenuShowsItsEntriesAndEitherButtonChoosesOne)
{
    form->Show();
    Reach(Timer::Running);
    QCursor::setPos(form->mapToGlobal(QPoint(200, 100)));
    bool ran = false;
    WhenPopup([&](QWidget* w) {
        auto* m = qobject_cast<QMenu*>(w);
        ASSERT_NE(m, nullptr);
        ran = true;
        QStringList shown;
        for (QAction* a : m->actions())
            shown << (a->isSeparator() ? QStringLiteral("-") : a->text());
        EXPECT_EQ(shown, (QStringList{"Information", "Keyboard Shortcuts", "About", "-", "Exit"}));
        EXPECT_EQ(m->defaultAction(), nullptr);
        EXPECT_EQ(m->geometry().topLeft(), form->mapToGlobal(QPoint(200, 100)));
        EXPECT_GT(QFileInfo(testing_support::SaveShot(m, QStringLiteral("popup_menu"))).size(), 0);
        EXPECT_TRUE(testing_support::ClickMenuEntry(m, QStringLiteral("Keyboard Shortcuts"), Qt::RightButton));
        EXPECT_FALSE(m->isVisible());
        if (m->isVisible())
            m->close();
    });
    form->cmdNav->click();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(ShortcutsWindow);
    EXPECT_TRUE(form->tmrSteps->Enabled());
}

TEST_F(CommandsTest, InformationAndAboutStandTheSessionStillAndGiveTheTimerBackItsState)
{
    struct Command {
        const char* name;
        std::function<void()> run;
        bool about; // else the introduction window
    };
    const std::vector<Command> commands = {
        {"menu Information", [this] { Choose(QStringLiteral("mnuPopUpInfo")); }, false},
        {"hidden Information button", [this] { form->cmdInfo->click(); }, false},
        {"menu About", [this] { Choose(QStringLiteral("mnuPopUpAbout")); }, true},
        {"hidden About button", [this] { form->cmdAbout->click(); }, true},
    };
    for (const Command& c : commands) {
        for (Timer t : {Timer::Running, Timer::Paused, Timer::Untimed}) {
            SCOPED_TRACE(testing::Message() << c.name << ", timer state " << int(t));
            Restart();
            Reach(t);
            const bool wasRunning = form->tmrSteps->Enabled();
            ASSERT_EQ(wasRunning, t == Timer::Running);
            const session::SessionState before = State;
            const QString shownTime = form->lblTime_New->Caption();

            bool open = false;
            WhenModal([&](QWidget* w) {
                open = true;
                EXPECT_FALSE(form->tmrSteps->Enabled()); // the session stands still
                EXPECT_TRUE(State == before);
                if (c.about) {
                    ASSERT_NE(qobject_cast<frmAbout_NEW*>(w), nullptr);
                    EXPECT_EQ(AboutWindow.get(), w);
                    AboutWindow->cmdOK->click();
                } else {
                    ASSERT_NE(qobject_cast<frmWhatIsIt*>(w), nullptr);
                    EXPECT_EQ(WhatIsItWindow.get(), w);
                    WhatIsItWindow->cmdCancel->click();
                }
            });
            c.run();
            EXPECT_TRUE(open);
            EXPECT_FALSE(AboutWindow);
            EXPECT_FALSE(WhatIsItWindow);

            EXPECT_EQ(form->tmrSteps->Enabled(), wasRunning);
            EXPECT_TRUE(State == before);
            EXPECT_EQ(form->lblTime_New->Caption(), shownTime);
            EXPECT_EQ(form->cmdResume->Visible(), t == Timer::Paused); // Pause and Resume untouched
            EXPECT_EQ(form->cmdPause->Visible(), t != Timer::Paused);
            if (t == Timer::Running) {
                // The clock goes on from where it stood: half a second more makes a minute and one.
                Tick(50);
                EXPECT_EQ(State.TotalSeconds, before.TotalSeconds + 1);
                EXPECT_EQ(form->lblTime_New->Caption(), QStringLiteral("01:01"));
            }
            EXPECT_TRUE(reports.calls.empty());
        }
    }
}

TEST_F(CommandsTest, KeyboardShortcutsOpensOneWindowBesideTheRunningSession)
{
    Reach(Timer::Running);
    Choose(QStringLiteral("mnuPopUpShortcuts"));
    frmShortcuts* first = ShortcutsWindow.get();
    ASSERT_NE(first, nullptr);
    Choose(QStringLiteral("mnuPopUpShortcuts"));
    EXPECT_EQ(ShortcutsWindow.get(), first);
    EXPECT_EQ(ShortcutsWindowsLoaded(), 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(first->parentWidget(), nullptr); // no owner
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The session runs on behind it and the main window still takes its commands.
    EXPECT_TRUE(form->tmrSteps->Enabled());
    const int32_t total = State.TotalSeconds;
    Tick(100);
    EXPECT_EQ(State.TotalSeconds, total + 1);
    const StepEnum step = Step();
    Next();
    EXPECT_NE(Step(), step);
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(CommandsTest, ExitWithTheShortcutsWindowOpenEndsTheProgram)
{
    struct Way {
        const char* name;
        std::function<void()> exit;
    };
    const std::vector<Way> ways = {
        {"menu Exit", [this] { Choose(QStringLiteral("mnuPopUpExit")); }},
        {"Exit button", [this] { form->cmdExit->click(); }},
    };
    for (const Way& w : ways) {
        SCOPED_TRACE(w.name);
        Restart();
        form->Show();
        Reach(Timer::Running);
        Choose(QStringLiteral("mnuPopUpShortcuts"));
        ASSERT_TRUE(ShortcutsWindow);
        ASSERT_EQ(vb::Forms().size(), 2u);

        EXPECT_EQ(testing_support::RunUntilTheProgramEnds(w.exit), 0);
        EXPECT_FALSE(form->tmrSteps->Enabled());
        EXPECT_FALSE(form->IsLoaded());
        EXPECT_FALSE(ShortcutsWindow);
        EXPECT_TRUE(vb::Forms().empty());
    }
}

TEST_F(CommandsTest, TheWebButtonOpensTheWebSiteWithTheSourceTagAndChangesNothing)
{
    testing_support::FakeUrlLauncher launcher;
    Reach(Timer::Running);
    const session::SessionState before = State;
    form->cmdWeb->click();
    // The shell opens the scheme-less address as a web address.
    EXPECT_EQ(launcher.Opened(), QStringList{QStringLiteral("http://www.quorvane.example?src=qv")});
    EXPECT_TRUE(State == before);
    EXPECT_TRUE(form->tmrSteps->Enabled());
    EXPECT_EQ(vb::Forms().size(), 1u);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_TRUE(reports.calls.empty());

    // A launcher that cannot be started is told to the user; the session still goes on untouched.
    qputenv("QUORVANE_URL_LAUNCHER", QByteArrayLiteral("/nonexistent/launcher"));
    form->cmdWeb->click();
    EXPECT_EQ(boxes.calls.size() + reports.calls.size(), 1u);
    EXPECT_TRUE(State == before);
    EXPECT_TRUE(form->tmrSteps->Enabled());
    EXPECT_TRUE(form->IsLoaded());
}

TEST_F(CommandsTest, AnErrorWhileTheModalWindowIsShownIsReportedAndLeavesTheTimerOff)
{
    Reach(Timer::Running);
    ASSERT_TRUE(form->tmrSteps->Enabled());
    form->ShowModalWithTimerStopped(QStringLiteral("cmdAbout_Click"), [] { vb::Raise(vb::errOutOfMemory); });
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(reports.calls[0].ErrNum, 7);
    EXPECT_EQ(reports.calls[0].ErrDesc, QStringLiteral("Out of memory"));
    EXPECT_EQ(reports.calls[0].ModuleName, QStringLiteral("frmMain"));
    EXPECT_EQ(reports.calls[0].ProcName, QStringLiteral("cmdAbout_Click"));
    EXPECT_EQ(reports.calls[0].ExtraDesc, QString());
    EXPECT_FALSE(form->tmrSteps->Enabled());
}

TEST_F(CommandsTest, AMainWindowUnloadedWhileAboutIsOpenKeepsItsTimerOff)
{
    Reach(Timer::Running);
    bool open = false;
    WhenModal([&](QWidget*) {
        open = true;
        form->Unload(vb::vbAppWindows); // the desktop session is ending
    });
    Choose(QStringLiteral("mnuPopUpAbout"));
    EXPECT_TRUE(open);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_FALSE(AboutWindow);
    EXPECT_FALSE(form->tmrSteps->Enabled());
}
