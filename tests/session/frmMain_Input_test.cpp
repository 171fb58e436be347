// The main window driven by keys and clicks: the access keys of its buttons, the key table of the
// window (which sees every key before the focused control), clicks on its display, and the issue
// and SUD options.
#include "frmMainFixture.h"

#include "platform/Keys.h"

#include <QApplication>
#include <QTest>

using session::State;

namespace {

// The window on screen and active, as the user has it: keys typed into it reach it through the
// window system, access keys included.
class ShownWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        form->show();
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // Types a key into whatever holds the focus, as the keyboard would.
    void Type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        QTest::keyClick(target, key, modifiers);
    }
};

TEST_F(ShownWindowTest, AccessKeysActAtOnce)
{
    // No event loop turns between the key and the checks: the click must already have happened.
    Type(Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(Step(), stepStimulateThymus);
    Type(Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(Step(), stepIntro);
    Type(Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(Step(), stepFinish);
    for (int i = 0; i < 4; ++i)
        Type(Qt::Key_N, Qt::AltModifier); // Finish -> Intro -> Thymus -> Select Issue -> Assign SUD
    EXPECT_EQ(Step(), stepAssignSUD);
    Type(Qt::Key_N, Qt::AltModifier);
    ASSERT_EQ(Step(), stepKarateChopLeft);
    Type(Qt::Key_A, Qt::AltModifier);
    EXPECT_FALSE(form->tmrSteps->Enabled());
    EXPECT_TRUE(form->cmdResume->Visible());
    Type(Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(form->tmrSteps->Enabled());
    EXPECT_TRUE(form->cmdPause->Visible());
    EXPECT_TRUE(reports.calls.empty());
}

} // namespace
