// Every window comes up as its stored layout has it: its client area in twips, the 9-point face,
// and its own icon where it has one (the others show the program's, which the program sets for
// the whole application and the tests leave unset).
#include "session/frmAbout_NEW.h"
#include "session/frmMain.h"
#include "session/frmShortcuts.h"
#include "session/frmWhatIsIt.h"
#include "support/frmErrorReport.h"
#include "support/frmPassword.h"
#include "support/frmZTemplate.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct LayoutCase {
    const char* name;
    std::unique_ptr<vb::Form> window;
    int clientWidth;
    int clientHeight;
    bool ownIcon;
};

TEST(WindowLayouts, EachWindowHasItsClientAreaFaceAndIcon)
{
    LayoutCase cases[] = {
        {"frmMain", std::make_unique<frmMain>(), 17280, 10995, true},
        {"frmAbout_NEW", std::make_unique<frmAbout_NEW>(), 6600, 5400, true},
        {"frmShortcuts", std::make_unique<frmShortcuts>(), 8880, 2640, true},
        {"frmWhatIsIt", std::make_unique<frmWhatIsIt>(), 9180, 6780, false},
        {"frmPassword", std::make_unique<frmPassword>(), 4395, 1545, true},
        {"frmErrorReport", std::make_unique<frmErrorReport>(), 7755, 8535, false},
        {"frmZTemplate", std::make_unique<frmZTemplate>(), 4680, 3195, false},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.window->ScaleWidth(), c.clientWidth);
        EXPECT_EQ(c.window->ScaleHeight(), c.clientHeight);
        EXPECT_EQ(c.window->font().pointSizeF(), 9.0);
        EXPECT_EQ(!c.window->windowIcon().isNull(), c.ownIcon);
    }
}

} // namespace
