#include "support/ErrorTrap.h"
#include "support/modErrorReport.h"

#include "TestSupport.h"
#include "platform/VbError.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(ErrorTrap, AnErrorStopsTheBodyRunsTheHandlerAndIsReportedWithTheLineReached)
{
    ErrorReportRecorder reports;
    bool handlerRan = false;
    bool afterRaise = false;
    int result = 0;
    const bool ok = TrapErrors(
        QStringLiteral("modTest"), QStringLiteral("DoThing"),
        [&](int& line) {
            line = 10;
            result = 1;
            line = 20;
            vb::Raise(vb::errOverflow);
            afterRaise = true;
        },
        [&] { handlerRan = true; });
    EXPECT_FALSE(ok);
    EXPECT_TRUE(handlerRan);
    EXPECT_FALSE(afterRaise);
    EXPECT_EQ(result, 1); // what the body had set by then stays
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(reports.calls[0].ErrNum, 6);
    EXPECT_EQ(reports.calls[0].ErrDesc, QStringLiteral("Overflow"));
    EXPECT_EQ(reports.calls[0].ModuleName, QStringLiteral("modTest"));
    EXPECT_EQ(reports.calls[0].ProcName, QStringLiteral("DoThing"));
    EXPECT_EQ(reports.calls[0].ExtraDesc, QStringLiteral("Line: 20"));
}

TEST(ErrorTrap, ABodyWithoutLinesReportsAnEmptyExtraTextAndAFailingHandlerHidesNothing)
{
    ErrorReportRecorder reports;
    const bool ok = TrapErrors(
        QStringLiteral("modTest"), QStringLiteral("Plain"), [] { throw std::out_of_range("index"); },
        [] { throw std::runtime_error("handler"); });
    EXPECT_FALSE(ok);
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(reports.calls[0].ErrNum, 9);
    EXPECT_EQ(reports.calls[0].ExtraDesc, QString());
}

TEST(ErrorTrap, ABodyThatEndsNormallyReportsNothing)
{
    ErrorReportRecorder reports;
    testing_support::MsgBoxRecorder boxes;
    EXPECT_TRUE(TrapErrors(QStringLiteral("m"), QStringLiteral("p"), [](int& line) { line = 5; }));
    EXPECT_TRUE(TrapErrorsLocally(QStringLiteral("Member"), [] {}));
    EXPECT_TRUE(reports.calls.empty());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST(ErrorTrap, TheLocalVariantShowsTheLibrarysMessageTitledWithTheMember)
{
    ErrorReportRecorder reports;
    testing_support::MsgBoxRecorder boxes;
    EXPECT_FALSE(TrapErrorsLocally(QStringLiteral("OSVersion"), [] { vb::Raise(vb::errInvalidCall); }));
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("Error: 5. Invalid procedure call or argument"));
    EXPECT_EQ(boxes.calls[0].Title, QStringLiteral("OSVersion"));
    EXPECT_EQ(boxes.calls[0].Buttons, vb::vbOKOnly);
    EXPECT_TRUE(reports.calls.empty());
}

} // namespace
