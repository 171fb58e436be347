// The dialog template: the first-activation rule, Enter and Esc at window level, the Busy guard,
// the close question, and a fresh window after every unload.
#include "TestSupport.h"
#include "platform/MsgBox.h"
#include "platform/Screen.h"
#include "support/frmZTemplate.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The template with its hooks counted; the save can be made to succeed or the data invalid.
class CountingTemplate : public frmZTemplate {
public:
    int okRuns = 0;
    int saves = 0;
    bool saveSucceeds = false;
    bool dataValid = true;
    std::function<void()> duringAction; // runs inside OK or Save, as an event delivered meanwhile

protected:
    bool OKAction() override
    {
        ++okRuns;
        if (duringAction)
            duringAction();
        return frmZTemplate::OKAction();
    }
    bool ValidateData() override { return dataValid; }
    bool SaveData() override
    {
        ++saves;
        if (duringAction)
            duringAction();
        const bool templateResult = frmZTemplate::SaveData();
        return saveSucceeds || templateResult;
    }
};

class TemplateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new CountingTemplate;
        ZTemplateWindow.Set(form);
        form->Show();
    }
    void TearDown() override
    {
        if (ZTemplateWindow) {
            ZTemplateWindow->CleanDataChangedFlag();
            ZTemplateWindow->Unload();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    CountingTemplate* form = nullptr;
};

} // namespace

TEST_F(TemplateTest, EnterActsOnlyAfterTheFirstActivationAndWhicheverControlHasTheFocus)
{
    vb::SetScreenMousePointer(vb::vbHourglass);
    QTest::keyClick(form, Qt::Key_Return); // a key that arrives while the window is being shown
    EXPECT_EQ(form->okRuns, 0);
    EXPECT_EQ(vb::ScreenMousePointer(), vb::vbHourglass);

    QApplication::setActiveWindow(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(form->Activated, -1);
    EXPECT_EQ(vb::ScreenMousePointer(), vb::vbDefault);
    vb::SetScreenMousePointer(vb::vbHourglass);
    form->Form_Activate(); // later activations leave the pointer alone
    EXPECT_EQ(vb::ScreenMousePointer(), vb::vbHourglass);
    vb::SetScreenMousePointer(vb::vbDefault);

    form->cmdCancel->setFocus();
    QTest::keyClick(form->cmdCancel, Qt::Key_Return);
    EXPECT_EQ(form->okRuns, 1);
    EXPECT_EQ(form->Busy, 0);
    EXPECT_TRUE(form->IsLoaded()) << "Enter is the window's: the focused Cancel never sees it, and the "
                                     "template's OK keeps the window open";
    form->cmdOK->click();
    EXPECT_EQ(form->okRuns, 2);
}

TEST_F(TemplateTest, ASecondSaveOrOKWhileOneRunsDoesNothing)
{
    form->Form_Activate();
    form->duringAction = [this] {
        EXPECT_EQ(form->Busy, -1);
        form->cmdSave_Click();
        form->cmdOK_Click();
        QTest::keyClick(form->cmdSave, Qt::Key_Return);
    };
    form->cmdSave->click();
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(form->okRuns, 0);
    EXPECT_EQ(form->Busy, 0);
    EXPECT_TRUE(form->IsLoaded());

    form->cmdOK->click();
    EXPECT_EQ(form->okRuns, 1);
    EXPECT_EQ(form->saves, 1);
}

TEST_F(TemplateTest, SaveBeforeTheFirstActivationDoesNothing)
{
    form->cmdSave->click();
    EXPECT_EQ(form->saves, 0);
}

// Every way of closing goes through the close question.
struct CloseCase {
    const char* name;
    bool changed;
    int answer;          // 0: no question expected
    bool saveSucceeds;
    bool dataValid;
    bool staysOpen;
    bool changedAfter;
    bool savingAfter;
};

class CloseQuestion : public TemplateTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseQuestion, AnswersDecideWhetherTheWindowCloses)
{
    const CloseCase& c = GetParam();
    form->Form_Activate();
    form->saveSucceeds = c.saveSucceeds;
    form->dataValid = c.dataValid;
    if (c.changed)
        form->SetDataChangedFlag();
    testing_support::MsgBoxRecorder rec(c.answer);
    QTest::keyClick(form->lblGen, Qt::Key_Escape);
    if (c.answer) {
        ASSERT_EQ(rec.calls.size(), 1u);
        EXPECT_EQ(rec.calls[0].Prompt, "Do you wish to save your changes?");
        EXPECT_EQ(rec.calls[0].Buttons, 35);
        EXPECT_EQ(rec.calls[0].Title, "Quorvane");
    } else {
        EXPECT_TRUE(rec.calls.empty());
    }
    EXPECT_EQ(form->IsLoaded(), c.staysOpen);
    EXPECT_EQ(bool(ZTemplateWindow), c.staysOpen);
    if (c.staysOpen) {
        EXPECT_EQ(form->DataChanged(), c.changedAfter);
        EXPECT_EQ(form->Saving(), c.savingAfter);
        EXPECT_TRUE(form->isVisible()) << "a window kept open stays in sight";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Template, CloseQuestion,
    ::testing::Values(CloseCase{"NoChangesAsksNothing", false, 0, false, true, false, false, false},
                      CloseCase{"CancelKeepsItOpenAndChanged", true, vb::vbCancel, false, true, true, true, false},
                      CloseCase{"NoCloses", true, vb::vbNo, false, true, false, false, false},
                      CloseCase{"YesWithTheTemplatesSaveStaysOpenClean", true, vb::vbYes, false, true, true, false, true},
                      CloseCase{"YesWithInvalidDataStaysOpenChanged", true, vb::vbYes, false, false, true, true, true},
                      CloseCase{"YesWithASuccessfulSaveCloses", true, vb::vbYes, true, true, false, false, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(TemplateTest, AfterYesWithTheTemplatesSaveTheNextCloseAsksNothing)
{
    form->Form_Activate();
    form->SetDataChangedFlag();
    testing_support::MsgBoxRecorder rec(vb::vbYes);
    form->cmdCancel->click();
    EXPECT_TRUE(form->IsLoaded());
    form->close(); // the close box
    EXPECT_EQ(rec.calls.size(), 1u);
    EXPECT_FALSE(ZTemplateWindow);
}

TEST_F(TemplateTest, AnUnloadedWindowLeavesTheReferenceAndTheNextOneStartsFresh)
{
    form->Form_Activate();
    form->SetDataChangedFlag();
    form->CleanDataChangedFlag();
    ASSERT_TRUE(form->Unload());
    EXPECT_FALSE(ZTemplateWindow);
    EXPECT_FALSE(form->isVisible());

    bool shownFresh = false;
    testing_support::WhenModal([&](QWidget* w) {
        auto* next = qobject_cast<frmZTemplate*>(w);
        ASSERT_NE(next, nullptr);
        shownFresh = next->Caption() == "Form1" && !next->DataChanged() && next->Busy == 0;
        QTest::keyClick(next->cmdOK, Qt::Key_Escape);
    });
    ZTemplateWindow.Get()->ShowUp(); // returns once Esc has closed it
    EXPECT_TRUE(shownFresh);
    EXPECT_FALSE(ZTemplateWindow);
}

TEST(TemplateShots, TheTemplateWindow)
{
    frmZTemplate f;
    f.Show();
    EXPECT_EQ(f.ScaleWidth(), 4680);
    EXPECT_EQ(f.ScaleHeight(), 3195);
    testing_support::SaveShot(&f, "frmZTemplate");
    f.Unload();
}
