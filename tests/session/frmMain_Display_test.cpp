// What the main window shows on each step: which panes, pictures and frames are visible, the
// titles and instruction texts, the blinking marker and its colours, the elapsed time, and the
// issue and SUD options.
#include "frmMainFixture.h"

#include "platform/VbError.h"
#include "session/modIssues.h"
#include "session/modSteps.h"

#include <functional>

using session::State;

namespace {

const QString CrLf2 = QStringLiteral("\r\n\r\n");

struct Shown {
    StepEnum step;
    bool panes, picShape, hands, fraMode, fraSUD, thymus, intro;
    const char* title;
};

class DisplayPerStep : public MainWindowTest, public ::testing::WithParamInterface<Shown> {};

TEST_P(DisplayPerStep, ShowsExactlyItsControls)
{
    const Shown s = GetParam();
    form->DisplayStep(s.step);
    EXPECT_EQ(form->picLeftFrame->Visible(), s.panes);
    EXPECT_EQ(form->picRightFrame->Visible(), s.panes);
    EXPECT_EQ(form->lblSplit->Visible(), s.panes);
    EXPECT_EQ(form->picShape->Visible(), s.picShape);
    EXPECT_EQ(form->picHandLeft->Visible(), s.hands);
    EXPECT_EQ(form->picHandRight->Visible(), s.hands);
    EXPECT_EQ(form->fraMode->Visible(), s.fraMode);
    EXPECT_EQ(form->fraSUD_2->Visible(), s.fraSUD);
    EXPECT_EQ(form->shpGreen->Visible(), s.thymus);
    EXPECT_EQ(form->lblIntro->Visible(), s.intro);
    EXPECT_EQ(form->lblSegmentTitle->Caption(), QString::fromUtf8(s.title));
    EXPECT_EQ(form->lblCurrentPoint->Caption(), GetStepDescription(s.step));
    EXPECT_EQ(VisibleDots(), 0); // the marker appears through the blink on the next tick
    EXPECT_EQ(State.CurrentPointIndex, GetStepPointIndex(s.step));
    EXPECT_TRUE(reports.calls.empty());
    EXPECT_TRUE(boxes.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DisplayPerStep,
    ::testing::Values(Shown{stepIntro, false, true, false, false, false, false, true, ""},
                      Shown{stepSelectIssue, true, false, false, true, false, false, false, "Select Issue"},
                      Shown{stepAssignSUD, true, false, false, false, true, false, false, "Assign SUD"},
                      Shown{stepStimulateThymus, true, true, false, false, false, true, false, "Stimulate Thymus"},
                      Shown{stepKarateChopLeft, true, false, true, false, false, false, false, "Affirmation Statement"},
                      Shown{stepKarateChopRight, true, false, true, false, false, false, false, "Affirmation Statement"},
                      Shown{stepTopHead_L, true, true, false, false, false, false, false, "Negative Sequence"},
                      Shown{stepRightEyebrow, true, true, false, false, false, false, false, "Negative Sequence"},
                      Shown{stepRightUnderArm, true, true, false, false, false, false, false, "Negative Sequence"},
                      Shown{stepRelax, true, true, false, false, false, false, false, "Relax"},
                      Shown{stepReassessSUD, true, false, false, false, true, false, false, "Reasses SUD"},
                      Shown{stepFinish, false, false, false, false, false, false, true, ""}));

TEST_F(MainWindowTest, IntroAndFinishFillTheFullWidthText)
{
    EXPECT_EQ(form->lblIntro->Caption(), GetIntroText());
    form->cmdFinish_Click();
    const QString finish =
        QStringLiteral("Take a deep breath. Place one hand on your hearth and the other one abount one inch below your "
                       "belly button - this spot is called 'dan tien'.") +
        CrLf2 + QStringLiteral("Concentrate on your heart and say:\r\n'I feel you. I understand you. I love you.'") +
        CrLf2 +
        QStringLiteral("Imagine energy flowing between your heart and your dan tien. As you breathe in, the energy goes "
                       "up to your heart. As you breath out, the energy goes down to your dan tien.") +
        CrLf2 + QStringLiteral("Send your love to the outside world, to everyone and everything.") + CrLf2 +
        QStringLiteral("Say:\r\n'I am greatful for this healing.'") + CrLf2 +
        QStringLiteral("The issue is gone. You are safe. Somebody loves you.");
    EXPECT_EQ(form->lblIntro->Caption(), finish);
}

TEST_F(MainWindowTest, InstructionTextsOfTheWaitingSteps)
{
    Next();
    EXPECT_TRUE(form->lblLeftFrame->Caption().startsWith(QStringLiteral(
        "Breath deeply and slowly - inhaling through the nose and out through the mouth. Slowly inhale, stop for 3-4 "
        "seconds and then slowly exhale and stop for 3-4 seconds.\r\n\r\nMassage your thymus")));
    EXPECT_TRUE(form->lblLeftFrame->Caption().endsWith(QStringLiteral(
        "\r\n\r\n(When stimulating thymus, the will to heal - life's energy - is activated.)\r\n\r\nClick button Next "
        "when you are ready.")));
    Next();
    EXPECT_EQ(form->lblLeftFrame->Caption(),
              QStringLiteral("Please select an emotional issue you want to clear.") + CrLf2 +
                  QStringLiteral("It should be an issue which triggers negative emotions in you - whenever you think "
                                 "about it you start sweating, your heart starts pounding, your blood circulates "
                                 "faster, your pulse accelerates, you are upset.") +
                  CrLf2 + QStringLiteral("Click button Next when you are ready."));
    Next();
    EXPECT_EQ(form->lblLeftFrame->Caption(),
              QStringLiteral("Now please assess the intensity of the issue - the level of discomfort it causes. Assign "
                             "to this issue a SUD number (a unit on so called 'Subjective Unit of Distress' scale). ") +
                  CrLf2 +
                  QStringLiteral("It is number from 0 to 10, where 0 means that the issue is not bothering you at all, "
                                 "and 10 indicates the highest level of distress.") +
                  CrLf2 + QStringLiteral("Go to the next step when you are ready."));
    form->DisplayStep(stepReassessSUD);
    EXPECT_TRUE(form->lblLeftFrame->Caption().contains(QStringLiteral(
        "Sometimes (though very rarely) it happens that the level of the stress increases.\r\nIf that's the case, stop "
        "working on that issue and try to clear some other, less intense issue. Come back to the original issue after "
        "the lighter issues are cleared.\r\n\r\nTo stop the session plese click the button 'Finish.")));
    form->DisplayStep(stepRelax);
    EXPECT_TRUE(form->lblLeftFrame->Caption().startsWith(
        QStringLiteral("Say 'Peace' and take couple of deep breaths.\r\n\r\nDetach yourself from the issue.")));
    EXPECT_TRUE(form->lblLeftFrame->Caption().endsWith(
        QStringLiteral("You will remember it but the negative emotions will go away.")));
}

TEST_F(MainWindowTest, TappingTextsFollowTheIssueAndTheRoundsPolarity)
{
    Next();
    Next();
    form->radMode[3]->SetValue(true); // Depression
    EXPECT_EQ(Step(), stepSelectIssue);
    Next();
    Next();
    EXPECT_EQ(form->lblLeftFrame->Caption(), GetStringForActivationStep(issDepression));
    EXPECT_TRUE(form->picHandLeft->Visible());
    Tick(2001);
    ASSERT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(form->lblLeftFrame->Caption(),
              QStringLiteral("Tune in into the emotion associated with the issue. Feel related experience and "
                             "sensations. Gently tap the indicated points with the index finger and middle finger. "
                             "Repeat (you can also use your own words): ") +
                  CrLf2 + GetStringForNegativeSequence(issDepression));
    Next(); // Relax, then round 3
    Tick(1500);
    ASSERT_EQ(Step(), stepTopHead_L);
    EXPECT_EQ(form->lblSegmentTitle->Caption(), QStringLiteral("Positive Sequence"));
    EXPECT_EQ(form->lblLeftFrame->Caption(),
              QStringLiteral("Continue tapping. Relax and remember to breathe slowly. Repeat (or use your own words to "
                             "reframe the issue): ") +
                  CrLf2 + GetStringForPositiveSequence(issDepression));
}

TEST_F(MainWindowTest, TheMarkerBlinksEveryElevenTicksOnTheCurrentPoint)
{
    ToLeftHand();
    EXPECT_EQ(VisibleDots(), 0);
    Tick(1);
    EXPECT_TRUE(form->shpStep[2]->Visible());
    EXPECT_EQ(VisibleDots(), 1);
    Tick(10);
    EXPECT_TRUE(form->shpStep[2]->Visible());
    Tick(1); // the 12th call
    EXPECT_FALSE(form->shpStep[2]->Visible());
    Tick(10);
    EXPECT_FALSE(form->shpStep[2]->Visible());
    Tick(1); // the 23rd
    EXPECT_TRUE(form->shpStep[2]->Visible());

    Tick(1000 - 23 + 1);
    ASSERT_EQ(Step(), stepKarateChopRight);
    EXPECT_TRUE(form->shpStep[3]->Visible()); // shown on the very tick of the change
    EXPECT_EQ(VisibleDots(), 1);

    // Right Eyebrow blinks dot 16, Right Eye Corner dot 12.
    Tick(1000 + 9 * 200);
    ASSERT_EQ(Step(), stepRightEyebrow);
    EXPECT_TRUE(form->shpStep[16]->Visible());
    EXPECT_EQ(VisibleDots(), 1);
    Tick(200);
    ASSERT_EQ(Step(), stepRightEyeCorner);
    EXPECT_TRUE(form->shpStep[12]->Visible());
    EXPECT_EQ(VisibleDots(), 1);

    Next();
    ASSERT_EQ(Step(), stepRelax);
    Tick(300);
    EXPECT_EQ(VisibleDots(), 0);
}

TEST_F(MainWindowTest, StimulateThymusShowsTheThymusMarkerAndNoBlinking)
{
    Next();
    EXPECT_TRUE(form->shpGreen->Visible());
    EXPECT_TRUE(form->picShape->Visible());
    EXPECT_FALSE(form->tmrSteps->Enabled());
    EXPECT_EQ(VisibleDots(), 0);
}

TEST_F(MainWindowTest, DotsAndTheirTags)
{
    const char* tags[] = {"Intro",          "LeftHand",       "RightHand",   "TopHead",       "LeftEyeBrow",
                          "LeftEyeCorner",  "LeftUnderEye",   "UnderNose",   "Chin",          "LeftCollarbone",
                          "LeftUnderArm",   "RightEyeCorner", "RightUnderEye", "RightCollarbone", "RightUnderArm",
                          "RightEyeBrow"};
    for (int i = 1; i <= 16; ++i) {
        ASSERT_TRUE(form->shpStep.Exists(i));
        EXPECT_EQ(form->shpStep[i]->Tag, QString::fromLatin1(tags[i - 1]));
        EXPECT_EQ(form->shpStep[i]->Width(), 240);
    }
    EXPECT_EQ(form->shpStep[2]->parentWidget(), form->picHandLeft);
    EXPECT_EQ(form->shpStep[3]->parentWidget(), form->picHandRight);
    EXPECT_EQ(form->shpStep[15]->parentWidget(), form->picShape);
    EXPECT_EQ(form->shpGreen->parentWidget(), form->picShape);
}

TEST_F(MainWindowTest, ElapsedTimeShowsHoursFromTheFirstHourOn)
{
    EXPECT_EQ(form->lblTime_New->Caption(), QString()); // empty until the first full second
    const std::pair<int32_t, const char*> cases[] = {
        {0, "00:00"},         {59, "00:59"},          {60, "01:00"},         {3599, "59:59"},
        {3600, "01:00:00"},   {3725, "01:02:05"},     {86399, "23:59:59"},   {86400, "24:00:00"},
        {90061, "25:01:01"},  {360000, "100:00:00"},  {2147483647, "596523:14:07"},
    };
    for (const auto& [seconds, text] : cases) {
        form->UpdateTimeElapsed(seconds);
        EXPECT_EQ(form->lblTime_New->Caption(), QString::fromLatin1(text)) << seconds;
    }
}

TEST_F(MainWindowTest, ElapsedTimeShowsItsWholeTextGrowingToTheLeft)
{
    const auto right = [this] { return form->lblTime_New->Left() + form->lblTime_New->Width(); };
    const int designedRight = form->cmdNav->Left() - 1200 + 735;
    ASSERT_EQ(right(), designedRight);
    for (int32_t seconds : {3599, 3725, 90061, 2147483647}) {
        form->UpdateTimeElapsed(seconds);
        const QLabel* label = form->lblTime_New;
        const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
        EXPECT_LE(textWidth, label->contentsRect().width()) << label->text().toStdString();
        EXPECT_GE(form->lblTime_New->Width(), 735);
        EXPECT_EQ(right(), designedRight) << seconds;
        testing_support::SaveShot(form->picStatusBar, QStringLiteral("elapsed-time-%1").arg(seconds));
    }
    // Relaid for another window size, the widened label keeps its right edge where the layout puts it.
    form->Move(0, 0, 12000, 8000);
    form->ArrangeControls();
    EXPECT_EQ(right(), form->cmdNav->Left() - 1200 + 735);
}

TEST_F(MainWindowTest, IssueAndSudOptions)
{
    // Captions of the offered options; 6 and 10 never show.
    EXPECT_EQ(form->radMode[1]->Caption(), QStringLiteral("Addiction or obsession"));
    EXPECT_EQ(form->radMode[9]->Caption(), QStringLiteral("Self-esteem issues"));
    EXPECT_EQ(form->radMode[12]->Caption(), QStringLiteral("PTSD, Trauma"));
    EXPECT_FALSE(form->radMode[6]->Visible());
    EXPECT_FALSE(form->radMode[10]->Visible());
    EXPECT_TRUE(form->radMode[5]->Value());

    Next();
    Next();
    form->radMode[3]->SetValue(true);
    EXPECT_EQ(State.SelectedIssue, issDepression);
    EXPECT_EQ(Step(), stepSelectIssue);
    form->Busy = session::vbTrue; // a choice while a command runs is ignored
    form->radMode[8]->SetValue(true);
    EXPECT_EQ(State.SelectedIssue, issDepression);
    form->Busy = session::vbFalse;

    form->lblSUDUnit_Click(7);
    EXPECT_TRUE(form->radSUD[7]->Value());
    EXPECT_FALSE(form->radSUD[5]->Value());
    EXPECT_EQ(form->SUD, 7);
    form->radSUD[2]->SetValue(true);
    EXPECT_EQ(form->SUD, 2);

    // A new session starts from the default issue and SUD 5 again.
    form->InitializeVariablesAndControls();
    EXPECT_TRUE(form->radMode[5]->Value());
    EXPECT_EQ(State.SelectedIssue, issNegativeMemory);
    EXPECT_TRUE(form->radSUD[5]->Value());
    EXPECT_EQ(form->SUD, 5);
}

TEST_F(MainWindowTest, FailuresOfTheDisplayAreReported)
{
    form->UpdateDisplay_SelectedIssue(issNone); // names option 0, which does not exist
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(reports.calls[0].ErrNum, 9);
    EXPECT_EQ(reports.calls[0].ProcName, QStringLiteral("UpdateDisplay_SelectedIssue"));
    EXPECT_EQ(reports.calls[0].ExtraDesc, QString());

    EXPECT_EQ(form->GetSegmentTitle(static_cast<StepEnum>(0)), QString());
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("GetSegmentTitle - wrong parameter passed"));
    EXPECT_EQ(form->GetStepInstructions(stepNone), QString());

    // A blink with no point to show stops the timer and names its line.
    ToLeftHand();
    State.CurrentPointIndex = -1;
    form->ResetBlink();
    form->Blink();
    ASSERT_EQ(reports.calls.size(), 2u);
    EXPECT_EQ(reports.calls[1].ProcName, QStringLiteral("Blink"));
    EXPECT_EQ(reports.calls[1].ExtraDesc, QStringLiteral("Line: 70"));
    EXPECT_FALSE(form->tmrSteps->Enabled());
}

// A procedure that runs with the timer stops it before its report and names its line, 0 where it
// numbers none; one that does not leaves the timer running and reports no line.
TEST_F(MainWindowTest, ATimerDrivenFailureStopsTheTimerAndNamesLineZero)
{
    struct Case { const char* proc; std::function<void()> fail; QString extra; bool timerRuns; };
    const Case cases[] = {
        {"GetSegmentTitle", [&] { form->GetSegmentTitle(stepNone); }, QStringLiteral("Line: 0"), false},
        {"UpdateDisplay_SelectedIssue", [&] { form->UpdateDisplay_SelectedIssue(issNone); }, QString(), true},
    };
    ToLeftHand();
    boxes.onCall = [](const vb::MsgBoxCall&) -> int { vb::Raise(vb::errOutOfMemory); };
    for (const Case& c : cases) {
        form->cmdResume_Click();
        ASSERT_TRUE(form->tmrSteps->Enabled()) << c.proc;
        reports.calls.clear();
        c.fail();
        ASSERT_EQ(reports.calls.size(), 1u) << c.proc;
        EXPECT_EQ(reports.calls[0].ModuleName, QStringLiteral("frmMain"));
        EXPECT_EQ(reports.calls[0].ProcName, QString::fromLatin1(c.proc));
        EXPECT_EQ(reports.calls[0].ExtraDesc, c.extra) << c.proc;
        EXPECT_EQ(form->tmrSteps->Enabled(), c.timerRuns) << c.proc;
    }
}

TEST_F(MainWindowTest, TheJournalStaysEmptyAndHidden)
{
    ToLeftHand();
    EXPECT_FALSE(form->txtJournal->Visible());
    EXPECT_EQ(form->txtJournal->Text(), QString());
    JournalEnabled = session::vbTrue; // nothing in the program does this
    form->DisplayStep(stepRelax);
    EXPECT_TRUE(form->txtJournal->Text().endsWith(QStringLiteral(" Relax")));
    JournalEnabled = session::vbFalse;
}

} // namespace
