// Acting once a window has been framed: after the first showing only, once, and never after the
// watch has been cancelled.
#include "platform/Form.h"
#include "platform/Placement.h"

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
