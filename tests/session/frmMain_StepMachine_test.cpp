// The step machine of the main window, driven tick by tick: start, timed moves, rounds and their
// polarity, Next/Previous from every kind of step, Pause/Resume, Finish, the guards, and an
// overflowing session clock.
#include "frmMainFixture.h"

#include "session/modSteps.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <limits>

using session::State;

namespace {

bool DotsAre(const frmMain& f, const QColor& c)
{
    for (auto& [i, dot] : f.shpStep)
        if (dot->FillColor() != c || dot->BackColor() != c || dot->BorderColor() != c)
            return false;
    return true;
}
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);

TEST_F(MainWindowTest, AfterLoadTheSessionWaitsOnIntro)
{
    EXPECT_EQ(Step(), stepIntro);
    EXPECT_EQ(State.StepLength, 0);
    EXPECT_FALSE(form->tmrSteps->Enabled());
    EXPECT_EQ(form->tmrSteps->Interval(), 10);
    EXPECT_FALSE(form->cmdNavig[0]->Enabled());
    EXPECT_TRUE(form->cmdPause->Visible());
    EXPECT_FALSE(form->cmdPause->Enabled());
    EXPECT_FALSE(form->cmdResume->Visible());
    EXPECT_EQ(form->cmdResume->Left(), form->cmdPause->Left());
    EXPECT_EQ(form->cmdResume->Top(), form->cmdPause->Top());
    EXPECT_EQ(form->SUD, 5);
    EXPECT_TRUE(form->radSUD[5]->Value());
    EXPECT_EQ(State.SelectedIssue, issNegativeMemory);
    EXPECT_EQ(State.TotalSeconds, 0);
    EXPECT_EQ(form->ButtonsRightEdge, 6795);
    EXPECT_EQ(form->Caption(), QStringLiteral("Quorvane"));
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(MainWindowTest, NextOnIntroEnablesPreviousWhichComesBackAndDisablesItself)
{
    Next();
    EXPECT_EQ(Step(), stepStimulateThymus);
    EXPECT_TRUE(form->cmdNavig[0]->Enabled());
    Previous();
    EXPECT_EQ(Step(), stepIntro);
    EXPECT_FALSE(form->cmdNavig[0]->Enabled());
    Previous(); // nothing to go back to
    EXPECT_EQ(Step(), stepIntro);
}

TEST_F(MainWindowTest, KarateChopStepsLastExactlyAThousandTicksEach)
{
    ToLeftHand();
    ASSERT_EQ(Step(), stepKarateChopLeft);
    EXPECT_TRUE(form->tmrSteps->Enabled());
    EXPECT_TRUE(form->cmdPause->Enabled());
    Tick(1000);
    EXPECT_EQ(Step(), stepKarateChopLeft);
    Tick(1); // the 1001st
    EXPECT_EQ(Step(), stepKarateChopRight);
    Tick(999);
    EXPECT_EQ(Step(), stepKarateChopRight);
    Tick(1);
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.RoundCount, 1);
    EXPECT_FALSE(State.RoundPolarity);
    EXPECT_TRUE(DotsAre(*form, kRed));
    EXPECT_EQ(State.TotalSeconds, 20);
    EXPECT_EQ(form->lblTime_New->Caption(), QStringLiteral("00:20"));
}

TEST_F(MainWindowTest, RoundThreeIsPositiveSixtyFourSecondsAfterRoundOneBegan)
{
    ToLeftHand();
    Tick(2001);
    ASSERT_EQ(Step(), stepTopHead_L);
    ASSERT_EQ(State.RoundCount, 1);
    // One round: the sixteen points in their fixed order, 200 ticks each.
    const StepEnum order[] = {stepTopHead_L,       stepLeftEyebrow,     stepLeftEyeCorner,  stepLeftUnderEye,
                              stepUnderNose_L,     stepChin_L,          stepLeftCollarbone, stepLeftUnderArm,
                              stepTopHead_R,       stepRightEyebrow,    stepRightEyeCorner, stepRightUnderEye,
                              stepUnderNose_R,     stepChin_R,          stepRightCollarbone, stepRightUnderArm};
    for (int i = 1; i < 16; ++i) {
        Tick(200);
        ASSERT_EQ(Step(), order[i]) << i;
    }
    Tick(200);
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.RoundCount, 2);
    EXPECT_FALSE(State.RoundPolarity);
    Tick(3199);
    EXPECT_EQ(Step(), stepRightUnderArm);
    EXPECT_TRUE(DotsAre(*form, kRed));
    Tick(1); // 6400 ticks after round 1 began
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.RoundCount, 3);
    EXPECT_TRUE(State.RoundPolarity);
    EXPECT_TRUE(DotsAre(*form, kGreen));
    EXPECT_EQ(form->lblSegmentTitle->Caption(), QStringLiteral("Positive Sequence"));
}

struct MoveCase {
    StepEnum from;
    int16_t polarity;
    int32_t rounds;
    StepEnum lands;
    int32_t roundsAfter;
    int16_t polarityAfter;
};

class PreviousFromEveryStep : public MainWindowTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(PreviousFromEveryStep, LandsAndSetsTheRoundState)
{
    const MoveCase c = GetParam();
    State.CurrentStep = c.from;
    State.StepLength = GetStepLength(c.from);
    State.RoundPolarity = c.polarity;
    State.RoundCount = c.rounds;
    Previous();
    EXPECT_EQ(Step(), c.lands);
    EXPECT_EQ(State.RoundCount, c.roundsAfter);
    EXPECT_EQ(State.RoundPolarity, c.polarityAfter);
    EXPECT_EQ(form->tmrSteps->Enabled(), GetStepLength(c.lands) > 0);
    EXPECT_TRUE(reports.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PreviousFromEveryStep,
    ::testing::Values(MoveCase{stepIntro, 0, 4, stepIntro, 4, 0},
                      MoveCase{stepSelectIssue, 0, 0, stepStimulateThymus, 0, 0},
                      MoveCase{stepAssignSUD, 0, 0, stepSelectIssue, 0, 0},
                      MoveCase{stepStimulateThymus, 0, 0, stepIntro, 0, 0},
                      MoveCase{stepKarateChopLeft, 0, 0, stepAssignSUD, 0, 0},
                      MoveCase{stepKarateChopRight, 0, 0, stepAssignSUD, 0, 0},
                      MoveCase{stepLeftEyebrow, 0, 2, stepKarateChopLeft, 0, 0},
                      MoveCase{stepChin_R, 0, 1, stepKarateChopLeft, 0, 0},
                      MoveCase{stepUnderNose_L, -1, 3, stepRelax, 2, 0},
                      MoveCase{stepRightUnderArm, -1, 5, stepRelax, 2, 0},
                      MoveCase{stepRelax, 0, 2, stepTopHead_L, 1, 0},
                      MoveCase{stepReassessSUD, -1, 4, stepRelax, 2, 0},
                      MoveCase{stepFinish, 0, 0, stepStimulateThymus, 0, 0}));

class NextFromEveryStep : public MainWindowTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(NextFromEveryStep, LandsAndSetsTheRoundState)
{
    const MoveCase c = GetParam();
    State.CurrentStep = c.from;
    State.StepLength = GetStepLength(c.from);
    State.RoundPolarity = c.polarity;
    State.RoundCount = c.rounds;
    Next();
    EXPECT_EQ(Step(), c.lands);
    EXPECT_EQ(State.RoundCount, c.roundsAfter);
    EXPECT_EQ(State.RoundPolarity, c.polarityAfter);
    EXPECT_TRUE(reports.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, NextFromEveryStep,
    ::testing::Values(MoveCase{stepIntro, 0, 0, stepStimulateThymus, 0, 0},
                      MoveCase{stepStimulateThymus, 0, 0, stepSelectIssue, 0, 0},
                      MoveCase{stepSelectIssue, 0, 0, stepAssignSUD, 0, 0},
                      MoveCase{stepAssignSUD, 0, 0, stepKarateChopLeft, 0, 0},
                      MoveCase{stepKarateChopLeft, 0, 0, stepTopHead_L, 1, 0},
                      MoveCase{stepKarateChopRight, 0, 0, stepTopHead_L, 1, 0},
                      MoveCase{stepLeftUnderArm, 0, 1, stepRelax, 2, 0},
                      MoveCase{stepRightEyeCorner, 0, 2, stepRelax, 2, 0},
                      MoveCase{stepLeftUnderArm, -1, 3, stepReassessSUD, 3, -1},
                      MoveCase{stepRelax, 0, 2, stepTopHead_L, 3, -1},
                      MoveCase{stepReassessSUD, -1, 3, stepTopHead_L, 4, -1},
                      MoveCase{stepFinish, 0, 0, stepIntro, 0, 0}));

TEST_F(MainWindowTest, RelaxLeadsIntoAPositiveRoundAfterFifteenSeconds)
{
    ToLeftHand();
    Tick(2001 + 3 * 200); // round 1, fourth point
    Next();
    ASSERT_EQ(Step(), stepRelax);
    EXPECT_TRUE(form->tmrSteps->Enabled());
    // Relax began with the milliseconds the point had counted, so its first second is short.
    Tick(1499);
    EXPECT_EQ(Step(), stepRelax);
    Tick(1);
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.RoundCount, 3);
    EXPECT_TRUE(State.RoundPolarity);
    EXPECT_TRUE(DotsAre(*form, kGreen));

    Next(); // positive round: Reasses SUD waits for the user
    EXPECT_EQ(Step(), stepReassessSUD);
    EXPECT_FALSE(form->tmrSteps->Enabled());
    EXPECT_FALSE(form->cmdPause->Enabled());
    Next();
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.RoundCount, 4);
    EXPECT_TRUE(State.RoundPolarity);
}

TEST_F(MainWindowTest, PreviousInRoundTwoStartsTheRoundsAgainRed)
{
    ToLeftHand();
    Tick(2001 + 3200 + 200);
    ASSERT_EQ(State.RoundCount, 2);
    Previous();
    EXPECT_EQ(Step(), stepKarateChopLeft);
    EXPECT_EQ(State.RoundCount, 0);
    EXPECT_TRUE(DotsAre(*form, kGreen));
    Tick(2001);
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.RoundCount, 1);
    EXPECT_TRUE(DotsAre(*form, kRed));
}

TEST_F(MainWindowTest, PauseAndResumeKeepTheStepAndItsMilliseconds)
{
    ToLeftHand();
    Tick(2001 + 150); // 1.5 s into Top Head
    const int32_t ms = State.MillisecondCount;
    const int32_t seconds = State.StepSeconds;
    form->cmdPause_Click();
    EXPECT_FALSE(form->tmrSteps->Enabled());
    EXPECT_FALSE(form->cmdPause->Visible());
    EXPECT_TRUE(form->cmdResume->Visible());
    EXPECT_TRUE(form->cmdResume->Enabled());
    form->cmdResume_Click();
    EXPECT_TRUE(form->tmrSteps->Enabled());
    EXPECT_TRUE(form->cmdPause->Visible());
    EXPECT_TRUE(form->cmdPause->Enabled());
    EXPECT_FALSE(form->cmdResume->Visible());
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.MillisecondCount, ms);
    EXPECT_EQ(State.StepSeconds, seconds);
    Tick(50);
    EXPECT_EQ(Step(), stepLeftEyebrow);

    // Next while paused ends the pause.
    form->cmdPause_Click();
    Next();
    EXPECT_EQ(Step(), stepRelax);
    EXPECT_TRUE(form->tmrSteps->Enabled());
    EXPECT_TRUE(form->cmdPause->Visible());
    EXPECT_FALSE(form->cmdResume->Visible());
}

TEST_F(MainWindowTest, ResumeOnAnUntimedStepLeavesTheTimerOff)
{
    Next();
    form->cmdPause_Click();
    form->cmdResume_Click();
    EXPECT_EQ(Step(), stepStimulateThymus);
    EXPECT_FALSE(form->tmrSteps->Enabled());
    EXPECT_FALSE(form->cmdPause->Enabled());
    EXPECT_TRUE(form->cmdPause->Visible());
    EXPECT_FALSE(form->cmdResume->Visible());
}

TEST_F(MainWindowTest, FinishKeepsTheElapsedTimeWhichCountsOnLater)
{
    ToLeftHand();
    Tick(2001 + 250);
    const int32_t total = State.TotalSeconds;
    const int32_t ms = State.MillisecondCount;
    form->cmdFinish_Click();
    EXPECT_EQ(Step(), stepFinish);
    EXPECT_FALSE(form->tmrSteps->Enabled());
    EXPECT_FALSE(form->cmdPause->Enabled());
    EXPECT_EQ(State.RoundCount, 0);
    EXPECT_FALSE(State.RoundPolarity);
    EXPECT_EQ(State.TotalSeconds, total);
    EXPECT_EQ(State.MillisecondCount, ms);
    EXPECT_EQ(form->lblTime_New->Caption(), QStringLiteral("00:22"));
    EXPECT_TRUE(form->cmdNavig[0]->Enabled());

    Previous();
    EXPECT_EQ(Step(), stepStimulateThymus);
    Next();
    Next();
    Next();
    ASSERT_EQ(Step(), stepKarateChopLeft);
    Tick(100);
    EXPECT_EQ(State.TotalSeconds, total + 1);
}

TEST(MainWindowGuards, NothingMovesBeforeTheFirstActivationOrWhileBusy)
{
    session::ResetState();
    ErrorReportRecorder reports;
    frmMain form;
    form.tmrSteps->blockSignals(true);
    form.Load();
    form.cmdNavig_Click(1);
    form.cmdFinish_Click();
    EXPECT_EQ(session::State.CurrentStep, stepIntro);
    form.Form_Activate();
    form.Busy = session::vbTrue;
    form.cmdNavig_Click(1);
    form.cmdFinish_Click();
    EXPECT_EQ(session::State.CurrentStep, stepIntro);
    form.Busy = session::vbFalse;
    form.cmdNavig_Click(1);
    EXPECT_EQ(session::State.CurrentStep, stepStimulateThymus);
    form.cmdNavig_Click(7); // no such button
    EXPECT_EQ(session::State.CurrentStep, stepStimulateThymus);
    form.cmdFinish_Click();
    EXPECT_EQ(session::State.CurrentStep, stepFinish);
    EXPECT_TRUE(reports.calls.empty());
    form.Unload();
}

TEST_F(MainWindowTest, AnOverflowingSessionClockIsReportedWithTheTimerStopped)
{
    ToLeftHand();
    Tick(90);
    State.TotalSeconds = std::numeric_limits<int32_t>::max();
    Tick(10);
    ASSERT_EQ(reports.calls.size(), 1u);
    const ErrorReportCall& r = reports.calls[0];
    EXPECT_EQ(r.ErrNum, 6);
    EXPECT_EQ(r.ModuleName, QStringLiteral("frmMain"));
    EXPECT_EQ(r.ProcName, QStringLiteral("tmrSteps_Timer"));
    EXPECT_EQ(r.ExtraDesc, QStringLiteral("Line: 70")); // the addition to TotalSeconds
    EXPECT_FALSE(form->tmrSteps->Enabled());
    EXPECT_EQ(State.TotalSeconds, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Step(), stepKarateChopLeft);
    // The stopped timer stays stopped until a step change enables it again.
    Next();
    EXPECT_TRUE(form->tmrSteps->Enabled());
}

TEST_F(MainWindowTest, AnOverflowingRoundCountIsReportedByTheStepChange)
{
    ToLeftHand();
    Tick(1001);
    ASSERT_EQ(Step(), stepKarateChopRight);
    State.RoundCount = std::numeric_limits<int32_t>::max();
    Tick(1000); // Right Hand is over: the new round's count overflows
    ASSERT_EQ(reports.calls.size(), 1u);
    const ErrorReportCall& r = reports.calls[0];
    EXPECT_EQ(r.ErrNum, 6);
    EXPECT_EQ(r.ModuleName, QStringLiteral("frmMain"));
    EXPECT_EQ(r.ProcName, QStringLiteral("ProcessSteps"));
    EXPECT_EQ(r.ExtraDesc, QStringLiteral("Line: 80")); // the addition to RoundCount
    EXPECT_FALSE(form->tmrSteps->Enabled());
    // The state keeps what it had reached.
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.RoundCount, std::numeric_limits<int32_t>::max());
}

TEST_F(MainWindowTest, PreviousKeepsItsStateThroughFinishUntilItLandsOnIntro)
{
    Next();
    ASSERT_TRUE(form->cmdNavig[0]->Enabled());
    form->cmdFinish_Click();
    Previous(); // Finish -> Stimulate Thymus: the button stays as it was
    EXPECT_EQ(Step(), stepStimulateThymus);
    EXPECT_TRUE(form->cmdNavig[0]->Enabled());
    form->cmdFinish_Click();
    Next(); // Finish -> Intro, with Previous still enabled
    EXPECT_EQ(Step(), stepIntro);
    EXPECT_TRUE(form->cmdNavig[0]->Enabled());
    Previous(); // no step change, but it disables itself
    EXPECT_EQ(Step(), stepIntro);
    EXPECT_FALSE(form->cmdNavig[0]->Enabled());
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(MainWindowTest, PendingEventsRunOnceASecondAfterTheTimeIsShown)
{
    ToLeftHand();
    int runs = 0;
    int32_t secondsSeen = -1;
    QString labelSeen;
    QMetaObject::invokeMethod(
        form.get(),
        [&] {
            ++runs;
            secondsSeen = State.TotalSeconds;
            labelSeen = form->lblTime_New->Caption();
        },
        Qt::QueuedConnection);
    Tick(99);
    EXPECT_EQ(runs, 0);
    Tick(1);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(secondsSeen, 1);
    EXPECT_EQ(labelSeen, QStringLiteral("00:01"));
}

TEST_F(MainWindowTest, TheRealTimerDrivesTheSession)
{
    form->tmrSteps->blockSignals(false);
    ToLeftHand();
    ASSERT_TRUE(form->tmrSteps->Enabled());
    QElapsedTimer clock;
    clock.start();
    while (State.TotalSeconds < 1 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(State.TotalSeconds, 1);
    EXPECT_EQ(form->lblTime_New->Caption(), QStringLiteral("00:01"));
}

} // namespace
