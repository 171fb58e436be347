// Pictures of the main window at its design size at each step a session passes through, and of the
// body and hands with every tapping-point dot in its place (dots_*.png), into $QUORVANE_SHOTS
// (default: build/shots), for a person to look at.
#include "frmMainFixture.h"

#include <QFileInfo>

namespace {

class MainWindowShots : public MainWindowTest {
protected:
    void Shot(const QString& name)
    {
        const QString path = testing_support::SaveShot(form.get(), name);
        EXPECT_TRUE(QFileInfo(path).size() > 0) << path.toStdString();
        EXPECT_TRUE(reports.calls.empty());
    }
};

TEST_F(MainWindowShots, EveryStepOfASession)
{
    form->SetClientSizeTwips(17280, 10995);
    form->Show();
    form->Form_Activate();

    Shot("01_intro");
    Next();
    Shot("02_stimulate_thymus");
    Next();
    Shot("03_select_issue");
    Next();
    Shot("04_assign_sud");
    Next();
    Tick(1); // the marker shows on the first tick
    Shot("05_left_hand");
    Tick(1000);
    ASSERT_EQ(Step(), stepKarateChopRight);
    Shot("06_right_hand");
    Tick(1000 + 2 * 200); // Top Head, Left Eyebrow, then Left Eye Corner
    ASSERT_EQ(Step(), stepLeftEyeCorner);
    Shot("07_negative_left_eye_corner");
    Next();
    ASSERT_EQ(Step(), stepRelax);
    Shot("08_relax");
    Tick(1500 + 9 * 200 + 1); // round 3: Top Head, eight left points, then Right Eyebrow
    ASSERT_EQ(Step(), stepRightEyebrow);
    ASSERT_TRUE(session::State.RoundPolarity);
    Shot("09_positive_right_eyebrow");
    Next();
    ASSERT_EQ(Step(), stepReassessSUD);
    Shot("10_reasses_sud");
    form->cmdFinish_Click();
    Shot("11_finish");
}

// Every dot on its point at once, to check the pictures against the dots' places.
TEST_F(MainWindowShots, AllDotsOnThePictures)
{
    form->SetClientSizeTwips(17280, 10995);
    form->Show();
    ToLeftHand();
    form->picShape->SetVisible(true);
    form->shpGreen->SetVisible(true);
    for (auto& [i, dot] : form->shpStep)
        dot->SetVisible(i != 1);
    testing_support::SaveShot(form->picShape, "dots_body");
    testing_support::SaveShot(form->picHandLeft, "dots_hand_left");
    testing_support::SaveShot(form->picHandRight, "dots_hand_right");
}

} // namespace
