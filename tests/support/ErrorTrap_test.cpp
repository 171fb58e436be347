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
    const bool ok = TrapErrors(QStringLiteral("modTest"), QStringLiteral("DoThing"),
                               {.extra = errortrap::Extra::Line, .beforeReport = [&] { handlerRan = true; }},
                               [&](int& line) {
                                   line = 10;
                                   result = 1;
                                   line = 20;
                                   vb::Raise(vb::errOverflow);
                                   afterRaise = true;
                               });
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
    const bool ok = TrapErrors(QStringLiteral("modTest"), QStringLiteral("Plain"),
                               {.beforeReport = [] { throw std::runtime_error("handler"); }},
                               [] { throw std::out_of_range("index"); });
    EXPECT_FALSE(ok);
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(reports.calls[0].ErrNum, 9);
    EXPECT_EQ(reports.calls[0].ExtraDesc, QString());
}

// The extra text follows the option alone, whether or not the body numbers its lines; the handler's
// statements run before the report.
TEST(ErrorTrap, TheOptionsDecideTheExtraTextAndTheHandlerRunsFirst)
{
    using errortrap::Extra;
    const auto plain = [] { vb::Raise(vb::errOverflow); };
    const auto numbered = [](int& line) {
        line = 10;
        line = 30;
        vb::Raise(vb::errOverflow);
    };
    struct Case { const char* name; Extra extra; bool numbersLines; QString text; };
    const Case cases[] = {
        {"no text", Extra::None, false, QString()},
        {"line, none numbered", Extra::Line, false, QStringLiteral("Line: 0")},
        {"line reached", Extra::Line, true, QStringLiteral("Line: 30")},
        {"no text though numbered", Extra::None, true, QString()},
    };
    const QString module = QStringLiteral("frmTest");
    const QString proc = QStringLiteral("Proc");
    for (const Case& c : cases) {
        ErrorReportRecorder reports;
        size_t reportsBeforeHandler = 99;
        const errortrap::Options options{c.extra, [&] { reportsBeforeHandler = reports.calls.size(); }};
        const bool ok = c.numbersLines ? TrapErrors(module, proc, options, numbered)
                                       : TrapErrors(module, proc, options, plain);
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(reportsBeforeHandler, 0u) << c.name;
        ASSERT_EQ(reports.calls.size(), 1u) << c.name;
        EXPECT_EQ(reports.calls[0].ExtraDesc, c.text) << c.name;
        EXPECT_EQ(reports.calls[0].ModuleName, module) << c.name;
        EXPECT_EQ(reports.calls[0].ProcName, proc) << c.name;
    }
}

TEST(ErrorTrap, ABodyThatEndsNormallyReportsNothing)
{
    ErrorReportRecorder reports;
    testing_support::MsgBoxRecorder boxes;
    EXPECT_TRUE(TrapErrors(QStringLiteral("m"), QStringLiteral("p"), {.extra = errortrap::Extra::Line},
                           [](int& line) { line = 5; }));
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
