// The main window's controls as designed, and their layout for any size of the window.
#include "session/frmMain.h"

#include "platform/Screen.h"
#include "platform/VbError.h"
#include "session/frmMain_Private.h"
#include "session/modIssues.h"
#include "support/ErrorTrap.h"

#include <QResizeEvent>

#include <algorithm>
#include <limits>

using frmmain::kDesignWidth;
using frmmain::kDotGreen;

namespace {

// A control's move as the layout makes it: a negative width or height is refused, and the
// control keeps its bounds.
template <class C>
void MoveControl(C* c, double left, double top, double width, double height)
{
    if (width < 0 || height < 0)
        vb::Raise(vb::errInvalidPropertyValue);
    c->Move(vb::CLng(left), vb::CLng(top), vb::CLng(width), vb::CLng(height));
}

template <class C>
void MoveControl(C* c, double left, double top)
{
    c->Move(vb::CLng(left), vb::CLng(top));
}

} // namespace

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

    picStatusBar = new vb::PictureBox(this, 0, 10530, kDesignWidth, 465);
    cmdNav = new vb::PushButton(picStatusBar, 16500, 15, 390, 390);
    cmdNav->SetPicture(vb::SvgIcon(QStringLiteral(":/menu.svg")));
    lblTime_New = new vb::Label(picStatusBar, 15300, -30, frmmain::kTimeLabelWidth, 465);
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

void frmMain::ArrangeControls()
{
    // Each step stands alone: a step that fails is dropped and the next one runs.
    double W = 0, H = 0, T = 0, S = 0;
    IgnoreErrors([&] { W = Width(); });
    IgnoreErrors([&] { H = Height(); });
    IgnoreErrors([&] { T = picToolBar->Height(); });
    IgnoreErrors([&] { S = picStatusBar->Height(); });
    int32_t x = 0, y = 0;

    // 1. Introduction text.
    IgnoreErrors([&] {
        int32_t a = vb::CLng(W - lblIntro->Width());
        if (a < 0)
            a = 0;
        int32_t b = vb::CLng(H - lblIntro->Height());
        if (T + 600 > b)
            b = vb::CLng(T + 600);
        MoveControl(lblIntro, a / 2.0, b / 2.0);
    });
    // 2. Left pane.
    IgnoreErrors([&] { MoveControl(picLeftFrame, 0, T, W / 2 - 45, H - T - S - 480 - 30); });
    // 3. Right pane: W / 2 wide, so it runs on past the window's right edge.
    IgnoreErrors([&] { MoveControl(picRightFrame, W / 2 + 45, T, W / 2, H - T - S - 480 - 30); });
    // 4. Divider.
    IgnoreErrors([&] { MoveControl(lblSplit, W / 2 - 45, T + 300, 90, picRightFrame->Height() - 600.0); });
    // 5. Step title.
    IgnoreErrors([&] {
        int32_t c = vb::CLng(picLeftFrame->Width() - 600.0);
        if (c < 3900)
            c = 3900;
        MoveControl(lblSegmentTitle, 300, 300, c, lblSegmentTitle->Height());
    });
    // 6. Instruction text.
    IgnoreErrors([&] {
        const double e = double(lblSegmentTitle->Top()) + lblSegmentTitle->Height();
        MoveControl(lblLeftFrame, 300, e + 90, picLeftFrame->Width() - 600.0, picLeftFrame->Height() - e - 210);
    });
    // 7. Body diagram, centred in the right pane, pinned to its top-left corner when the pane is smaller.
    IgnoreErrors([&] {
        x = vb::CLng((double(picRightFrame->Width()) - picShape->Width()) / 2);
        y = vb::CLng((double(picRightFrame->Height()) - picShape->Height()) / 2);
        if (x < 0)
            x = 0;
        if (y < 0)
            y = 0;
        MoveControl(picShape, x, y);
    });
    // 8. Point caption, right under the diagram.
    IgnoreErrors([&] {
        MoveControl(lblCurrentPoint, x, vb::CLng(double(picShape->Top()) + picShape->Height() + 150), picShape->Width(),
                    lblCurrentPoint->Height());
    });
    // 9. and 10. Issue and SUD frames, centred.
    for (vb::Frame* frame : {fraMode, fraSUD_2}) {
        IgnoreErrors([&] {
            const double dw = double(picRightFrame->Width()) - frame->Width();
            const double dh = double(picRightFrame->Height()) - frame->Height();
            const int32_t left = dw > 0 ? vb::CLng(dw / 2) : 0;
            const int32_t top = dh > 0 ? vb::CLng(dh / 2) : 0;
            MoveControl(frame, left, top);
        });
    }
    // 11. Hands side by side, 600 apart about the pane's centre line.
    IgnoreErrors([&] {
        int32_t hy = vb::CLng((double(picRightFrame->Height()) - picHandLeft->Height()) / 2);
        if (hy < 0)
            hy = 0;
        int32_t l = vb::CLng(picRightFrame->Width() / 2.0 - picHandLeft->Width() - 300);
        int32_t r = 0;
        if (l >= 0) {
            r = vb::CLng(picRightFrame->Width() / 2.0 + 300);
        } else {
            l = 0;
            r = vb::CLng(double(picHandLeft->Width()) + 600);
        }
        MoveControl(picHandLeft, l, hy);
        MoveControl(picHandRight, r, hy);
    });
    // 12. Menu button and elapsed time, inside the status bar.
    IgnoreErrors([&] {
        MoveControl(cmdNav, W - cmdNav->Width() - 390, cmdNav->Top());
        // The right edge of the label at its designed width; a label widened for hours keeps it.
        MoveControl(lblTime_New, double(cmdNav->Left()) - 1200 + frmmain::kTimeLabelWidth - lblTime_New->Width(),
                    lblTime_New->Top());
    });
    // 13. Bottom button row.
    if (!BottomRowFlag) {
        IgnoreErrors([&] {
            const int32_t rowTop = vb::CLng(double(picLeftFrame->Top()) + picLeftFrame->Height() + 30);
            int32_t p = vb::CLng(W / 2 - cmdNavig_Bottom[0]->Width() - 600);
            int32_t q = 0;
            if (p >= 0) {
                q = vb::CLng(W / 2 + 600);
            } else {
                p = 0;
                q = vb::CLng(double(cmdNavig_Bottom[0]->Width()) + 1200);
            }
            MoveControl(cmdNavig_Bottom[0], p, rowTop);
            MoveControl(cmdNavig_Bottom[1], q, rowTop);
            const int32_t m = vb::CLng(W / 2 - cmdPause_Bottom->Width() / 2.0);
            MoveControl(cmdPause_Bottom, m, rowTop);
            MoveControl(cmdResume_Bottom, m, rowTop);
        });
    }
    // 14. Web-site button at the tool bar's right end, unless the window is too narrow for it.
    IgnoreErrors([&] {
        const int32_t k = vb::CLng(cmdWeb->Width());
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
        if (narrow) {
            // 9540, or less in a client area too narrow to show it there whole (under 10755, as on a
            // small screen): flush with the right edge, but never over the Finish button.
            const int64_t lowest = std::min<int64_t>(9540, ButtonsRightEdge);
            const int64_t flush = int64_t(ScaleWidth()) - k;
            MoveControl(cmdWeb, int32_t(std::clamp<int64_t>(flush, lowest, 9540)), cmdWeb->Top());
        }
        else
            MoveControl(cmdWeb, vb::CLng(W - k - 450), cmdWeb->Top());
    });
}

void frmMain::FitTimeLabel()
{
    // A few pixels of slack: the text's advance leaves out the last glyph's overhang.
    const int textPixels = lblTime_New->fontMetrics().horizontalAdvance(lblTime_New->text()) + 4;
    const int width = std::max(frmmain::kTimeLabelWidth, vb::PixelsToTwipsX(textPixels));
    const int right = lblTime_New->Left() + lblTime_New->Width();
    lblTime_New->Move(right - width, lblTime_New->Top(), width, lblTime_New->Height());
}
