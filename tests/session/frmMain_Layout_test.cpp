// The main window's layout at its design size and at the edge sizes: rounding of halves to the
// even neighbour, minimum widths, pictures pinned to the pane's corner, refused moves that leave a
// control where it was while the later steps still run.
#include "frmMainFixture.h"

#include <QCoreApplication>
#include <limits>

namespace {

struct Bounds {
    int left, top, width, height;
};

template <class C>
Bounds Of(const C* c)
{
    return {c->Left(), c->Top(), c->Width(), c->Height()};
}

void ExpectBounds(const Bounds& got, const Bounds& want, const char* what)
{
    EXPECT_EQ(got.left, want.left) << what;
    EXPECT_EQ(got.top, want.top) << what;
    EXPECT_EQ(got.width, want.width) << what;
    EXPECT_EQ(got.height, want.height) << what;
}

class LayoutTest : public MainWindowTest {
protected:
    // Outer size in twips (the offscreen window has no frame, so outer and client agree).
    void SizeTo(int w, int h)
    {
        form->Move(0, 0, w, h);
        ASSERT_EQ(form->Width(), w);
        ASSERT_EQ(form->Height(), h);
        form->ArrangeControls();
    }
};

TEST_F(LayoutTest, DesignSize)
{
    SizeTo(17280, 10995);
    ExpectBounds(Of(form->picLeftFrame), {0, 690, 8595, 9330}, "picLeftFrame");
    ExpectBounds(Of(form->picRightFrame), {8685, 690, 8640, 9330}, "picRightFrame");
    ExpectBounds(Of(form->lblSplit), {8595, 990, 90, 8730}, "lblSplit");
    ExpectBounds(Of(form->lblSegmentTitle), {300, 300, 7995, 555}, "lblSegmentTitle");
    ExpectBounds(Of(form->lblLeftFrame), {300, 945, 7995, 8265}, "lblLeftFrame");
    // (9330 - 8535) / 2 = 397.5 goes to 398; (9330 - 1425) / 2 = 3952.5 to 3952; halves go to the even neighbour.
    ExpectBounds(Of(form->picShape), {750, 398, 7140, 8535}, "picShape");
    ExpectBounds(Of(form->lblCurrentPoint), {750, 9083, 7140, 495}, "lblCurrentPoint");
    ExpectBounds(Of(form->fraMode), {750, 398, 7140, 8535}, "fraMode");
    ExpectBounds(Of(form->fraSUD_2), {975, 3952, 6690, 1425}, "fraSUD_2");
    ExpectBounds(Of(form->picHandLeft), {195, 3458, 3825, 2415}, "picHandLeft");
    ExpectBounds(Of(form->picHandRight), {4620, 3458, 3825, 2415}, "picHandRight");
    ExpectBounds(Of(form->lblIntro), {3862, 2400, 9555, 6195}, "lblIntro"); // 7725 / 2 = 3862.5
    EXPECT_EQ(form->cmdNav->Left(), 16500);
    EXPECT_EQ(form->lblTime_New->Left(), 15300);
    EXPECT_EQ(form->cmdNavig_Bottom[0]->Left(), 7095);
    EXPECT_EQ(form->cmdNavig_Bottom[1]->Left(), 9240);
    EXPECT_EQ(form->cmdPause_Bottom->Left(), 8168); // 8167.5
    EXPECT_EQ(form->cmdResume_Bottom->Left(), 8168);
    EXPECT_EQ(form->cmdNavig_Bottom[0]->Top(), 10050);
    EXPECT_EQ(form->cmdWeb->Left(), 15615);
    // The bars stay along the client area's edges at its full width.
    ExpectBounds(Of(form->picToolBar), {0, 0, 17280, 690}, "picToolBar");
    ExpectBounds(Of(form->picStatusBar), {0, 10530, 17280, 465}, "picStatusBar");
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(LayoutTest, NarrowAndShortWindows)
{
    // Narrower than the introduction text: it starts at the left edge; a short window keeps its top at 645.
    SizeTo(9000, 3000);
    EXPECT_EQ(form->lblIntro->Left(), 0);
    EXPECT_EQ(form->lblIntro->Top(), 645);
    // The web button stays at 9540 below 11190 and goes to the right end from there on; a window too
    // narrow to show it whole at 9540 brings it in to end at the client's edge, but not over the
    // Finish button.
    EXPECT_EQ(form->cmdWeb->Left(), 9000 - 1215);
    SizeTo(6000, 3000);
    EXPECT_EQ(form->cmdWeb->Left(), form->ButtonsRightEdge);
    SizeTo(9540 + 1215, 6000);
    EXPECT_EQ(form->cmdWeb->Left(), 9540);
    SizeTo(11175, 6000);
    EXPECT_EQ(form->cmdWeb->Left(), 9540);
    SizeTo(11190, 6000);
    EXPECT_EQ(form->cmdWeb->Left(), 9525);
}

TEST_F(LayoutTest, AnOverflowingWebButtonSwitchPointLeavesTheNarrowPlace)
{
    // The switch point is summed in 32 bits; when the sum overflows, the failed comparison lets
    // the narrow-window place run, even in a wide window.
    SizeTo(17280, 10995);
    ASSERT_EQ(form->cmdWeb->Left(), 15615);
    for (int32_t edge : {std::numeric_limits<int32_t>::max() - 700, std::numeric_limits<int32_t>::max() - 3000}) {
        form->ButtonsRightEdge = edge;
        form->ArrangeControls();
        EXPECT_EQ(form->cmdWeb->Left(), 9540) << edge;
        form->ButtonsRightEdge = 6795;
        form->ArrangeControls();
        EXPECT_EQ(form->cmdWeb->Left(), 15615);
    }
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(LayoutTest, NarrowPanes)
{
    // Left pane 4492.5 - 45 = 4447.5 -> 4448 wide: the step title keeps 3900, the instruction text shrinks.
    SizeTo(8985, 10995);
    EXPECT_EQ(form->picLeftFrame->Width(), 4448);
    EXPECT_EQ(form->lblSegmentTitle->Width(), 3900);
    EXPECT_EQ(form->lblLeftFrame->Width(), 3848);
    // Right pane 4492.5 -> 4492 wide: narrower than the diagram and than the two hands.
    EXPECT_EQ(form->picRightFrame->Width(), 4492);
    EXPECT_EQ(form->picShape->Left(), 0);
    EXPECT_EQ(form->lblCurrentPoint->Left(), 0);
    EXPECT_EQ(form->lblCurrentPoint->Width(), 7140);
    EXPECT_EQ(form->fraMode->Left(), 0);
    EXPECT_EQ(form->picHandLeft->Left(), 0);
    EXPECT_EQ(form->picHandRight->Left(), 4425);
}

TEST_F(LayoutTest, PaneLowerThanTheDiagram)
{
    SizeTo(17280, 9000); // pane height 9000 - 1665 = 7335
    EXPECT_EQ(form->picRightFrame->Height(), 7335);
    EXPECT_EQ(form->picShape->Top(), 0);
    EXPECT_EQ(form->picShape->Left(), 750);
    EXPECT_EQ(form->lblCurrentPoint->Top(), 8685);
    EXPECT_EQ(form->fraMode->Top(), 0);
    EXPECT_EQ(form->fraSUD_2->Top(), 2955);
}

TEST_F(LayoutTest, NarrowerThanTheBottomRow)
{
    SizeTo(3075, 6000);
    EXPECT_EQ(form->cmdNavig_Bottom[0]->Left(), 0);
    EXPECT_EQ(form->cmdNavig_Bottom[1]->Left(), 2145);
    SizeTo(3090, 6000);
    EXPECT_EQ(form->cmdNavig_Bottom[0]->Left(), 0); // 1545 - 945 - 600 = 0
    EXPECT_EQ(form->cmdNavig_Bottom[1]->Left(), 2145);
    SizeTo(3120, 6000);
    EXPECT_EQ(form->cmdNavig_Bottom[0]->Left(), 15);
    EXPECT_EQ(form->cmdNavig_Bottom[1]->Left(), 2160);
}

TEST_F(LayoutTest, AFailingStepIsSkippedAndTheNextOneRuns)
{
    SizeTo(17280, 10995);
    const Bounds left = Of(form->picLeftFrame);
    const Bounds right = Of(form->picRightFrame);
    // So low that the panes' height would be negative: both keep their bounds.
    SizeTo(6000, 1200);
    ExpectBounds(Of(form->picLeftFrame), left, "picLeftFrame");
    ExpectBounds(Of(form->picRightFrame), right, "picRightFrame");
    // The steps after them still ran.
    EXPECT_EQ(form->lblSplit->Left(), 2955);
    EXPECT_EQ(form->lblSplit->Height(), 8730);
    EXPECT_EQ(form->lblIntro->Top(), 645);
    EXPECT_EQ(form->cmdNav->Left(), 6000 - 390 - 390);
    EXPECT_EQ(form->lblTime_New->Left(), 6000 - 780 - 1200);
    EXPECT_EQ(form->cmdWeb->Left(), form->ButtonsRightEdge);
    EXPECT_EQ(form->cmdNavig_Bottom[0]->Top(), 10050);

    // An instruction text whose width would be negative keeps its bounds too.
    SizeTo(2250, 10995); // left pane 1080, text 480
    EXPECT_EQ(form->lblLeftFrame->Width(), 480);
    const Bounds text = Of(form->lblLeftFrame);
    SizeTo(1200, 10995); // left pane 555, text -45
    EXPECT_EQ(form->picLeftFrame->Width(), 555);
    ExpectBounds(Of(form->lblLeftFrame), text, "lblLeftFrame");
    EXPECT_EQ(form->lblSegmentTitle->Width(), 3900);
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(LayoutTest, ResizingLaysOutAgainUnlessMinimised)
{
    form->Move(0, 0, 17280, 10995);
    form->Show();
    QCoreApplication::processEvents();
    form->Move(0, 0, 12000, 9000);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->picLeftFrame->Width(), 5955);
    EXPECT_EQ(form->picStatusBar->Top(), form->ScaleHeight() - 465);

    form->SetWindowState(vb::vbMinimized);
    QCoreApplication::processEvents();
    form->Move(0, 0, 17280, 10995);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->picLeftFrame->Width(), 5955);
    // Restoring lays the window out again for the size it has now.
    form->SetWindowState(vb::vbNormal);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->picLeftFrame->Width(), 8595);
}

} // namespace
