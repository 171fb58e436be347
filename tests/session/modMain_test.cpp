// Start-up: the single-instance question comes before any window and No ends everything; the
// introduction window, when the option is on, is shown and closed before the main window exists;
// a copy killed earlier never makes the next start ask, nor does a lock another program keeps stop
// the start; CenterForm's arithmetic.
#include "RunningCopy.h"
#include "TestSupport.h"
#include "platform/Instance.h"
#include "platform/Registry.h"
#include "platform/Screen.h"
#include "session/frmMain.h"
#include "session/frmWhatIsIt.h"
#include "session/modMain.h"
#include "session/modOptions.h"
#include "support/modErrorReport.h"
#include "support/modRegistry.h"
#include "platform/VbError.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::MsgBoxRecorder;
using testing_support::OwnStore;
using testing_support::RunningCopy;
using testing_support::WhenModal;

namespace {

const QString kQuestion = QStringLiteral(
    "Another instance of Quorvane is already running.\r\n\r\nDo you want to run another instance?");

// Each test starts with a settings store (and so an instance lock) of its own.
class StartUpTest : public ::testing::Test {
protected:
    std::unique_ptr<OwnStore> store;
    std::unique_ptr<RunningCopy> otherCopy;

    void SetUp() override
    {
        store = std::make_unique<OwnStore>();
        JournalEnabled = -1;
        BottomRowFlag = -1;
    }
    void TearDown() override
    {
        if (MainWindow) {
            MainWindow->Unload();
            delete MainWindow;
            MainWindow = nullptr;
        }
        if (WhatIsItWindow)
            WhatIsItWindow->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        otherCopy.reset();
        store.reset();
    }

    void StartOtherCopy()
    {
        otherCopy = std::make_unique<RunningCopy>();
        ASSERT_EQ(otherCopy->SawOther(), 0);
    }
    void SetOption(int32_t value)
    {
        ASSERT_EQ(SaveRegDWord(HKEY_CURRENT_USER, OptionsKey(), QStringLiteral("ShowWhatIsIt"), value), "Success");
    }
    QByteArray StoreDigest() const
    {
        QFile f(store->FilePath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    // The program's start (the start_up helper) in a process of its own, given ten seconds: what it
    // printed, or "<hung>". *errors (when given) gets what it wrote on standard error.
    static QByteArray StartInAProcess(QString* errors = nullptr)
    {
        QProcess start;
        start.start(QCoreApplication::applicationDirPath() + QStringLiteral("/start_up"), QStringList{});
        if (!start.waitForFinished(10000)) {
            start.kill();
            start.waitForFinished(5000);
            return "<hung>";
        }
        if (errors)
            *errors = QString::fromUtf8(start.readAllStandardError());
        return start.readAllStandardOutput();
    }
    // Runs Main; a modal window still open after a while is closed (and counted) so the test ends.
    int RunMainClosingStrayModals()
    {
        int stray = 0;
        QTimer guard;
        QObject::connect(&guard, &QTimer::timeout, [&] {
            if (auto* w = qobject_cast<vb::Form*>(QApplication::activeModalWidget())) {
                ++stray;
                w->Unload();
            }
        });
        guard.start(1500);
        Main();
        return stray;
    }
};

TEST_F(StartUpTest, NoToTheQuestionEndsWithNoWindowAndNothingWritten)
{
    SetOption(1);
    StartOtherCopy();
    RegistryCloseStore();
    const QByteArray before = StoreDigest();
    MsgBoxRecorder rec(vb::vbNo);
    EXPECT_EQ(RunMainClosingStrayModals(), 0);
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0].Prompt, kQuestion);
    EXPECT_EQ(rec.calls[0].Buttons, 36);
    EXPECT_EQ(rec.calls[0].Title, "Quorvane");
    EXPECT_EQ(JournalEnabled, 0);
    EXPECT_EQ(BottomRowFlag, 0);
    EXPECT_EQ(MainWindow, nullptr);
    EXPECT_FALSE(WhatIsItWindow);
    EXPECT_TRUE(vb::Forms().empty());
    RegistryCloseStore();
    EXPECT_EQ(StoreDigest(), before);
}

TEST_F(StartUpTest, YesOrNoOtherCopyGoesOnToTheMainWindow)
{
    for (bool other : {true, false}) {
        SCOPED_TRACE(other ? "another copy, answered Yes" : "no other copy");
        if (other)
            StartOtherCopy();
        MsgBoxRecorder rec(vb::vbYes);
        EXPECT_EQ(RunMainClosingStrayModals(), 0);
        EXPECT_EQ(rec.calls.size(), other ? 1u : 0u);
        ASSERT_NE(MainWindow, nullptr);
        EXPECT_TRUE(MainWindow->IsLoaded());
        EXPECT_TRUE(MainWindow->isVisible());
        EXPECT_FALSE(MainWindow->isModal());
        TearDown();
        SetUp();
    }
}

// With the option at 1 the introduction window comes first, whichever way it is closed; with any
// other value it never appears.
TEST_F(StartUpTest, TheIntroductionWindowIsShownAndClosedBeforeTheMainWindowExists)
{
    struct Close {
        const char* how;
        std::function<void(frmWhatIsIt*)> close;
    };
    const Close ways[] = {
        {"Continue", [](frmWhatIsIt* w) { w->cmdCancel->click(); }},
        {"Esc", [](frmWhatIsIt* w) { QTest::keyClick(w->cmdOK, Qt::Key_Escape); }},
        {"close box", [](frmWhatIsIt* w) { w->close(); }},
        {"Don't Show This Again", [](frmWhatIsIt* w) { w->cmdOK->click(); }},
    };
    for (const Close& way : ways) {
        SCOPED_TRACE(way.how);
        SetOption(1);
        bool shownFirst = false;
        WhenModal([&](QWidget* m) {
            auto* w = qobject_cast<frmWhatIsIt*>(m);
            ASSERT_NE(w, nullptr);
            shownFirst = MainWindow == nullptr && vb::Forms().size() == 1 && w == WhatIsItWindow.get();
            QApplication::setActiveWindow(w);
            ASSERT_TRUE(QTest::qWaitForWindowActive(w));
            way.close(w);
        });
        MsgBoxRecorder rec;
        EXPECT_EQ(RunMainClosingStrayModals(), 0) << "the way of closing left the window open";
        EXPECT_TRUE(shownFirst);
        EXPECT_FALSE(WhatIsItWindow);
        ASSERT_NE(MainWindow, nullptr);
        EXPECT_TRUE(MainWindow->isVisible());
        EXPECT_TRUE(rec.calls.empty());
        TearDown();
        SetUp();
    }

    for (int32_t value : {0, 2, -1}) {
        SCOPED_TRACE(value);
        SetOption(value);
        EXPECT_EQ(RunMainClosingStrayModals(), 0);
        ASSERT_NE(MainWindow, nullptr);
        TearDown();
        SetUp();
    }
    EXPECT_EQ(RunMainClosingStrayModals(), 0) << "option missing";
    EXPECT_NE(MainWindow, nullptr);
}

TEST_F(StartUpTest, ACopyKilledEarlierDoesNotMakeTheNextStartAsk)
{
    StartOtherCopy();
    otherCopy->Kill();
    MsgBoxRecorder rec(vb::vbNo);
    Main();
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_NE(MainWindow, nullptr);
}

// Another program that keeps the instance lock exclusively (flock -x), and another user's copy
// that keeps the gate shared, hold the start up only for a short wait: the main window comes.
// The start runs in a process of its own, given ten seconds.
TEST_F(StartUpTest, LocksKeptByOtherProgramsDoNotStopTheStart)
{
    const QByteArray mark = vb::InstanceLockPath();
    const int markFd = ::open(mark.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const int gateFd = ::open((mark + "-gate").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(markFd, LOCK_EX), 0);
    ASSERT_EQ(::flock(gateFd, LOCK_SH), 0);
    EXPECT_EQ(StartInAProcess(), "window\n");
    ::close(markFd);
    ::close(gateFd);
}

// A FIFO in place of the settings store holds nothing up: the main window comes at once, on the
// defaults, and standard error says why no settings are kept. The start runs in a process of its
// own, given ten seconds.
TEST_F(StartUpTest, AFifoInPlaceOfTheStoreDoesNotHoldTheWindowUp)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(store->FilePath()).constData(), 0600), 0);
    QString errors;
    EXPECT_EQ(StartInAProcess(&errors), "window\n");
    EXPECT_TRUE(errors.contains(store->FilePath() + QStringLiteral(" is not a plain file"))) << errors.toStdString();
}

TEST_F(StartUpTest, AnErrorIsReportedWithTheFailingStepsLine)
{
    StartOtherCopy();
    ErrorReportRecorder reports;
    MsgBoxRecorder rec;
    rec.onCall = [](const vb::MsgBoxCall&) -> int { vb::Raise(vb::errOutOfMemory); };
    Main();
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(reports.calls[0].ErrNum, 7);
    EXPECT_EQ(reports.calls[0].ModuleName, "modMain");
    EXPECT_EQ(reports.calls[0].ProcName, "Main");
    EXPECT_EQ(reports.calls[0].ExtraDesc, "Line: 30");
    EXPECT_EQ(MainWindow, nullptr);
}

TEST(CenterFormTest, CentresByTheOuterSizeAndGoesNegativeWhenLarger)
{
    vb::Form f;
    f.Load();
    f.SetClientSizeTwips(3000, 1500);
    CenterForm(f);
    EXPECT_NEAR(f.Left(), (vb::ScreenWidthTwips() - f.Width()) / 2, vb::TwipsPerPixelX());
    EXPECT_NEAR(f.Top(), (vb::ScreenHeightTwips() - f.Height()) / 2, vb::TwipsPerPixelY());
    f.SetClientSizeTwips(vb::ScreenWidthTwips() + 3000, vb::ScreenHeightTwips() + 1500);
    CenterForm(f);
    EXPECT_NEAR(f.Left(), -1500, vb::TwipsPerPixelX());
    EXPECT_NEAR(f.Top(), -750, vb::TwipsPerPixelY());
    EXPECT_EQ(f.ScaleWidth(), vb::ScreenWidthTwips() + 3000) << "the size is kept";
    f.Unload();
}

} // namespace

namespace {

// Only a window manager adds a frame; run under one with QT_QPA_PLATFORM=xcb to see this case.
TEST(CenterFormTest, UnderAWindowManagerTheFramedWindowIsCentred)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        GTEST_SKIP() << "no window manager on the headless platform";
    vb::Form f;
    f.SetClientSizeTwips(6000, 4000);
    f.Load();
    CenterForm(f);
    f.Show();
    if (!QTest::qWaitFor([&] { return f.Height() > f.ScaleHeight(); }, testing_support::kWindowManagerWaitMs))
        GTEST_SKIP() << "the display has no window manager";
    const auto centred = [&] {
        return std::abs(f.Top() - (vb::ScreenHeightTwips() - f.Height()) / 2) <= vb::TwipsPerPixelY() &&
               std::abs(f.Left() - (vb::ScreenWidthTwips() - f.Width()) / 2) <= vb::TwipsPerPixelX();
    };
    EXPECT_TRUE(QTest::qWaitFor(centred, testing_support::kWindowManagerWaitMs))
        << "outer " << f.Left() << "," << f.Top() << " " << f.Width() << "x" << f.Height();
    f.Unload();
}

} // namespace
