// The main window's life (load, activation, resize, unload, caption and colours), its step machine
// and its display of each step. The layout, the saved position and the keyboard and mouse input
// have units of their own (frmMain_Layout, frmMain_Position, frmMain_Input).
#include "session/frmMain.h"

#include "platform/AppInfo.h"
#include "platform/MsgBox.h"
#include "platform/Strings.h"
#include "platform/VbError.h"
#include "session/SessionResources.h"
#include "session/frmMain_Private.h"
#include "session/modIssues.h"
#include "session/modSteps.h"
#include "support/ErrorTrap.h"
#include "support/WebAddresses.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QResizeEvent>


int16_t JournalEnabled = 0;
int16_t BottomRowFlag = 0;

using frmmain::kDotGreen;
using frmmain::kDotRed;
using frmmain::kModule;
using session::State;
using session::vbFalse;
using session::vbTrue;

namespace {

// Steps on which the timer runs: every step but the ones that wait for the user, which the step
// table gives no length.
bool IsTimedStep(StepEnum step)
{
    return GetStepLength(step) != 0;
}

// Paragraphs joined by a blank line.
QString Paragraphs(std::initializer_list<QString> parts)
{
    QString out;
    for (const QString& p : parts) {
        if (!out.isEmpty())
            out += vb::vbCrLf + vb::vbCrLf;
        out += p;
    }
    return out;
}

} // namespace

// =============================================================================================
// Life
// =============================================================================================

frmMain::frmMain(QWidget* parent) : vb::Form(parent)
{
    ApplyLayout({frmmain::kDesignWidth, frmmain::kDesignHeight, kProgramIcon});
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    KeyPreview = true;
    CreateControls();
    CreateCommands();
    ConnectDisplayClicks();
}

frmMain::~frmMain() = default;

void frmMain::changeEvent(QEvent* e)
{
    vb::Form::changeEvent(e);
    // A size change while minimised was not laid out; coming back from minimised is a resize too,
    // even where the window system sends no resize event for it.
    if (e->type() == QEvent::WindowStateChange && IsLoaded()) {
        const auto old = static_cast<QWindowStateChangeEvent*>(e)->oldState();
        if ((old & Qt::WindowMinimized) && WindowState() != vb::vbMinimized)
            Form_Resize();
    }
}

// =============================================================================================
// Step machine
// =============================================================================================

template <class Body>
bool frmMain::TrapTimerDriven(const QString& proc, Body&& body)
{
    return TrapErrors(kModule, proc,
                      {.extra = errortrap::Extra::Line, .beforeReport = [this] { tmrSteps->SetEnabled(false); }},
                      std::forward<Body>(body));
}

void frmMain::tmrSteps_Timer()
{
    TrapTimerDriven(QStringLiteral("tmrSteps_Timer"), [&](int& line) {
        line = 10;
        ProcessSteps(State.CurrentStep, State.StepLength, false, false);
        line = 20;
        if (IsTimedStep(State.CurrentStep) && State.CurrentStep != stepRelax) {
            line = 30;
            Blink();
        }
        line = 40;
        State.MillisecondCount = vb::CheckedAdd(State.MillisecondCount, 10);
        line = 50;
        if (State.MillisecondCount >= 1000) {
            line = 60;
            State.StepSeconds = vb::CheckedAdd(State.StepSeconds, 1);
            line = 70;
            State.TotalSeconds = vb::CheckedAdd(State.TotalSeconds, 1);
            line = 80;
            State.MillisecondCount = 0;
            line = 90;
            UpdateTimeElapsed(State.TotalSeconds);
        }
    });
}

void frmMain::ProcessSteps(StepEnum penmStep, int32_t plngStepLength, bool pblnForce, bool pblnByNavigation)
{
    TrapTimerDriven(QStringLiteral("ProcessSteps"), [&](int& line) {
        line = 10;
        if (!pblnForce && State.StepSeconds < plngStepLength)
            return;
        line = 20;
        State.StepSeconds = 0;
        line = 30;
        const StepEnum next = pblnByNavigation ? GetNextStep_Navigation(penmStep) : GetNextStep(penmStep);
        line = 40;
        // Finish is reached only through its button; moving on from it starts again at Intro.
        State.CurrentStep = next > stepReassessSUD ? stepIntro : next;
        line = 50;
        State.StepLength = GetStepLength(State.CurrentStep);
        line = 60;
        ResetBlink();
        line = 70;
        if (State.CurrentStep == stepTopHead_L) {
            line = 80;
            State.RoundCount = vb::CheckedAdd(State.RoundCount, 1);
            line = 90;
            const int16_t polarity = State.RoundCount > 2 ? vbTrue : vbFalse;
            const bool changed = polarity != State.RoundPolarity;
            State.RoundPolarity = polarity;
            line = 100;
            if (changed)
                PaintDotsGreenOrRed(State.RoundPolarity);
        }
        line = 110;
        DisplayStep(State.CurrentStep);
        line = 120;
        EnableDisableTimer();
    });
}

int16_t frmMain::Navigate(bool pblnForward, int32_t penmCurrentStep)
{
    TrapErrors(kModule, QStringLiteral("Navigate"), [&] {
        const auto step = static_cast<StepEnum>(penmCurrentStep);
        if (pblnForward) {
            ProcessSteps(step, State.StepLength, true, true);
        } else {
            StepEnum target = stepNone;
            switch (step) {
            case stepNone:
            case stepIntro:
                return;
            case stepSelectIssue:
            case stepFinish:
                target = stepIntro;
                break;
            case stepStimulateThymus:
                target = stepNone;
                break;
            case stepReassessSUD:
                target = stepTopHead_L;
                break;
            default: {
                int16_t positiveRound = vbFalse;
                target = GetPrevStep(GetPrevStep(step, positiveRound), positiveRound);
                if (positiveRound)
                    target = stepKarateChopLeft;
                break;
            }
            }
            State.RoundPolarity = vbFalse;
            State.RoundCount = 0;
            ProcessSteps(target, State.StepLength, true, true);
        }
    });
    return vbFalse;
}

void frmMain::cmdNavig_Click(int Index)
{
    if (!Activated || Busy)
        return;
    Busy = vbTrue;
    TrapTimerDriven(QStringLiteral("cmdNavig_Click"), [&] {
        if (Index == 0) {
            Navigate(false, State.CurrentStep);
            if (State.CurrentStep == stepIntro)
                cmdNavig[0]->SetEnabled(false);
        } else if (Index == 1) {
            Navigate(true, State.CurrentStep);
            if (State.CurrentStep == stepStimulateThymus)
                cmdNavig[0]->SetEnabled(true);
        }
    });
    Busy = vbFalse;
}

void frmMain::cmdPause_Click()
{
    tmrSteps->SetEnabled(false);
    cmdResume->SetEnabled(true);
    cmdResume->SetVisible(true);
    cmdPause->SetVisible(false);
}

void frmMain::cmdResume_Click()
{
    cmdPause->SetEnabled(true);
    cmdPause->SetVisible(true);
    cmdResume->SetEnabled(false);
    cmdResume->SetVisible(false);
    EnableDisableTimer();
}

void frmMain::cmdFinish_Click()
{
    if (!Activated || Busy)
        return;
    Busy = vbTrue;
    TrapTimerDriven(QStringLiteral("cmdFinish_Click"), [&] {
        State.CurrentStep = stepFinish;
        State.RoundCount = 0;
        State.RoundPolarity = vbFalse;
        State.StepSeconds = 0;
        State.StepLength = GetStepLength(stepFinish);
        ResetBlink();
        DisplayStep(stepFinish);
        EnableDisableTimer();
    });
    Busy = vbFalse;
}

void frmMain::EnableDisableTimer()
{
    TrapErrors(kModule, QStringLiteral("EnableDisableTimer"), [&] {
        const bool timed = IsTimedStep(State.CurrentStep);
        tmrSteps->SetEnabled(timed);
        cmdPause->SetEnabled(timed);
        cmdPause->SetVisible(true);
        cmdResume->SetVisible(false);
        cmdResume->SetEnabled(false);
    });
}

void frmMain::InitializeVariablesAndControls()
{
    TrapErrors(kModule, QStringLiteral("InitializeVariablesAndControls"), [&] {
        tmrSteps->SetEnabled(false);
        cmdNavig[0]->SetEnabled(false);
        radSUD[5]->SetValue(true);
        SUD = 5;
        ResetStepState(stepNone);
        PaintDotsGreenOrRed(State.RoundPolarity);
        UpdateDisplay_SelectedIssue(State.SelectedIssue);
    });
}

void frmMain::ResetStepState(StepEnum penmStep)
{
    State.StepSeconds = 0;
    State.MillisecondCount = 0;
    State.CurrentStep = penmStep;
    State.StepLength = 0;
    State.SelectedIssue = GetDefaultIssue();
    ResetBlink();
}

void frmMain::ResetBlink()
{
    State.BlinkTicks = 0;
    State.BlinkOn = vbFalse;
    State.BlinkElapsed = 0;
}

// =============================================================================================
// Step display
// =============================================================================================

void frmMain::DisplayStep(StepEnum penmStep)
{
    TrapTimerDriven(QStringLiteral("DisplayStep"), [&] {
        State.CurrentPointIndex = GetStepPointIndex(penmStep);
        HideStepDots();

        if (penmStep == stepKarateChopLeft)
            PaintDotsGreenOrRed(vbTrue);
        else if (penmStep == stepTopHead_L && State.RoundCount < 2)
            PaintDotsGreenOrRed(State.RoundPolarity);

        fraMode->SetVisible(penmStep == stepSelectIssue);
        fraSUD_2->SetVisible(penmStep == stepAssignSUD || penmStep == stepReassessSUD);
        shpGreen->SetVisible(penmStep == stepStimulateThymus);

        const bool fullWidth = penmStep == stepIntro || penmStep == stepFinish;
        picLeftFrame->SetVisible(!fullWidth);
        picRightFrame->SetVisible(!fullWidth);
        lblSplit->SetVisible(!fullWidth);

        const bool hands = penmStep == stepKarateChopLeft || penmStep == stepKarateChopRight;
        picHandLeft->SetVisible(hands);
        picHandRight->SetVisible(hands);
        if (hands)
            picShape->SetVisible(false);
        else
            picShape->SetVisible(!(penmStep == stepSelectIssue || penmStep == stepAssignSUD ||
                                   penmStep == stepReassessSUD || penmStep == stepFinish));

        lblIntro->SetVisible(fullWidth);
        ShowStepTexts(penmStep);
    });
}

void frmMain::ShowStepTexts(StepEnum penmStep)
{
    if (JournalEnabled)
        UpdateJournal(GetStepName(penmStep));
    lblCurrentPoint->SetCaption(GetStepDescription(penmStep));
    lblSegmentTitle->SetCaption(GetSegmentTitle(penmStep));
    if (penmStep == stepIntro || penmStep == stepFinish)
        lblIntro->SetCaption(GetStepInstructions(penmStep));
    else
        lblLeftFrame->SetCaption(GetStepInstructions(penmStep));
}

QString frmMain::GetSegmentTitle(StepEnum penmStep)
{
    QString result;
    TrapTimerDriven(QStringLiteral("GetSegmentTitle"), [&] {
        switch (penmStep) {
        case stepIntro:
        case stepFinish:
            result = QString();
            break;
        case stepSelectIssue: result = QStringLiteral("Select Issue"); break;
        case stepAssignSUD: result = QStringLiteral("Assign SUD"); break;
        case stepStimulateThymus: result = QStringLiteral("Stimulate Thymus"); break;
        case stepKarateChopLeft:
        case stepKarateChopRight: result = QStringLiteral("Affirmation Statement"); break;
        case stepRelax: result = QStringLiteral("Relax"); break;
        case stepReassessSUD: result = QStringLiteral("Reasses SUD"); break;
        default:
            if (penmStep >= stepTopHead_L && penmStep <= stepRightUnderArm) {
                result = State.RoundPolarity ? QStringLiteral("Positive Sequence") : QStringLiteral("Negative Sequence");
            } else {
                vb::MsgBox(QStringLiteral("GetSegmentTitle - wrong parameter passed"), vb::vbOKOnly);
                result = QString();
            }
            break;
        }
    });
    return result;
}

QString frmMain::GetStepInstructions(StepEnum penmStep)
{
    QString result;
    TrapTimerDriven(QStringLiteral("GetStepInstructions"), [&] {
        // The fixed prose comes from the step table; the karate-chop and tapping steps add the
        // chosen issue's words, the tapping points those of the round's polarity.
        switch (GetStepInstructionKind(penmStep)) {
        case StepInstruction::Prose: result = GetStepInstructionProse(penmStep); break;
        case StepInstruction::SetUpStatement: result = GetStringForActivationStep(State.SelectedIssue); break;
        case StepInstruction::PhraseList:
            result = Paragraphs({GetPhraseListLeadIn(State.RoundPolarity),
                                 State.RoundPolarity ? GetStringForPositiveSequence(State.SelectedIssue)
                                                     : GetStringForNegativeSequence(State.SelectedIssue)});
            break;
        }
    });
    return result;
}

void frmMain::HideStepDots()
{
    for (int i = 1; i <= 16; ++i)
        shpStep[i]->SetVisible(false);
}

void frmMain::PaintDotsGreenOrRed(int16_t pblnGreen)
{
    TrapTimerDriven(QStringLiteral("PaintDotsGreenOrRed"), [&] {
        const QColor c = pblnGreen ? kDotGreen : kDotRed;
        for (int i = 1; i <= 16; ++i) {
            vb::Shape* dot = shpStep[i];
            dot->SetBackColor(c);
            dot->SetFillColor(c);
            dot->SetBorderColor(c);
        }
    });
}

void frmMain::Blink()
{
    TrapTimerDriven(QStringLiteral("Blink"), [&](int& line) {
        line = 10;
        State.BlinkElapsed = vb::CheckedAdd(State.BlinkElapsed, State.BlinkTicks);
        line = 20;
        if (State.BlinkElapsed > 500) {
            line = 30;
            State.BlinkElapsed = 0;
            line = 40;
            State.BlinkTicks = 0;
        } else {
            line = 50;
            if (State.BlinkTicks == 0) {
                line = 60;
                State.BlinkOn = State.BlinkOn ? vbFalse : vbTrue;
                line = 70;
                vb::Shape* dot = shpStep[State.CurrentPointIndex];
                if (!dot)
                    vb::Raise(vb::errSubscript);
                dot->SetVisible(State.BlinkOn != 0);
            }
            line = 80;
            State.BlinkTicks = vb::CheckedAdd(State.BlinkTicks, 10);
        }
    });
}

void frmMain::UpdateTimeElapsed(int32_t plngSeconds)
{
    TrapTimerDriven(QStringLiteral("UpdateTimeElapsed"), [&] {
        // Minutes and seconds below an hour; from an hour on the hours lead, counting on past a day.
        const int64_t total = plngSeconds < 0 ? 0 : plngSeconds;
        const int64_t hours = total / 3600;
        const int minutes = static_cast<int>((total / 60) % 60);
        const int seconds = static_cast<int>(total % 60);
        QString text = QStringLiteral("%1:%2")
                           .arg(minutes, 2, 10, QLatin1Char('0'))
                           .arg(seconds, 2, 10, QLatin1Char('0'));
        if (hours > 0)
            text = QStringLiteral("%1:").arg(hours, 2, 10, QLatin1Char('0')) + text;
        lblTime_New->SetCaption(text);
        FitTimeLabel();
        // Once a second the window's pending events get their turn.
        QCoreApplication::processEvents();
    });
}

void frmMain::SetModesCaptions()
{
    TrapErrors(kModule, QStringLiteral("SetModesCaptions"), [&] {
        for (int i = 1; i <= 9; ++i)
            radMode[i]->SetCaption(GetIssueName(IssueOptIndexToEnum(i)));
    });
}

void frmMain::UpdateDisplay_SelectedIssue(IssueEnum penmIssue)
{
    TrapErrors(kModule, QStringLiteral("UpdateDisplay_SelectedIssue"), [&] {
        vb::RadioButton* option = radMode[IssueEnumToOptIndex(penmIssue)];
        if (!option)
            vb::Raise(vb::errSubscript);
        option->SetValue(true);
    });
}

void frmMain::UpdateJournal(const QString& strMsg)
{
    txtJournal->SetText(txtJournal->Text() + vb::vbCrLf +
                        QDateTime::currentDateTime().toString(QStringLiteral("mm:ss:zzz")) + QLatin1Char(' ') + strMsg);
}

// =============================================================================================
// Load, activation, resize and unload
// =============================================================================================

void frmMain::Form_Load()
{
    TrapErrors(kModule, QStringLiteral("Form_Load"), {.extra = errortrap::Extra::Line}, [&] {
        SetFormCaption();
        ToolbarHeight = 690;
        picToolBar->SetHeight(ToolbarHeight);
        cmdResume->Move(cmdPause->Left(), cmdPause->Top());
        cmdResume->SetVisible(false);
        cmdResume->SetEnabled(false);
        ButtonsRightEdge = vb::CLng(double(cmdFinish->Left()) + cmdFinish->Width());
        cmdNavig_Bottom[0]->SetVisible(false);
        cmdPause_Bottom->SetVisible(false);
        cmdResume_Bottom->SetVisible(false);
        cmdNavig_Bottom[1]->SetVisible(false);
        tmrSteps->SetInterval(10);
        HideStepDots();
        State.TotalSeconds = 0;
        lblTime_New->SetCaption(QString());
        txtJournal->SetVisible(false);
        SetModesCaptions();
        lblIntro->SetCaption(GetIntroText());
        SetFormPosition();
        ArrangeControls();
        InitializeVariablesAndControls();
        ProcessSteps(State.CurrentStep, State.StepLength, false, false);
        cmdWeb->SetToolTipText(QStringLiteral("Click here to visit the ") + app::ProductName() +
                               QStringLiteral(" website at ") + web::ProductWebSite());
        lblRoundCount->SetVisible(false);
        lblRoundPolarity->SetVisible(false);
        fraSUD->SetVisible(false);
        SetColors();
    });
}

void frmMain::Form_Activate()
{
    if (!Activated)
        Activated = vbTrue;
}

void frmMain::Form_Resize()
{
    if (WindowState() == vb::vbMinimized)
        return;
    ArrangeControls();
}

void frmMain::Form_Unload(int& Cancel)
{
    (void)Cancel;
    // Nothing here may keep the window from closing: a failing statement is skipped.
    IgnoreErrors([&] {
        if (WindowState() != vb::vbMinimized)
            FormPos_Save();
    });
    // Every other loaded window goes too, last loaded first. The list is read afresh at each
    // turn: a window's own unload may close (and free) others that were loaded before it.
    for (std::size_t i = vb::Forms().size(); i-- > 0;) {
        if (i >= vb::Forms().size())
            continue;
        vb::Form* other = vb::Forms()[i];
        if (other == this)
            continue;
        IgnoreErrors([&] { other->Unload(); });
    }
}

void frmMain::SetFormCaption()
{
    TrapErrors(kModule, QStringLiteral("SetFormCaption"), [&] { SetCaption(app::ProductName()); });
}

void frmMain::SetColors()
{
    TrapErrors(kModule, QStringLiteral("SetColors"), [&] {
        picToolBar->SetBackColor(QColor(252, 252, 252));
        picStatusBar->SetBackColor(QColor(252, 252, 252));
        QPalette p = lblSplit->palette();
        p.setColor(QPalette::Window, QColor(240, 240, 240));
        lblSplit->setPalette(p);
        lblSplit->setAutoFillBackground(true);
    });
}
