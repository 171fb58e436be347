// The step table: every step's look-ups, the round-state changes of Next and Previous, where the
// main window's Previous and Next land with them, and the boxes for values the table does not know.
#include "frmMainFixture.h"
#include "platform/AppInfo.h"
#include "platform/VbError.h"
#include "session/SessionState.h"
#include "session/modSteps.h"
#include "support/modErrorReport.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using session::State;
using session::vbFalse;
using session::vbTrue;

namespace {

class StepTable : public ::testing::Test {
protected:
    void SetUp() override { session::ResetState(); }
    void TearDown() override { session::ResetState(); }
    testing_support::MsgBoxRecorder boxes;
};

StepEnum S(int v) { return static_cast<StepEnum>(v); }

struct StepRow {
    int step;
    const char* name;
    const char* caption;
    int length;
    int timerNext;
    int point;
    bool tapping;
};

// One row per step value, in table order.
const std::vector<StepRow> kSteps = {
    {1, "Intro", "Intro", 0, 4, -1, false},
    {2, "Select Issue", "", 0, 3, -1, false},
    {3, "Assign SUD", "", 0, 5, -1, false},
    {4, "Stimulate Thymus", "", 0, 2, -1, false},
    {5, "Left Hand", "Karate chop - Left Hand", 10, 6, 2, false},
    {6, "Right Hand", "Karate chop - Right Hand", 10, 7, 3, false},
    {7, "Top Head", "Top Head", 2, 9, 4, true},
    {8, "Top Head", "Top Head", 2, 18, 4, true},
    {9, "Left Eyebrow", "Left Eyebrow", 2, 10, 5, true},
    {10, "Left Eye Corner", "Left Eye Corner", 2, 11, 6, true},
    {11, "Left Under Eye", "Left Under Eye", 2, 12, 7, true},
    {12, "Under Nose", "Under Nose", 2, 14, 8, true},
    {13, "Under Nose", "Under Nose", 2, 15, 8, true},
    {14, "Chin", "Chin", 2, 16, 9, true},
    {15, "Chin", "Chin", 2, 21, 9, true},
    {16, "Left Collarbone", "Left Collarbone", 2, 17, 10, true},
    {17, "Left Under Arm", "Left Under Arm", 2, 8, 11, true},
    {18, "Right Eyebrow", "Right Eyebrow", 2, 19, 16, true},
    {19, "Right Eye Corner", "Right Eye Corner", 2, 20, 12, true},
    {20, "Right Under Eye", "Right Under Eye", 2, 13, 13, true},
    {21, "Right Collarbone", "Right Collarbone", 2, 22, 14, true},
    {22, "Right Under Arm", "Right Under Arm", 2, 7, 15, true},
    {23, "Relax", "Relax - Description", 15, 7, -1, false},
    {24, "Reasses SUD", "", 0, 7, -1, true},
    {25, "Finish", "Finish", 0, 1, -1, false},
};

TEST_F(StepTable, EveryStepHasItsNameCaptionLengthTimerSuccessorAndDot)
{
    for (const auto& r : kSteps) {
        SCOPED_TRACE(r.step);
        EXPECT_EQ(GetStepName(S(r.step)), QString::fromLatin1(r.name));
        EXPECT_EQ(GetStepDescription(S(r.step)), QString::fromLatin1(r.caption));
        EXPECT_EQ(GetStepLength(S(r.step)), r.length);
        EXPECT_EQ(GetNextStep(S(r.step)), r.timerNext);
        EXPECT_EQ(GetStepPointIndex(S(r.step)), r.point);
        EXPECT_EQ(IsThisTappingStep(S(r.step)), r.tapping ? vbTrue : vbFalse);
    }
    EXPECT_TRUE(boxes.calls.empty());
    // The timer successors are pure.
    EXPECT_EQ(State.RoundCount, 0);
    EXPECT_EQ(State.RoundPolarity, vbFalse);
}

TEST_F(StepTable, StepNoneHasNoNameButHasSuccessorsAndNoDot)
{
    EXPECT_EQ(GetStepName(stepNone), QString());
    EXPECT_EQ(GetStepDescription(stepNone), QString());
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("GetStepName - wrong parameter passed"));
    EXPECT_EQ(boxes.calls[1].Prompt, QStringLiteral("GetStepDescription - wrong parameter passed"));
    boxes.calls.clear();

    int16_t flag = vbTrue;
    EXPECT_EQ(GetStepLength(stepNone), 2);
    EXPECT_EQ(GetNextStep(stepNone), stepIntro);
    EXPECT_EQ(GetNextStep_Navigation(stepNone), stepIntro);
    EXPECT_EQ(GetPrevStep(stepNone, flag), stepIntro);
    EXPECT_EQ(flag, vbFalse);
    EXPECT_EQ(GetStepPointIndex(stepNone), -1);
    EXPECT_EQ(IsThisTappingStep(stepNone), vbFalse);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(StepTable, ValuesOutsideTheTableShowAPlainBoxAndGiveTheFallback)
{
    for (int v : {-1, 26, 100, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(v);
        boxes.calls.clear();
        State.RoundCount = 7;
        State.RoundPolarity = vbTrue;
        int16_t flag = vbTrue;

        EXPECT_EQ(GetStepName(S(v)), QString());
        EXPECT_EQ(GetStepDescription(S(v)), QString());
        EXPECT_EQ(GetNextStep(S(v)), stepIntro);
        EXPECT_EQ(GetNextStep_Navigation(S(v)), stepIntro);
        EXPECT_EQ(GetPrevStep(S(v), flag), stepIntro);
        EXPECT_EQ(flag, vbFalse);
        // These three answer without a box.
        EXPECT_EQ(GetStepLength(S(v)), 2);
        EXPECT_EQ(IsThisTappingStep(S(v)), vbFalse);
        EXPECT_EQ(GetStepPointIndex(S(v)), 0);

        const QStringList expected = {
            QStringLiteral("GetStepName - wrong parameter passed"),
            QStringLiteral("GetStepDescription - wrong parameter passed"),
            QStringLiteral("Next step not defined"),
            QStringLiteral("Next step not defined"),
            QStringLiteral("Previous step not defined"),
        };
        ASSERT_EQ(boxes.calls.size(), size_t(expected.size()));
        for (size_t i = 0; i < boxes.calls.size(); ++i) {
            EXPECT_EQ(boxes.calls[i].Prompt, expected[int(i)]);
            EXPECT_EQ(boxes.calls[i].Buttons, int(vb::vbOKOnly));
            EXPECT_EQ(boxes.calls[i].Title, app::ProductName());
        }
        // The round state belongs to the tapping steps only.
        EXPECT_EQ(State.RoundCount, 7);
        EXPECT_EQ(State.RoundPolarity, vbTrue);
    }
}

TEST_F(StepTable, OneRoundVisitsTheSixteenPointsOnceInOrder)
{
    const std::vector<int> order = {7, 9, 10, 11, 12, 14, 16, 17, 8, 18, 19, 20, 13, 15, 21, 22};
    StepEnum s = stepTopHead_L;
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(s, order[i]) << "place " << i;
        s = GetNextStep(s);
    }
    EXPECT_EQ(s, stepTopHead_L);
    // A round is 16 points of 2 seconds.
    int seconds = 0;
    for (int p : order)
        seconds += GetStepLength(S(p));
    EXPECT_EQ(seconds, 32);
}

TEST_F(StepTable, AnErrorInsideALookUpGoesToTheErrorReport)
{
    // The only thing inside the look-ups that can fail is the box for a wrong value.
    boxes.onCall = [](const vb::MsgBoxCall&) -> int { vb::Raise(vb::errOutOfMemory); };
    ErrorReportRecorder reports;
    int16_t flag = vbTrue;

    EXPECT_EQ(GetStepName(S(99)), QString());
    EXPECT_EQ(GetStepDescription(S(-5)), QString());
    // The fallback is already held when the box fails, so the caller still gets Intro.
    EXPECT_EQ(GetNextStep(S(26)), stepIntro);
    EXPECT_EQ(GetNextStep_Navigation(S(26)), stepIntro);
    EXPECT_EQ(GetPrevStep(S(26), flag), stepIntro);
    EXPECT_EQ(flag, vbFalse);

    const QStringList procs = {"GetStepName", "GetStepDescription", "GetNextStep", "GetNextStep_Navigation",
                               "GetPrevStep"};
    ASSERT_EQ(reports.calls.size(), size_t(procs.size()));
    for (size_t i = 0; i < reports.calls.size(); ++i) {
        EXPECT_EQ(reports.calls[i].ErrNum, 7);
        EXPECT_EQ(reports.calls[i].ErrDesc, vb::StandardDescription(7));
        EXPECT_EQ(reports.calls[i].ModuleName, QStringLiteral("modSteps"));
        EXPECT_EQ(reports.calls[i].ProcName, procs[int(i)]);
        EXPECT_EQ(reports.calls[i].ExtraDesc, QString());
    }
}

struct NavRow {
    int step;
    int16_t polarity;
    int expected;
    int roundCountAfter; // from a start of 5
};

TEST_F(StepTable, NextSuccessorAndItsRoundCountChange)
{
    std::vector<NavRow> rows = {
        {0, vbFalse, 1, 5}, {1, vbFalse, 4, 5}, {2, vbFalse, 3, 5}, {3, vbFalse, 5, 5},
        {4, vbFalse, 2, 5}, {5, vbFalse, 7, 5}, {6, vbFalse, 7, 5}, {6, vbTrue, 7, 5},
        {23, vbFalse, 7, 5}, {23, vbTrue, 7, 5}, {25, vbFalse, 1, 5}, {25, vbTrue, 1, 5},
        // Reasses SUD counts as a tapping step: a negative round sets the count, either way 7.
        {24, vbFalse, 7, 2}, {24, vbTrue, 7, 5},
    };
    for (int t = 7; t <= 22; ++t) {
        rows.push_back({t, vbFalse, 23, 2});
        rows.push_back({t, vbTrue, 24, 5});
    }
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "step " << r.step << " polarity " << r.polarity);
        State.RoundCount = 5;
        State.RoundPolarity = r.polarity;
        EXPECT_EQ(GetNextStep_Navigation(S(r.step)), r.expected);
        EXPECT_EQ(State.RoundCount, r.roundCountAfter);
        EXPECT_EQ(State.RoundPolarity, r.polarity); // never written here
    }
    EXPECT_TRUE(boxes.calls.empty());
}

struct PrevRow {
    int step;
    int16_t polarity;
    int expected;
    int16_t flag;
    int roundCountAfter; // from a start of 5
};

TEST_F(StepTable, PredecessorWithItsOutFlagAndRoundCountChange)
{
    std::vector<PrevRow> rows = {
        {0, vbFalse, 1, vbFalse, 5}, {1, vbFalse, 1, vbFalse, 5}, {2, vbFalse, 4, vbFalse, 5},
        {3, vbFalse, 2, vbFalse, 5}, {4, vbFalse, 1, vbFalse, 5}, {5, vbFalse, 3, vbFalse, 5},
        {6, vbFalse, 3, vbFalse, 5}, {6, vbTrue, 3, vbFalse, 5},
        // Relax and Finish go back to the first point and leave the round state alone.
        {23, vbFalse, 7, vbFalse, 5}, {23, vbTrue, 7, vbFalse, 5},
        {25, vbFalse, 7, vbFalse, 5}, {25, vbTrue, 7, vbFalse, 5},
        {24, vbFalse, 5, vbFalse, 0}, {24, vbTrue, 23, vbTrue, 0},
    };
    for (int t = 7; t <= 22; ++t) {
        rows.push_back({t, vbFalse, 5, vbFalse, 0});
        rows.push_back({t, vbTrue, 23, vbTrue, 0});
    }
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "step " << r.step << " polarity " << r.polarity);
        State.RoundCount = 5;
        State.RoundPolarity = r.polarity;
        int16_t flag = r.flag ? vbFalse : vbTrue; // the opposite, so a missed write shows
        EXPECT_EQ(GetPrevStep(S(r.step), flag), r.expected);
        EXPECT_EQ(flag, r.flag);
        EXPECT_EQ(State.RoundCount, r.roundCountAfter);
        EXPECT_EQ(State.RoundPolarity, r.polarity);
    }
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(StepTable, IntroTextIsFiveParagraphs)
{
    const QString text = GetIntroText();
    const QStringList paras = text.split(QStringLiteral("\r\n\r\n"));
    ASSERT_EQ(paras.size(), 5);
    EXPECT_EQ(paras[0], QStringLiteral("Please sit up straight in a safe, quiet place and relax."));
    EXPECT_EQ(paras[1], QStringLiteral("Take a deep breath."));
    EXPECT_EQ(paras[2],
              QStringLiteral("Expand your body - put your chest forward, head up, your feet shoulder-width apart. Keep "
                             "your whole spine straight. Gently place your tongue against the roof of your mouth. Take "
                             "as much space as you can. You have right to be here. You are in charge."));
    EXPECT_EQ(paras[3],
              QStringLiteral("There is no right or wrong way of working towards achiving emotional freedom, there is "
                             "only your way. As long as you feel the emotions you want to clear, you are on the right "
                             "path. With time you will clear negative emotions and you'll achive calmness and piece of "
                             "mind."));
    EXPECT_EQ(paras[4], QStringLiteral("Whenever you are ready, please click the Next button or press a spacebar or an "
                                       "Enter key to move to the next step."));
    // Only the paragraph breaks: no other line break, none at either end.
    EXPECT_EQ(text.count(QLatin1Char('\r')), 8);
    EXPECT_EQ(text.count(QLatin1Char('\n')), 8);
}

TEST_F(StepTable, EachStepSaysHowItsInstructionIsMade)
{
    using K = StepInstruction;
    for (int v = 0; v <= 25; ++v) {
        SCOPED_TRACE(v);
        const K expected = (v == 5 || v == 6) ? K::SetUpStatement : (v >= 7 && v <= 22) ? K::PhraseList : K::Prose;
        EXPECT_EQ(GetStepInstructionKind(S(v)), expected);
        const QString prose = GetStepInstructionProse(S(v));
        // Only the waiting steps, Relax and Finish have prose of their own; it has no break at either end.
        EXPECT_EQ(prose.isEmpty(), expected != K::Prose || v == 0);
        EXPECT_FALSE(prose.startsWith(QLatin1Char('\r')) || prose.endsWith(QLatin1Char('\n')));
    }
    EXPECT_EQ(GetStepInstructionProse(stepIntro), GetIntroText());
    for (int v : {-1, 26, INT_MIN, INT_MAX}) {
        EXPECT_EQ(GetStepInstructionKind(S(v)), K::Prose) << v;
        EXPECT_EQ(GetStepInstructionProse(S(v)), QString()) << v;
    }
    // The lead-ins end with a blank; any non-zero polarity is a positive round.
    EXPECT_TRUE(GetPhraseListLeadIn(vbFalse).startsWith(QStringLiteral("Tune in into the emotion")));
    EXPECT_TRUE(GetPhraseListLeadIn(vbTrue).startsWith(QStringLiteral("Continue tapping.")));
    EXPECT_EQ(GetPhraseListLeadIn(1), GetPhraseListLeadIn(vbTrue));
    EXPECT_TRUE(GetPhraseListLeadIn(vbFalse).endsWith(QStringLiteral("words): ")));
    EXPECT_TRUE(GetPhraseListLeadIn(vbTrue).endsWith(QStringLiteral("issue): ")));
    EXPECT_TRUE(boxes.calls.empty());
}

// ---- Where the main window's Previous and Next land with these look-ups ---------------------
//
// The rows run against a real loaded window: the step and round state are put in place, then its
// Previous or Next button is clicked.


class StepTableInTheWindow : public MainWindowTest {
protected:
    struct Landing {
        int from;
        int roundCount; // state before
        int16_t polarity;
        int lands;
        int roundCountAfter;
        int16_t polarityAfter;
    };

    void Check(const Landing& r, bool forward)
    {
        SCOPED_TRACE(testing::Message() << (forward ? "Next" : "Previous") << " on " << r.from << " round "
                                        << r.roundCount);
        State.CurrentStep = S(r.from);
        State.StepLength = GetStepLength(State.CurrentStep);
        State.RoundCount = r.roundCount;
        State.RoundPolarity = r.polarity;
        forward ? Next() : Previous();
        EXPECT_EQ(Step(), r.lands);
        EXPECT_EQ(State.RoundCount, r.roundCountAfter);
        EXPECT_EQ(State.RoundPolarity, r.polarityAfter);
    }
};

TEST_F(StepTableInTheWindow, PreviousLandsWhereTheMachinePromises)
{
    std::vector<Landing> rows = {
        {1, 0, vbFalse, 1, 0, vbFalse},    // stays; state unchanged
        {1, 3, vbTrue, 1, 3, vbTrue},      // stays; state unchanged
        {2, 0, vbFalse, 4, 0, vbFalse},
        {3, 0, vbFalse, 2, 0, vbFalse},
        {4, 0, vbFalse, 1, 0, vbFalse},
        {5, 0, vbFalse, 3, 0, vbFalse},
        {6, 0, vbFalse, 3, 0, vbFalse},
        {23, 2, vbFalse, 7, 1, vbFalse},   // round 1 again
        {24, 4, vbTrue, 23, 2, vbFalse},
        {25, 0, vbFalse, 4, 0, vbFalse},
    };
    for (int t = 7; t <= 22; ++t) {
        rows.push_back({t, 2, vbFalse, 5, 0, vbFalse}); // negative round: back to Left Hand
        rows.push_back({t, 1, vbFalse, 5, 0, vbFalse});
        rows.push_back({t, 3, vbTrue, 23, 2, vbFalse}); // positive round: back to Relax
        rows.push_back({t, 9, vbTrue, 23, 2, vbFalse});
    }
    for (const auto& r : rows)
        Check(r, false);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(StepTableInTheWindow, NextLandsWhereTheMachinePromises)
{
    const std::vector<Landing> rows = {
        {1, 0, vbFalse, 4, 0, vbFalse},  {4, 0, vbFalse, 2, 0, vbFalse},  {2, 0, vbFalse, 3, 0, vbFalse},
        {3, 0, vbFalse, 5, 0, vbFalse},  {5, 0, vbFalse, 7, 1, vbFalse},  {6, 0, vbFalse, 7, 1, vbFalse},
        {12, 1, vbFalse, 23, 2, vbFalse}, {22, 2, vbFalse, 23, 2, vbFalse}, {12, 3, vbTrue, 24, 3, vbTrue},
        {23, 2, vbFalse, 7, 3, vbTrue},  {24, 3, vbTrue, 7, 4, vbTrue},   {24, 0, vbFalse, 7, 3, vbTrue},
        {25, 0, vbFalse, 1, 0, vbFalse},
    };
    for (const auto& r : rows)
        Check(r, true);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(StepTableInTheWindow, AWholeSessionThroughTheLookUps)
{
    // Intro, Next x3 to Assign SUD, then the timer through both hands into the rounds.
    EXPECT_EQ(Step(), stepIntro);
    Next();
    Next();
    Next();
    EXPECT_EQ(Step(), stepAssignSUD);
    Next();
    EXPECT_EQ(Step(), stepKarateChopLeft);
    // Let the timer run for three rounds after the hands.
    for (int ticks = 0; State.RoundCount < 3 && ticks < 10000; ++ticks)
        Tick();
    ASSERT_EQ(State.RoundCount, 3);
    EXPECT_EQ(State.TotalSeconds, 20 + 64); // both hands, then two rounds of 32 s
    EXPECT_EQ(State.RoundPolarity, vbTrue);
    // Next in a positive round: Reasses SUD, then on into round 4.
    Next();
    EXPECT_EQ(Step(), stepReassessSUD);
    EXPECT_EQ(State.StepLength, 0);
    Next();
    EXPECT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(State.RoundCount, 4);
    EXPECT_TRUE(reports.calls.empty());
}

} // namespace
