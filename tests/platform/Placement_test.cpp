// Acting once a window has been framed: after the first showing only, once, and never after the
// watch has been cancelled; centring a window on an area by its outer size.
#include "platform/Form.h"
#include "platform/Placement.h"
#include "platform/Screen.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

TEST(WhenFramedTest, TheActionWaitsForTheFirstShowingAndRunsOnce)
{
    vb::Form f;
    f.SetClientSizeTwips(3000, 2000);
    int runs = 0;
    vb::WhenFramed(&f, [&](bool) { ++runs; });
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0) << "not shown yet";
    f.Show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, 2000));
    f.Hide();
    f.Show();
    QTest::qWait(50);
    EXPECT_EQ(runs, 1);
    f.Unload();
}

TEST(WhenFramedTest, ACancelledWatchNeverActs)
{
    vb::Form f;
    f.SetClientSizeTwips(3000, 2000);
    int runs = 0;
    delete vb::WhenFramed(&f, [&](bool) { ++runs; });
    f.Show();
    QTest::qWait(50);
    EXPECT_EQ(runs, 0);
    f.Unload();
}

TEST(CentreWindowTest, TheWindowStandsInTheMiddleOfTheAreaByItsOuterSize)
{
    vb::Form f;
    f.SetClientSizeTwips(4680, 3195);
    vb::CentreWindow(&f, QRect(1500, 3000, 6000, 4500));
    EXPECT_NEAR(f.Left() + f.Width() / 2, 1500 + 3000, vb::TwipsPerPixelX());
    EXPECT_NEAR(f.Top() + f.Height() / 2, 3000 + 2250, vb::TwipsPerPixelY());

    // Larger than the area: the window starts before it, as computed.
    vb::CentreWindow(&f, QRect(0, 0, f.Width() / 2, f.Height() / 2));
    EXPECT_LT(f.Left(), 0);
    EXPECT_LT(f.Top(), 0);
    f.Unload();
}
