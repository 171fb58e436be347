// The main window's keyboard and mouse input: the key table, clicks on the display, and the issue
// and SUD options. It only chooses which command of the step machine runs.
#include "session/frmMain.h"

#include "platform/Keys.h"
#include "session/modIssues.h"

#include <QMouseEvent>

#include <algorithm>
#include <iterator>

using session::State;
using session::vbFalse;
using session::vbTrue;

namespace {

// The keys that move the session, by virtual-key code; Shift, Ctrl and Alt are not looked at.
struct NavigationKey {
    int keyCode;
    bool forward;
};

constexpr NavigationKey kNavigationKeys[] = {
    {vb::vbKeyN, true},     {vb::vbKeySpace, true}, {vb::vbKeyRight, true}, {vb::vbKeyDown, true},
    {vb::vbKeyReturn, true}, {vb::vbKeyPageDown, true},
    {vb::vbKeyP, false},    {vb::vbKeyBack, false}, {vb::vbKeyLeft, false}, {vb::vbKeyUp, false},
    {vb::vbKeyPageUp, false},
};

const NavigationKey* FindNavigationKey(int keyCode)
{
    const auto* it = std::find_if(std::begin(kNavigationKeys), std::end(kNavigationKeys),
                                  [keyCode](const NavigationKey& k) { return k.keyCode == keyCode; });
    return it == std::end(kNavigationKeys) ? nullptr : it;
}

} // namespace

void frmMain::Form_KeyDown(int& KeyCode, int Shift)
{
    (void)Shift;
    if (cmdPause->Enabled() && cmdPause->Visible() && KeyCode == vb::vbKeyEscape) {
        KeyCode = 0;
        cmdPause_Click();
        return;
    }
    // Paused: whatever the key, it only resumes.
    if (cmdResume->Enabled() && cmdResume->Visible()) {
        KeyCode = 0;
        cmdResume_Click();
        return;
    }
    const NavigationKey* key = FindNavigationKey(KeyCode);
    if (!key)
        return;
    KeyCode = 0;
    if (key->forward) {
        cmdNavig_Click(1);
    } else {
        if (State.CurrentStep == stepIntro)
            return;
        cmdNavig_Click(0);
    }
    // Where the keys are meant to go on: the SUD choice on Reasses SUD, else the button just used
    // (Next when Previous has turned itself off).
    if (State.CurrentStep == stepReassessSUD) {
        if (vb::RadioButton* option = radSUD[SUD])
            option->SetFocus();
    } else if (!key->forward && cmdNavig[0]->Enabled()) {
        cmdNavig[0]->SetFocus();
    } else {
        cmdNavig[1]->SetFocus();
    }
}

void frmMain::Form_KeyPress(int& KeyAscii) { (void)KeyAscii; }

void frmMain::ClickNext() { cmdNavig_Click(1); }

void frmMain::Form_Click() { ClickNext(); }

void frmMain::ConnectDisplayClicks()
{
    for (vb::Label* label : {lblIntro, lblSegmentTitle, lblLeftFrame, lblCurrentPoint, lblSplit})
        connect(label, &vb::Label::Click, this, [this] { ClickNext(); });
    for (vb::PictureBox* picture : {picLeftFrame, picRightFrame, picShape, picHandLeft, picHandRight})
        connect(picture, &vb::PictureBox::Click, this, [this] { ClickNext(); });
}

void frmMain::mousePressEvent(QMouseEvent* e)
{
    // A press that a control let pass up to the window is not a press on the window.
    backgroundClick.Press(e, !childAt(e->position().toPoint()));
    vb::Form::mousePressEvent(e);
}

void frmMain::mouseReleaseEvent(QMouseEvent* e)
{
    const bool clicked = backgroundClick.Release(e, rect()) && !childAt(e->position().toPoint());
    vb::Form::mouseReleaseEvent(e);
    if (clicked)
        Form_Click();
}

void frmMain::radMode_Click(int Index)
{
    if (Busy)
        return;
    Busy = vbTrue;
    State.SelectedIssue = IssueOptIndexToEnum(Index);
    Busy = vbFalse;
}

void frmMain::radSUD_Click(int Index) { SUD = static_cast<int16_t>(Index); }

void frmMain::lblSUDUnit_Click(int Index)
{
    if (vb::RadioButton* option = radSUD[Index])
        option->SetValue(true);
    SUD = static_cast<int16_t>(Index);
}
