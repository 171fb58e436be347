#pragma once
// A loaded main window whose step timer is driven by the test alone: the real timer's ticks are
// held back, and the test calls the tick itself. Error reports are recorded, never shown.
#include "TestSupport.h"
#include "platform/Registry.h"
#include "session/SessionState.h"
#include "session/frmMain.h"
#include "support/modErrorReport.h"

#include <gtest/gtest.h>
#include <memory>

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session::ResetState();
        JournalEnabled = 0;
        BottomRowFlag = 0;
        form = std::make_unique<frmMain>();
        // Only the test ticks; a tick of the real timer inside a pending-events turn would count twice.
        form->tmrSteps->blockSignals(true);
        form->Load();
        form->Form_Activate();
    }
    void TearDown() override
    {
        if (form && form->IsLoaded())
            form->Unload();
        form.reset();
    }

    void Tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            form->tmrSteps_Timer();
    }
    void Next() { form->cmdNavig_Click(1); }
    void Previous() { form->cmdNavig_Click(0); }
    // Intro -> Stimulate Thymus -> Select Issue -> Assign SUD -> Left Hand.
    void ToLeftHand()
    {
        for (int i = 0; i < 4; ++i)
            Next();
    }
    StepEnum Step() const { return session::State.CurrentStep; }
    int VisibleDots() const
    {
        int n = 0;
        for (auto& [i, dot] : form->shpStep)
            n += dot->Visible() ? 1 : 0;
        return n;
    }

    ErrorReportRecorder reports;
    testing_support::MsgBoxRecorder boxes;
    std::unique_ptr<frmMain> form;
};
