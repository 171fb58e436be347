// The About window: its texts, the web address that opens with the source tag while the window
// stays, the ways it closes, and a fresh window with fresh texts on every opening.
#include "session/frmAbout_NEW.h"

#include "FakeUrlLauncher.h"
#include "ModalWindow.h"
#include "TestSupport.h"
#include "platform/Screen.h"
#include "support/WebAddresses.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AboutTest : public ::testing::Test {
protected:
    testing_support::FakeUrlLauncher launcher;

    // Opens About as the About command does and runs `act` on it once it is up and active; closes
    // whatever `act` leaves open.
    void Open(const std::function<void(frmAbout_NEW*)>& act)
    {
        bool ran = false;
        testing_support::WhenModalWindow<frmAbout_NEW>(ran, act, [](frmAbout_NEW* f) { f->cmdOK->click(); });
        ShowAboutWindow();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(AboutWindow);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST_F(AboutTest, ShowsTheProductTheVersionAndTheMaker)
{
    Open([](frmAbout_NEW* f) {
        EXPECT_EQ(f->Caption(), QStringLiteral("About Quorvane"));
        EXPECT_NEAR(f->Left() + f->Width() / 2, vb::ScreenWidthTwips() / 2, 30); // centred on the screen
        EXPECT_NEAR(f->Top() + f->Height() / 2, vb::ScreenHeightTwips() / 2, 30);
        EXPECT_EQ(f->lblTitle->Caption(), QStringLiteral("Quorvane"));
        // The version as CMake sets it: 2.0, revision 201, each number unpadded.
        EXPECT_EQ(f->lblVersion->Caption(), QStringLiteral("Version 2.0 Build 201"));
        EXPECT_EQ(f->lblBuild->Caption(), QStringLiteral("Build 201"));
        EXPECT_TRUE(f->lblCopyright->Caption().startsWith(QStringLiteral("Copyright \u00A9 ")));
        const QStringList address = f->lblAddress->Caption().split(QStringLiteral("\r\n"));
        ASSERT_EQ(address.size(), 4);
        EXPECT_EQ(address[3], QStringLiteral("support@tenmoor.example"));
        EXPECT_TRUE(f->lblDisclaimer->Caption().contains(QStringLiteral("not a substitute for medical")));
        EXPECT_FALSE(f->lblDisclaimer->Caption().contains(QStringLiteral("\r\n"))); // one paragraph
        EXPECT_EQ(f->lblWebAddress->Caption(), QStringLiteral("www.quorvane.example"));
        EXPECT_EQ(f->lblWebAddress->Tag, f->lblWebAddress->Caption());
        EXPECT_FALSE(f->picProgLogo->Picture().isNull());
        EXPECT_FALSE(f->picCompanyLogo->Picture().isNull());
        EXPECT_TRUE(f->cmdOK->isVisible());
        EXPECT_FALSE(f->cmdProgramInfo->isVisible());
        EXPECT_FALSE(f->cmdCredits->isVisible());
        EXPECT_FALSE(f->cmdOtherPrograms->isVisible());
        EXPECT_GT(QFileInfo(testing_support::SaveShot(f, QStringLiteral("about"))).size(), 0);
    });
}

TEST_F(AboutTest, TheWebAddressOpensWithTheSourceTagAndTheWindowStays)
{
    // A file named like the address in the working folder must not be what opens.
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString previousDir = QDir::currentPath();
    QFile planted(work.filePath(web::ProductWebSite()));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.close();
    QDir::setCurrent(work.path());
    Open([&](frmAbout_NEW* f) {
        QTest::mouseClick(f->lblWebAddress, Qt::LeftButton);
        // The shell opens the scheme-less address as a web address.
        EXPECT_EQ(launcher.Opened(), QStringList{QStringLiteral("http://www.quorvane.example?src=qv")});
        EXPECT_TRUE(f->IsLoaded());
        EXPECT_TRUE(f->isVisible());
        // The address is taken from the label's Tag, without blanks around it.
        f->lblWebAddress->Tag = QStringLiteral("  www.other.example \t");
        f->lblWebAddress_Click();
        EXPECT_EQ(launcher.Opened(2).value(1), QStringLiteral("http://www.other.example?src=qv"));
    });
    QDir::setCurrent(previousDir);
}

TEST_F(AboutTest, EveryWayOutClosesAndTheNextOpeningBuildsAFreshWindow)
{
    struct Case {
        const char* what;
        std::function<void(frmAbout_NEW*)> close;
    };
    const std::vector<Case> cases = {
        {"OK", [](frmAbout_NEW* f) { f->cmdOK->click(); }},
        {"close box", [](frmAbout_NEW* f) { f->close(); }},
        {"Esc", [](frmAbout_NEW*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
        {"Enter", [](frmAbout_NEW* f) { QTest::keyClick(f->cmdOK, Qt::Key_Return); }},
    };
    QPointer<frmAbout_NEW> previous;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool wasOpen = false;
        Open([&](frmAbout_NEW* f) {
            EXPECT_TRUE(previous.isNull());
            previous = f;
            EXPECT_EQ(f->lblVersion->Caption(), QStringLiteral("Version 2.0 Build 201"));
            f->lblTitle->SetCaption(QStringLiteral("changed")); // must not survive into the next window
            c.close(f);
            wasOpen = true;
            EXPECT_FALSE(f->IsLoaded());
        });
        EXPECT_TRUE(wasOpen);
        EXPECT_TRUE(previous.isNull());
    }
    EXPECT_TRUE(launcher.Opened(1, 0).isEmpty());
}
