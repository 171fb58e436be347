// The main window driven by keys and clicks: the access keys of its buttons, the key table of the
// window (which sees every key before the focused control), clicks on its display, and the issue
// and SUD options.
#include "frmMainFixture.h"

#include "platform/Keys.h"
#include "session/modIssues.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

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

namespace {

// One row of the key table: the state the session is in, the key, and what follows.
enum class Start { Intro, SelectIssue, Running, Paused };

struct KeyCase {
    Start start;
    int keyCode;
    bool consumed;
    StepEnum step;  // the step afterwards
    bool paused;    // paused afterwards
    bool timerOn;   // the step timer afterwards
};

class KeyTable : public MainWindowTest, public ::testing::WithParamInterface<KeyCase> {
protected:
    bool Paused() const { return form->cmdResume->Visible() && form->cmdResume->Enabled(); }
};

TEST_P(KeyTable, ActsAsTheTableSays)
{
    const KeyCase c = GetParam();
    if (c.start == Start::SelectIssue) {
        Next();
        Next();
    } else if (c.start == Start::Running || c.start == Start::Paused) {
        ToLeftHand();
        Tick(150); // milliseconds and seconds under way
        if (c.start == Start::Paused)
            form->cmdPause_Click();
    }
    const int32_t seconds = State.StepSeconds;
    int key = c.keyCode;
    form->Form_KeyDown(key, vb::vbShiftMask | vb::vbCtrlMask); // the modifiers are never looked at
    EXPECT_EQ(key, c.consumed ? 0 : c.keyCode);
    EXPECT_EQ(Step(), c.step);
    EXPECT_EQ(Paused(), c.paused);
    EXPECT_EQ(form->tmrSteps->Enabled(), c.timerOn);
    if (c.step == stepKarateChopLeft) {
        EXPECT_EQ(State.StepSeconds, seconds); // pausing and resuming go on from the same count
    }
    EXPECT_TRUE(reports.calls.empty());
}

using namespace vb;
INSTANTIATE_TEST_SUITE_P(
    MainWindow, KeyTable,
    ::testing::Values(
        // Intro: forward keys go to Stimulate Thymus; back keys are taken and do nothing.
        KeyCase{Start::Intro, vbKeyN, true, stepStimulateThymus, false, false},
        KeyCase{Start::Intro, vbKeySpace, true, stepStimulateThymus, false, false},
        KeyCase{Start::Intro, vbKeyReturn, true, stepStimulateThymus, false, false},
        KeyCase{Start::Intro, vbKeyRight, true, stepStimulateThymus, false, false},
        KeyCase{Start::Intro, vbKeyDown, true, stepStimulateThymus, false, false},
        KeyCase{Start::Intro, vbKeyPageDown, true, stepStimulateThymus, false, false},
        KeyCase{Start::Intro, vbKeyP, true, stepIntro, false, false},
        KeyCase{Start::Intro, vbKeyBack, true, stepIntro, false, false},
        KeyCase{Start::Intro, vbKeyLeft, true, stepIntro, false, false},
        KeyCase{Start::Intro, vbKeyUp, true, stepIntro, false, false},
        KeyCase{Start::Intro, vbKeyPageUp, true, stepIntro, false, false},
        KeyCase{Start::Intro, vbKeyEscape, false, stepIntro, false, false},
        // An untimed step: Pause is off, so Esc passes on; A and F are the buttons' access keys, not the window's.
        KeyCase{Start::SelectIssue, vbKeyEscape, false, stepSelectIssue, false, false},
        KeyCase{Start::SelectIssue, vbKeyA, false, stepSelectIssue, false, false},
        KeyCase{Start::SelectIssue, vbKeyF, false, stepSelectIssue, false, false},
        KeyCase{Start::SelectIssue, vbKeyTab, false, stepSelectIssue, false, false},
        KeyCase{Start::SelectIssue, vbKeyRight, true, stepAssignSUD, false, false},
        KeyCase{Start::SelectIssue, vbKeyUp, true, stepStimulateThymus, false, false},
        // Running: Esc pauses; the others move as Next and Previous do.
        KeyCase{Start::Running, vbKeyEscape, true, stepKarateChopLeft, true, false},
        KeyCase{Start::Running, vbKeyPageDown, true, stepTopHead_L, false, true},
        KeyCase{Start::Running, vbKeyBack, true, stepAssignSUD, false, false},
        KeyCase{Start::Running, vbKeyShift, false, stepKarateChopLeft, false, true},
        // Paused: any key, a lone Shift, Ctrl or Alt too, only resumes.
        KeyCase{Start::Paused, vbKeyN, true, stepKarateChopLeft, false, true},
        KeyCase{Start::Paused, vbKeyP, true, stepKarateChopLeft, false, true},
        KeyCase{Start::Paused, vbKeyEscape, true, stepKarateChopLeft, false, true},
        KeyCase{Start::Paused, vbKeyShift, true, stepKarateChopLeft, false, true},
        KeyCase{Start::Paused, vbKeyControl, true, stepKarateChopLeft, false, true},
        KeyCase{Start::Paused, vbKeyMenu, true, stepKarateChopLeft, false, true},
        KeyCase{Start::Paused, vbKeyA, true, stepKarateChopLeft, false, true}));

// A key typed on the keyboard, by what Qt reports of it.
struct TypedKey {
    const char* name; // also the test's name
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

class PausedSessionKey : public ShownWindowTest, public ::testing::WithParamInterface<TypedKey> {};

TEST_P(PausedSessionKey, ResumesTheSessionAndDoesNothingElse)
{
    const TypedKey k = GetParam();
    ToLeftHand();
    Tick(150);
    Type(Qt::Key_Escape);
    ASSERT_TRUE(form->cmdResume->Visible());
    ASSERT_FALSE(form->tmrSteps->Enabled());
    QWidget* focus = QApplication::focusWidget();
    const int32_t seconds = State.StepSeconds;
    Type(k.key, k.modifiers);
    EXPECT_TRUE(form->cmdPause->Visible()) << k.name;
    EXPECT_FALSE(form->cmdResume->Visible()) << k.name;
    EXPECT_TRUE(form->tmrSteps->Enabled()) << k.name;
    EXPECT_EQ(Step(), stepKarateChopLeft) << k.name;
    EXPECT_EQ(State.StepSeconds, seconds) << k.name;
    EXPECT_EQ(QApplication::focusWidget(), focus) << k.name << ": the focus stays where it was";
    EXPECT_TRUE(reports.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, PausedSessionKey,
    ::testing::Values(
        TypedKey{"Comma", Qt::Key_Comma, Qt::NoModifier}, TypedKey{"Period", Qt::Key_Period, Qt::NoModifier},
        TypedKey{"Slash", Qt::Key_Slash, Qt::NoModifier}, TypedKey{"Minus", Qt::Key_Minus, Qt::NoModifier},
        TypedKey{"Equal", Qt::Key_Equal, Qt::NoModifier}, TypedKey{"Semicolon", Qt::Key_Semicolon, Qt::NoModifier},
        TypedKey{"Apostrophe", Qt::Key_Apostrophe, Qt::NoModifier},
        TypedKey{"Bracket", Qt::Key_BracketLeft, Qt::NoModifier},
        TypedKey{"Backslash", Qt::Key_Backslash, Qt::NoModifier},
        TypedKey{"Grave", Qt::Key_QuoteLeft, Qt::NoModifier},
        TypedKey{"QuestionMark", Qt::Key_Question, Qt::NoModifier},
        TypedKey{"KeypadPlus", Qt::Key_Plus, Qt::KeypadModifier},
        TypedKey{"KeypadAsterisk", Qt::Key_Asterisk, Qt::KeypadModifier},
        TypedKey{"KeypadPeriod", Qt::Key_Period, Qt::KeypadModifier},
        TypedKey{"Keypad5", Qt::Key_5, Qt::KeypadModifier},
        TypedKey{"Insert", Qt::Key_Insert, Qt::NoModifier}, TypedKey{"CapsLock", Qt::Key_CapsLock, Qt::NoModifier},
        TypedKey{"NumLock", Qt::Key_NumLock, Qt::NoModifier},
        TypedKey{"ScrollLock", Qt::Key_ScrollLock, Qt::NoModifier},
        TypedKey{"Pause", Qt::Key_Pause, Qt::NoModifier}, TypedKey{"Menu", Qt::Key_Menu, Qt::NoModifier},
        TypedKey{"ALetterWithADiaeresis", Qt::Key_Adiaeresis, Qt::NoModifier},
        TypedKey{"VolumeUp", Qt::Key_VolumeUp, Qt::NoModifier},
        // The keys of the table and the ordinary ones alike.
        TypedKey{"Letter", Qt::Key_Q, Qt::NoModifier}, TypedKey{"F5", Qt::Key_F5, Qt::NoModifier},
        TypedKey{"Delete", Qt::Key_Delete, Qt::NoModifier}, TypedKey{"Shift", Qt::Key_Shift, Qt::NoModifier},
        TypedKey{"Space", Qt::Key_Space, Qt::NoModifier}),
    [](const ::testing::TestParamInfo<TypedKey>& row) { return std::string(row.param.name); });

TEST_F(ShownWindowTest, SpaceAndEnterOnIntroStartTheSessionInsteadOfPressingExit)
{
    ASSERT_EQ(QApplication::focusWidget(), form->cmdExit); // where the focus starts
    Type(Qt::Key_Space);
    ASSERT_TRUE(form->IsLoaded());
    EXPECT_EQ(Step(), stepStimulateThymus);
    EXPECT_EQ(QApplication::focusWidget(), form->cmdNavig[1]);
    Type(Qt::Key_Left);
    EXPECT_EQ(Step(), stepIntro);
    form->cmdExit->setFocus();
    Type(Qt::Key_Return);
    ASSERT_TRUE(form->IsLoaded());
    EXPECT_EQ(Step(), stepStimulateThymus);
}

TEST_F(ShownWindowTest, ModifiersDoNotMatterAndTheFocusFollowsTheMove)
{
    Type(Qt::Key_N, Qt::ShiftModifier);
    EXPECT_EQ(Step(), stepStimulateThymus);
    EXPECT_EQ(QApplication::focusWidget(), form->cmdNavig[1]);
    Type(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(Step(), stepIntro);
    // Previous has turned itself off on Intro: the focus goes to Next.
    EXPECT_FALSE(form->cmdNavig[0]->Enabled());
    EXPECT_EQ(QApplication::focusWidget(), form->cmdNavig[1]);
    for (int i = 0; i < 4; ++i)
        Type(Qt::Key_PageDown);
    ASSERT_EQ(Step(), stepKarateChopLeft);
    Type(Qt::Key_Up);
    EXPECT_EQ(Step(), stepAssignSUD);
    EXPECT_EQ(QApplication::focusWidget(), form->cmdNavig[0]);
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(ShownWindowTest, OnReassessSudTheFocusIsOnTheChosenValueAndArrowsStillNavigate)
{
    for (int i = 0; i < 3; ++i)
        Type(Qt::Key_N);
    ASSERT_EQ(Step(), stepAssignSUD);
    form->lblSUDUnit_Click(7);
    // Left Hand, Top Head, Relax (ends the negative rounds), Top Head of round 3, Reasses SUD.
    for (int i = 0; i < 5; ++i)
        Type(Qt::Key_Down);
    ASSERT_EQ(Step(), stepReassessSUD);
    EXPECT_EQ(QApplication::focusWidget(), form->radSUD[7]);
    // The window takes the arrow first: the option under the focus does not move to 8.
    Type(Qt::Key_Right);
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_TRUE(form->radSUD[7]->Value());
    EXPECT_FALSE(form->radSUD[8]->Value());
    EXPECT_EQ(form->SUD, 7);
    EXPECT_EQ(QApplication::focusWidget(), form->cmdNavig[1]);
}

TEST_F(ShownWindowTest, KeysThatAreNotTheWindowsReachTheFocusedControl)
{
    form->cmdExit->setFocus();
    Type(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->cmdNavig[1]); // Previous is off on Intro
    EXPECT_EQ(Step(), stepIntro);
}

// A left click in the middle of a widget, as the mouse gives it.
void ClickOn(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
}

TEST_F(MainWindowTest, ClicksOnTheDisplayGoWhereNextGoes)
{
    const std::pair<const char*, QWidget*> display[] = {
        {"lblIntro", form->lblIntro},           {"lblSegmentTitle", form->lblSegmentTitle},
        {"lblLeftFrame", form->lblLeftFrame},   {"lblCurrentPoint", form->lblCurrentPoint},
        {"lblSplit", form->lblSplit},           {"picLeftFrame", form->picLeftFrame},
        {"picRightFrame", form->picRightFrame}, {"picShape", form->picShape},
        {"picHandLeft", form->picHandLeft},     {"picHandRight", form->picHandRight},
    };
    for (const auto& [name, widget] : display) {
        session::ResetState();
        form->InitializeVariablesAndControls();
        form->ProcessSteps(Step(), State.StepLength, false, false);
        Next();
        ToLeftHand(); // Thymus -> ... -> Karate chop, then round 1
        ASSERT_EQ(Step(), stepTopHead_L) << name;
        // Once, and where Next goes from a point of a negative round: Relax.
        ClickOn(widget);
        EXPECT_EQ(Step(), stepRelax) << name;
        EXPECT_EQ(State.RoundCount, 2) << name;
    }
    // The window's background: the strip above the status bar, where no control stands.
    session::ResetState();
    form->InitializeVariablesAndControls();
    form->ProcessSteps(Step(), State.StepLength, false, false);
    const QPoint background(2, form->picStatusBar->y() - 3);
    ASSERT_EQ(form->childAt(background), nullptr);
    QTest::mouseClick(form.get(), Qt::LeftButton, Qt::NoModifier, background);
    EXPECT_EQ(Step(), stepStimulateThymus);
    EXPECT_TRUE(reports.calls.empty());
}

// A double-click as the window system gives it: a second press close in time and place, which
// the system turns into a double-click.
void DoubleClickOn(QWidget* w, QPoint at = {})
{
    QWindow* window = w->window()->windowHandle();
    if (at.isNull())
        at = w->rect().center();
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, window->mapFromGlobal(w->mapToGlobal(at)));
}

TEST_F(ShownWindowTest, ADoubleClickOnTheDisplayMovesOneStep)
{
    const QPoint background(2, form->picStatusBar->y() - 3);
    ASSERT_EQ(form->childAt(background), nullptr);
    // From each step, a double-click on a control the step shows; the second press is not a click.
    const struct {
        StepEnum from;
        QWidget* widget;
        QPoint at;
        StepEnum to;
    } road[] = {
        {stepIntro, form->lblIntro, {}, stepStimulateThymus},
        {stepStimulateThymus, form.get(), background, stepSelectIssue},
        {stepSelectIssue, form->lblSegmentTitle, {}, stepAssignSUD},
        {stepAssignSUD, form->picLeftFrame, {}, stepKarateChopLeft},
        {stepKarateChopLeft, form->picHandLeft, {}, stepTopHead_L},
        // In a tapping round Next ends the round: once to Relax, not on to the next round.
        {stepTopHead_L, form->picShape, {}, stepRelax},
    };
    for (const auto& move : road) {
        ASSERT_EQ(Step(), move.from);
        ASSERT_TRUE(move.widget->isVisible()) << move.from;
        DoubleClickOn(move.widget, move.at);
        EXPECT_EQ(Step(), move.to) << move.from;
    }
    // Clicks after a double-click are clicks again.
    ClickOn(form->lblSegmentTitle);
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(MainWindowTest, ClicksOffTheDisplayDoNothing)
{
    Next();
    Next(); // Select Issue: the issue frame is shown
    for (QWidget* w : std::initializer_list<QWidget*>{form->picToolBar, form->picStatusBar, form->lblTime_New,
                                                      form->fraMode, form->fraSUD_2}) {
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        EXPECT_EQ(Step(), stepSelectIssue) << w->metaObject()->className();
    }
}

TEST_F(ShownWindowTest, AClickOnTheBlankPartOfAnOptionsRowChoosesIt)
{
    Type(Qt::Key_N);
    Type(Qt::Key_N);
    ASSERT_EQ(Step(), stepSelectIssue);
    vb::RadioButton* guilt = form->radMode[IssueEnumToOptIndex(issGuilt)];
    ASSERT_TRUE(guilt->isVisible());
    QTest::mouseClick(guilt, Qt::LeftButton, Qt::NoModifier, QPoint(guilt->width() - 2, guilt->height() / 2));
    EXPECT_TRUE(guilt->Value());
    EXPECT_EQ(State.SelectedIssue, issGuilt);
    EXPECT_EQ(Step(), stepSelectIssue);

    Type(Qt::Key_N);
    ASSERT_EQ(Step(), stepAssignSUD);
    vb::RadioButton* nine = form->radSUD[9];
    QTest::mouseClick(nine, Qt::LeftButton, Qt::NoModifier, QPoint(nine->width() - 1, nine->height() - 1));
    EXPECT_TRUE(nine->Value());
    EXPECT_EQ(form->SUD, 9);
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(MainWindowTest, TheSudNumberSelectsItsOptionAndTheIssueOptionWaitsForBusy)
{
    Next();
    Next();
    Next(); // Assign SUD
    ClickOn(form->lblSUDUnit[7]);
    EXPECT_TRUE(form->radSUD[7]->Value());
    EXPECT_FALSE(form->radSUD[5]->Value());
    EXPECT_EQ(form->SUD, 7);
    EXPECT_EQ(Step(), stepAssignSUD); // the number label is no part of the display that moves on
    form->radSUD[2]->click();
    EXPECT_EQ(form->SUD, 2);

    form->Busy = session::vbTrue;
    form->radMode_Click(3);
    EXPECT_EQ(State.SelectedIssue, issNegativeMemory);
    form->Busy = session::vbFalse;
    form->radMode[3]->click();
    EXPECT_EQ(State.SelectedIssue, IssueOptIndexToEnum(3));
    EXPECT_EQ(Step(), stepAssignSUD);
    EXPECT_TRUE(reports.calls.empty());
}

} // namespace
