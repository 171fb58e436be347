#include "session/frmMain.h"

#include "platform/AppInfo.h"
#include "platform/MsgBox.h"
#include "platform/Registry.h"
#include "platform/Screen.h"
#include "platform/VbError.h"
#include "session/modIssues.h"
#include "session/modSteps.h"
#include "support/WebAddresses.h"
#include "support/modErrorReport.h"
#include "support/modRegistry.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QResizeEvent>
#include <QGuiApplication>
#include <QTimer>

#include <cmath>
#include <limits>

// The pictures live in the support library's resources; a static library needs them pulled in.
static void InitPictureResources() { Q_INIT_RESOURCE(resources); }

int16_t JournalEnabled = 0;
int16_t BottomRowFlag = 0;

using session::State;
using session::vbFalse;
using session::vbTrue;

namespace {

const QString kModule = QStringLiteral("frmMain");
const QString kCrLf = QStringLiteral("\r\n");
const QString kPositionKey = QStringLiteral("Software\\Quorvane\\WindowPosition");

// Design of the window's client area, twips.
constexpr int kDesignWidth = 17280;
constexpr int kDesignHeight = 10995;

// Dot colours: green for a positive round and the karate-chop steps, red for a negative round.
const QColor kDotGreen(0, 255, 0);
const QColor kDotRed(255, 0, 0);

// Run-time error of a property set to a value the control does not take.
constexpr int32_t errInvalidPropertyValue = 380;

// To the nearest whole twip, an exact half to the even neighbour; out of range is an overflow.
int32_t Whole(double v)
{
    const double r = std::nearbyint(v);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        vb::Raise(vb::errOverflow);
    return static_cast<int32_t>(r);
}

// A control's move as the layout makes it: a negative width or height is refused, and the
// control keeps its bounds.
template <class C>
void MoveControl(C* c, double left, double top, double width, double height)
{
    if (width < 0 || height < 0)
        vb::Raise(errInvalidPropertyValue, QStringLiteral("Invalid property value"));
    c->Move(Whole(left), Whole(top), Whole(width), Whole(height));
}

template <class C>
void MoveControl(C* c, double left, double top)
{
    c->Move(Whole(left), Whole(top));
}

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
            out += kCrLf + kCrLf;
        out += p;
    }
    return out;
}

void Report(const QString& proc, const QString& extra)
{
    const vb::VbError e = vb::CurrentError();
    ShowErrorReport(e.Number, e.Description, kModule, proc, extra);
}

QString LineText(int line) { return QStringLiteral("Line: ") + QString::number(line); }

} // namespace

// =============================================================================================
// Controls
// =============================================================================================

frmMain::frmMain(QWidget* parent) : vb::Form(parent)
{
    InitPictureResources();
    setFont(vb::UiFont(9));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    setWindowIcon(vb::SvgIcon(QStringLiteral(":/icon.svg")));
    SetClientSizeTwips(kDesignWidth, kDesignHeight);
    KeyPreview = true;
    CreateControls();
}

frmMain::~frmMain() = default;

void frmMain::CreateControls()
{
    tmrSteps = new vb::Timer(this);
    connect(tmrSteps, &vb::Timer::Tick, this, &frmMain::tmrSteps_Timer);

    // Panes first, so that the bars, the introduction text and the bottom row stand above them.
    picLeftFrame = new vb::PictureBox(this, 0, 690, 8595, 9330);
    picLeftFrame->SetBackColor(Qt::white);
    lblSegmentTitle = new vb::Label(picLeftFrame, 300, 300, 7995, 555);
    lblSegmentTitle->setFont(vb::UiFont(15, true));
    lblSegmentTitle->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblLeftFrame = new vb::Label(picLeftFrame, 300, 945, 7995, 8175);
    lblLeftFrame->setFont(vb::UiFont(11));
    lblLeftFrame->SetWordWrap(true);
    lblLeftFrame->SetAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblLeftFrame->setTextFormat(Qt::PlainText);

    lblSplit = new vb::Label(this, 8595, 990, 90, 8730);
    lblSplit->setAutoFillBackground(true);

    picRightFrame = new vb::PictureBox(this, 8685, 690, 8640, 9330);
    picRightFrame->SetBackColor(Qt::white);

    picShape = new vb::PictureBox(picRightFrame, 750, 398, 7140, 8535);
    vb::SetSvgPicture(picShape, QStringLiteral(":/body.svg"));
    lblCurrentPoint = new vb::Label(picRightFrame, 750, 9083, 7140, 495);
    lblCurrentPoint->setFont(vb::UiFont(11, true));
    lblCurrentPoint->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);

    picHandLeft = new vb::PictureBox(picRightFrame, 720, 3458, 3825, 2415);
    vb::SetSvgPicture(picHandLeft, QStringLiteral(":/hand_left.svg"));
    picHandRight = new vb::PictureBox(picRightFrame, 4620, 3458, 3825, 2415);
    vb::SetSvgPicture(picHandRight, QStringLiteral(":/hand_right.svg"));

    // The marker dots keep their places inside their pictures; no code moves them.
    struct DotPlace {
        int index;
        QWidget* container;
        int left, top;
        const char* tag;
    };
    const DotPlace dots[] = {
        {1, this, 1470, 900, "Intro"},
        {2, picHandLeft, 1590, 2130, "LeftHand"},
        {3, picHandRight, 1980, 2160, "RightHand"},
        {4, picShape, 3330, 150, "TopHead"},
        {5, picShape, 3210, 1650, "LeftEyeBrow"},
        {6, picShape, 2580, 1830, "LeftEyeCorner"},
        {7, picShape, 2940, 2100, "LeftUnderEye"},
        {8, picShape, 3330, 2490, "UnderNose"},
        {9, picShape, 3330, 3120, "Chin"},
        {10, picShape, 2820, 4170, "LeftCollarbone"},
        {11, picShape, 1530, 8250, "LeftUnderArm"},
        {12, picShape, 4110, 1860, "RightEyeCorner"},
        {13, picShape, 3750, 2100, "RightUnderEye"},
        {14, picShape, 3870, 4170, "RightCollarbone"},
        {15, picShape, 5130, 8250, "RightUnderArm"},
        {16, picShape, 3480, 1650, "RightEyeBrow"},
    };
    for (const DotPlace& d : dots) {
        auto* s = new vb::Shape(d.container, d.left, d.top, 240, 240);
        s->Tag = QString::fromLatin1(d.tag);
        shpStep.Add(d.index, s);
    }
    shpGreen = new vb::Shape(picShape, 3330, 4650, 240, 240);
    shpGreen->Tag = QStringLiteral("Thymus");
    shpGreen->SetFillColor(kDotGreen);
    shpGreen->SetBackColor(kDotGreen);
    shpGreen->SetBorderColor(kDotGreen);
    shpGreen->SetVisible(false);

    // Issue options, alphabetical by caption top to bottom; 10 and 6 (never offered) last.
    fraMode = new vb::Frame(picRightFrame, 750, 398, 7140, 8535);
    const int modeOrder[] = {1, 2, 3, 11, 4, 5, 12, 7, 8, 9, 10, 6};
    for (int pos = 0; pos < 12; ++pos) {
        const int i = modeOrder[pos];
        auto* r = new vb::RadioButton(fraMode, 600, 510 + 540 * pos, 6300, 420, GetIssueName(IssueOptIndexToEnum(i)));
        r->setFont(vb::UiFont(11));
        radMode.Add(i, r);
    }
    radMode[6]->SetVisible(false);
    radMode[10]->SetVisible(false);
    radMode.OnClick(this, [this](int i) { radMode_Click(i); });

    // SUD options 0 to 10 across the frame, each with its number below it.
    fraSUD_2 = new vb::Frame(picRightFrame, 975, 3953, 6690, 1425);
    for (int i = 0; i <= 10; ++i) {
        const int column = 45 + 600 * i;
        auto* r = new vb::RadioButton(fraSUD_2, column + 195, 315, 255, 375);
        radSUD.Add(i, r);
        auto* l = new vb::Label(fraSUD_2, column, 735, 600, 405, QString::number(i));
        l->setFont(vb::UiFont(11));
        l->SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
        lblSUDUnit.Add(i, l);
    }
    radSUD.OnClick(this, [this](int i) { radSUD_Click(i); });
    lblSUDUnit.OnClick(this, [this](int i) { lblSUDUnit_Click(i); });

    // The older SUD frame of the design, kept hidden.
    fraSUD = new vb::Frame(this, 9000, 8000, 6690, 1425);
    fraSUD->SetVisible(false);

    lblIntro = new vb::Label(this, 3863, 2400, 9555, 6195);
    lblIntro->setFont(vb::UiFont(12));
    lblIntro->SetWordWrap(true);
    lblIntro->SetAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblIntro->setTextFormat(Qt::PlainText);

    // Bottom row twins of the session buttons: no actions of their own, hidden at load.
    cmdNavig_Bottom.Add(0, new vb::PushButton(this, 6495, 10050, 945, 945, QStringLiteral("&Previous")));
    cmdNavig_Bottom.Add(1, new vb::PushButton(this, 9240, 10050, 945, 945, QStringLiteral("&Next")));
    cmdPause_Bottom = new vb::PushButton(this, 8168, 10050, 945, 945, QStringLiteral("P&ause"));
    cmdResume_Bottom = new vb::PushButton(this, 8168, 10050, 945, 945, QStringLiteral("R&esume"));

    txtJournal = new vb::FlatEdit(this, 300, 7000, 4000, 2500, true);
    lblRoundCount = new vb::Label(this, 300, 9600, 1500, 300);
    lblRoundPolarity = new vb::Label(this, 1900, 9600, 1500, 300);
    sliderNormal = new vb::Slider(this, 12000, 9600, 3000, 400);
    sliderNormal->SetVisible(false);

    // Dot 1 sits on the window itself and no step uses it.
    shpStep[1]->raise();

    // Bars last: they stay on top along the client area's edges.
    picToolBar = new vb::PictureBox(this, 0, 0, kDesignWidth, 690);
    cmdExit = new vb::PushButton(picToolBar, 180, 135, 1215, 375, QStringLiteral("E&xit"));
    cmdNavig.Add(0, new vb::PushButton(picToolBar, 1530, 135, 1215, 375, QStringLiteral("&Previous")));
    cmdNavig.Add(1, new vb::PushButton(picToolBar, 2880, 135, 1215, 375, QStringLiteral("&Next")));
    cmdPause = new vb::PushButton(picToolBar, 4230, 135, 1215, 375, QStringLiteral("P&ause"));
    cmdFinish = new vb::PushButton(picToolBar, 5580, 135, 1215, 375, QStringLiteral("&Finish"));
    cmdResume = new vb::PushButton(picToolBar, 6930, 135, 1215, 375, QStringLiteral("R&esume"));
    cmdInfo = new vb::PushButton(picToolBar, 8280, 135, 1215, 375, QStringLiteral("&Information"));
    cmdInfo->SetVisible(false);
    cmdAbout = new vb::PushButton(picToolBar, 9630, 135, 1215, 375, QStringLiteral("A&bout"));
    cmdAbout->SetVisible(false);
    cmdWeb = new vb::PushButton(picToolBar, 16170, 135, 1215, 375);
    cmdWeb->SetPicture(vb::SvgIcon(QStringLiteral(":/web.svg")));
    cmdWeb->setIconSize(QSize(vb::TwipsToPixelsX(1215) - 12, vb::TwipsToPixelsY(375) - 8));
    cmdNavig.OnClick(this, [this](int i) { cmdNavig_Click(i); });
    connect(cmdPause, &vb::PushButton::Click, this, [this] { cmdPause_Click(); });
    connect(cmdResume, &vb::PushButton::Click, this, [this] { cmdResume_Click(); });
    connect(cmdFinish, &vb::PushButton::Click, this, [this] { cmdFinish_Click(); });
    connect(cmdExit, &vb::PushButton::Click, this, [this] { cmdExit_Click(); });
    connect(cmdWeb, &vb::PushButton::Click, this, [this] { cmdWeb_Click(); });

    picStatusBar = new vb::PictureBox(this, 0, 10530, kDesignWidth, 465);
    cmdNav = new vb::PushButton(picStatusBar, 16500, 15, 390, 390);
    cmdNav->SetPicture(vb::SvgIcon(QStringLiteral(":/menu.svg")));
    lblTime_New = new vb::Label(picStatusBar, 15300, -30, 735, 465);
    lblTime_New->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void frmMain::AlignBars()
{
    const int w = ScaleWidth();
    picToolBar->Move(0, 0, w, picToolBar->Height());
    picStatusBar->Move(0, ScaleHeight() - picStatusBar->Height(), w, picStatusBar->Height());
}

void frmMain::resizeEvent(QResizeEvent* e)
{
    AlignBars();
    vb::Form::resizeEvent(e);
}

void frmMain::showEvent(QShowEvent* e)
{
    vb::Form::showEvent(e);
    if (placement.pending)
        QTimer::singleShot(0, this, [this] { ApplyPlacement(); });
}

void frmMain::ApplyPlacement()
{
    if (!placement.pending)
        return;
    placement.pending = false;
    // The user may have minimised or maximised it already; then the window system's place stands.
    if (WindowState() != vb::vbNormal)
        return;
    if (placement.centred) {
        CentreOnScreen();
    } else {
        Move(placement.left, placement.top, placement.width, placement.height);
        if (placement.maximise)
            MaximiseOnceFramed(0);
    }
}

void frmMain::CentreOnScreen()
{
    const float l = (float(vb::ScreenWidthTwips()) - float(Width())) / 2.0f;
    const float t = (float(vb::ScreenHeightTwips()) - float(Height())) / 2.0f;
    Move(Whole(l), Whole(t));
}

void frmMain::MaximiseOnceFramed(int tries)
{
    // The window manager remembers the size a window had when it was maximised, for restoring it
    // later: maximise only after the frame is known and the saved outer size has been fitted to it.
    // A display without a window manager never frames the window; then maximise after a moment.
    const bool framed = frameGeometry().size() != geometry().size();
    if (framed || tries >= 25 || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        if (WindowState() == vb::vbNormal)
            SetWindowState(vb::vbMaximized);
        return;
    }
    QTimer::singleShot(20, this, [this, tries] { MaximiseOnceFramed(tries + 1); });
}

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

void frmMain::tmrSteps_Timer()
{
    int line = 0;
    try {
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
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("tmrSteps_Timer"), LineText(line));
    }
}

void frmMain::ProcessSteps(StepEnum penmStep, int32_t plngStepLength, bool pblnForce, bool pblnByNavigation)
{
    int line = 0;
    try {
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
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("ProcessSteps"), LineText(line));
    }
}

int16_t frmMain::Navigate(bool pblnForward, int32_t penmCurrentStep)
{
    try {
        const auto step = static_cast<StepEnum>(penmCurrentStep);
        if (pblnForward) {
            ProcessSteps(step, State.StepLength, true, true);
        } else {
            StepEnum target = stepNone;
            switch (step) {
            case stepNone:
            case stepIntro:
                return vbFalse;
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
    } catch (...) {
        Report(QStringLiteral("Navigate"), QString());
    }
    return vbFalse;
}

void frmMain::cmdNavig_Click(int Index)
{
    if (!Activated || Busy)
        return;
    Busy = vbTrue;
    try {
        if (Index == 0) {
            Navigate(false, State.CurrentStep);
            if (State.CurrentStep == stepIntro)
                cmdNavig[0]->SetEnabled(false);
        } else if (Index == 1) {
            Navigate(true, State.CurrentStep);
            if (State.CurrentStep == stepStimulateThymus)
                cmdNavig[0]->SetEnabled(true);
        }
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("cmdNavig_Click"), LineText(0));
    }
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
    try {
        State.CurrentStep = stepFinish;
        State.RoundCount = 0;
        State.RoundPolarity = vbFalse;
        State.StepSeconds = 0;
        State.StepLength = GetStepLength(stepFinish);
        ResetBlink();
        DisplayStep(stepFinish);
        EnableDisableTimer();
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("cmdFinish_Click"), LineText(0));
    }
    Busy = vbFalse;
}

void frmMain::EnableDisableTimer()
{
    try {
        const bool timed = IsTimedStep(State.CurrentStep);
        tmrSteps->SetEnabled(timed);
        cmdPause->SetEnabled(timed);
        cmdPause->SetVisible(true);
        cmdResume->SetVisible(false);
        cmdResume->SetEnabled(false);
    } catch (...) {
        Report(QStringLiteral("EnableDisableTimer"), QString());
    }
}

void frmMain::InitializeVariablesAndControls()
{
    try {
        tmrSteps->SetEnabled(false);
        cmdNavig[0]->SetEnabled(false);
        radSUD[5]->SetValue(true);
        SUD = 5;
        ResetStepState(stepNone);
        PaintDotsGreenOrRed(State.RoundPolarity);
        UpdateDisplay_SelectedIssue(State.SelectedIssue);
    } catch (...) {
        Report(QStringLiteral("InitializeVariablesAndControls"), QString());
    }
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
    try {
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
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("DisplayStep"), LineText(0));
    }
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
    try {
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
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("GetSegmentTitle"), LineText(0));
    }
    return result;
}

QString frmMain::GetStepInstructions(StepEnum penmStep)
{
    QString result;
    try {
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
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("GetStepInstructions"), LineText(0));
    }
    return result;
}

void frmMain::HideStepDots()
{
    for (int i = 1; i <= 16; ++i)
        shpStep[i]->SetVisible(false);
}

void frmMain::PaintDotsGreenOrRed(int16_t pblnGreen)
{
    try {
        const QColor c = pblnGreen ? kDotGreen : kDotRed;
        for (int i = 1; i <= 16; ++i) {
            vb::Shape* dot = shpStep[i];
            dot->SetBackColor(c);
            dot->SetFillColor(c);
            dot->SetBorderColor(c);
        }
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("PaintDotsGreenOrRed"), LineText(0));
    }
}

void frmMain::Blink()
{
    int line = 0;
    try {
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
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("Blink"), LineText(line));
    }
}

void frmMain::UpdateTimeElapsed(int32_t plngSeconds)
{
    try {
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
        // Once a second the window's pending events get their turn.
        QCoreApplication::processEvents();
    } catch (...) {
        tmrSteps->SetEnabled(false);
        Report(QStringLiteral("UpdateTimeElapsed"), LineText(0));
    }
}

void frmMain::SetModesCaptions()
{
    try {
        for (int i = 1; i <= 9; ++i)
            radMode[i]->SetCaption(GetIssueName(IssueOptIndexToEnum(i)));
    } catch (...) {
        Report(QStringLiteral("SetModesCaptions"), QString());
    }
}

void frmMain::UpdateDisplay_SelectedIssue(IssueEnum penmIssue)
{
    try {
        vb::RadioButton* option = radMode[IssueEnumToOptIndex(penmIssue)];
        if (!option)
            vb::Raise(vb::errSubscript);
        option->SetValue(true);
    } catch (...) {
        Report(QStringLiteral("UpdateDisplay_SelectedIssue"), QString());
    }
}

void frmMain::UpdateJournal(const QString& strMsg)
{
    txtJournal->SetText(txtJournal->Text() + kCrLf + QDateTime::currentDateTime().toString(QStringLiteral("mm:ss:zzz")) +
                        QLatin1Char(' ') + strMsg);
}

// =============================================================================================
// Options and commands
// =============================================================================================

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

void frmMain::cmdExit_Click()
{
    tmrSteps->SetEnabled(false);
    Unload();
}

void frmMain::cmdWeb_Click() { OpenURL(this, web::ProductWebSite(), false); }

// =============================================================================================
// Layout
// =============================================================================================

void frmMain::ArrangeControls()
{
    // Each step stands alone: a step that fails is dropped and the next one runs.
    double W = 0, H = 0, T = 0, S = 0;
    try { W = Width(); } catch (...) {}
    try { H = Height(); } catch (...) {}
    try { T = picToolBar->Height(); } catch (...) {}
    try { S = picStatusBar->Height(); } catch (...) {}
    int32_t x = 0, y = 0;

    // 1. Introduction text.
    try {
        int32_t a = Whole(W - lblIntro->Width());
        if (a < 0)
            a = 0;
        int32_t b = Whole(H - lblIntro->Height());
        if (T + 600 > b)
            b = Whole(T + 600);
        MoveControl(lblIntro, a / 2.0, b / 2.0);
    } catch (...) {}
    // 2. Left pane.
    try { MoveControl(picLeftFrame, 0, T, W / 2 - 45, H - T - S - 480 - 30); } catch (...) {}
    // 3. Right pane: W / 2 wide, so it runs on past the window's right edge.
    try { MoveControl(picRightFrame, W / 2 + 45, T, W / 2, H - T - S - 480 - 30); } catch (...) {}
    // 4. Divider.
    try { MoveControl(lblSplit, W / 2 - 45, T + 300, 90, picRightFrame->Height() - 600.0); } catch (...) {}
    // 5. Step title.
    try {
        int32_t c = Whole(picLeftFrame->Width() - 600.0);
        if (c < 3900)
            c = 3900;
        MoveControl(lblSegmentTitle, 300, 300, c, lblSegmentTitle->Height());
    } catch (...) {}
    // 6. Instruction text.
    try {
        const double e = double(lblSegmentTitle->Top()) + lblSegmentTitle->Height();
        MoveControl(lblLeftFrame, 300, e + 90, picLeftFrame->Width() - 600.0, picLeftFrame->Height() - e - 210);
    } catch (...) {}
    // 7. Body diagram, centred in the right pane, pinned to its top-left corner when the pane is smaller.
    try {
        x = Whole((double(picRightFrame->Width()) - picShape->Width()) / 2);
        y = Whole((double(picRightFrame->Height()) - picShape->Height()) / 2);
        if (x < 0)
            x = 0;
        if (y < 0)
            y = 0;
        MoveControl(picShape, x, y);
    } catch (...) {}
    // 8. Point caption, right under the diagram.
    try {
        MoveControl(lblCurrentPoint, x, Whole(double(picShape->Top()) + picShape->Height() + 150), picShape->Width(),
                    lblCurrentPoint->Height());
    } catch (...) {}
    // 9. and 10. Issue and SUD frames, centred.
    for (vb::Frame* frame : {fraMode, fraSUD_2}) {
        try {
            const double dw = double(picRightFrame->Width()) - frame->Width();
            const double dh = double(picRightFrame->Height()) - frame->Height();
            const int32_t left = dw > 0 ? Whole(dw / 2) : 0;
            const int32_t top = dh > 0 ? Whole(dh / 2) : 0;
            MoveControl(frame, left, top);
        } catch (...) {}
    }
    // 11. Hands side by side, 600 apart about the pane's centre line.
    try {
        int32_t hy = Whole((double(picRightFrame->Height()) - picHandLeft->Height()) / 2);
        if (hy < 0)
            hy = 0;
        int32_t l = Whole(picRightFrame->Width() / 2.0 - picHandLeft->Width() - 300);
        int32_t r = 0;
        if (l >= 0) {
            r = Whole(picRightFrame->Width() / 2.0 + 300);
        } else {
            l = 0;
            r = Whole(double(picHandLeft->Width()) + 600);
        }
        MoveControl(picHandLeft, l, hy);
        MoveControl(picHandRight, r, hy);
    } catch (...) {}
    // 12. Menu button and elapsed time, inside the status bar.
    try {
        MoveControl(cmdNav, W - cmdNav->Width() - 390, cmdNav->Top());
        MoveControl(lblTime_New, double(cmdNav->Left()) - 1200, lblTime_New->Top());
    } catch (...) {}
    // 13. Bottom button row.
    if (!BottomRowFlag) {
        try {
            const int32_t rowTop = Whole(double(picLeftFrame->Top()) + picLeftFrame->Height() + 30);
            int32_t p = Whole(W / 2 - cmdNavig_Bottom[0]->Width() - 600);
            int32_t q = 0;
            if (p >= 0) {
                q = Whole(W / 2 + 600);
            } else {
                p = 0;
                q = Whole(double(cmdNavig_Bottom[0]->Width()) + 1200);
            }
            MoveControl(cmdNavig_Bottom[0], p, rowTop);
            MoveControl(cmdNavig_Bottom[1], q, rowTop);
            const int32_t m = Whole(W / 2 - cmdPause_Bottom->Width() / 2.0);
            MoveControl(cmdPause_Bottom, m, rowTop);
            MoveControl(cmdResume_Bottom, m, rowTop);
        } catch (...) {}
    }
    // 14. Web-site button at the tool bar's right end, unless the window is too narrow for it.
    try {
        const int32_t k = Whole(cmdWeb->Width());
        // The switch point is a 32-bit sum. Past that range it overflows, the comparison fails, and
        // a failed comparison lets the narrow-window place stand.
        const auto fits = [](int64_t v) {
            return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
        };
        const int64_t threeK = int64_t(3) * k;
        const int64_t sum = int64_t(ButtonsRightEdge) + threeK;
        const int64_t limit = sum + 750;
        const bool overflow = !fits(threeK) || !fits(sum) || !fits(limit);
        const bool narrow = overflow || W < double(limit);
        if (narrow)
            MoveControl(cmdWeb, 9540, cmdWeb->Top());
        else
            MoveControl(cmdWeb, Whole(W - k - 450), cmdWeb->Top());
    } catch (...) {}
}

// =============================================================================================
// Life and position
// =============================================================================================

void frmMain::Form_Load()
{
    try {
        SetFormCaption();
        ToolbarHeight = 690;
        picToolBar->SetHeight(ToolbarHeight);
        cmdResume->Move(cmdPause->Left(), cmdPause->Top());
        cmdResume->SetVisible(false);
        cmdResume->SetEnabled(false);
        ButtonsRightEdge = Whole(double(cmdFinish->Left()) + cmdFinish->Width());
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
    } catch (...) {
        Report(QStringLiteral("Form_Load"), LineText(0));
    }
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
    try {
        if (WindowState() != vb::vbMinimized)
            FormPos_Save();
    } catch (...) {}
    // Every other loaded window goes too, last loaded first. The list is read afresh at each
    // turn: a window's own unload may close (and free) others that were loaded before it.
    for (std::size_t i = vb::Forms().size(); i-- > 0;) {
        if (i >= vb::Forms().size())
            continue;
        vb::Form* other = vb::Forms()[i];
        if (other == this)
            continue;
        try {
            other->Unload();
        } catch (...) {}
    }
}

void frmMain::FormPos_Save()
{
    try {
        const int32_t left = Left();
        const int32_t top = Top();
        const int32_t width = Width();
        const int32_t height = Height();
        const int32_t state = WindowState();
        if (state != vb::vbMaximized) {
            SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Left"), left);
            SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Top"), top);
            SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Width"), width);
            SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Height"), height);
        }
        SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("State"), state);
    } catch (...) {
        Report(QStringLiteral("FormPos_Save"), QString());
    }
}

bool frmMain::FormPos_Read(int32_t& plngLeft, int32_t& plngTop, int32_t& plngWidth, int32_t& plngHeight,
                           int32_t& plngWindowState)
{
    bool result = false;
    try {
        plngLeft = plngTop = plngWidth = plngHeight = plngWindowState = 0;
        plngLeft = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Left"), 0);
        plngTop = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Top"), 0);
        plngWidth = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Width"), 0);
        plngHeight = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Height"), 0);
        plngWindowState = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("State"), 0);
        result = plngWidth > 0;
    } catch (...) {
        Report(QStringLiteral("FormPos_Read"), QString());
    }
    return result;
}

void frmMain::SetFormPosition()
{
    try {
        int32_t left = 0, top = 0, width = 0, height = 0, state = 0;
        if (FormPos_Read(left, top, width, height, state)) {
            // Restored as saved, on or off the screen; a display server that places windows itself
            // keeps the place and takes the size.
            Move(left, top, width, height);
            const bool maximise = state == vb::vbMaximized;
            // Before the first showing the frame is unknown: the bounds are applied again, and the
            // window maximised, once it is on screen, so that its normal size is the saved one.
            placement = {!isVisible(), false, maximise, left, top, width, height};
            if (maximise && isVisible())
                SetWindowState(vb::vbMaximized);
        } else {
            CentreOnScreen();
            placement = {!isVisible(), true, false, 0, 0, 0, 0};
        }
    } catch (...) {
        Report(QStringLiteral("SetFormPosition"), QString());
    }
}

void frmMain::SetFormCaption()
{
    try {
        SetCaption(app::ProductName());
    } catch (...) {
        Report(QStringLiteral("SetFormCaption"), QString());
    }
}

void frmMain::SetColors()
{
    try {
        picToolBar->SetBackColor(QColor(252, 252, 252));
        picStatusBar->SetBackColor(QColor(252, 252, 252));
        QPalette p = lblSplit->palette();
        p.setColor(QPalette::Window, QColor(240, 240, 240));
        lblSplit->setPalette(p);
        lblSplit->setAutoFillBackground(true);
    } catch (...) {
        Report(QStringLiteral("SetColors"), QString());
    }
}
