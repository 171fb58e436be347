// The main window's place between runs, against the test's private settings store: first start,
// closed normal, maximised, minimised; and closing it closes the program's other windows.
#include "DeepFolder.h"
#include "TestSupport.h"
#include "platform/Registry.h"
#include "platform/Screen.h"
#include "session/SessionState.h"
#include "session/frmMain.h"
#include "support/modErrorReport.h"
#include "support/modRegistry.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cmath>
#include <limits>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString kKey = QStringLiteral("Software\\Quorvane\\WindowPosition");

int32_t Saved(const char* name, int32_t missing = -12345)
{
    return GetRegDWord(HKEY_CURRENT_USER, kKey, QString::fromLatin1(name), missing);
}

class PositionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey.toLatin1());
        session::ResetState();
    }
    std::unique_ptr<frmMain> Open()
    {
        auto f = std::make_unique<frmMain>();
        f->tmrSteps->blockSignals(true);
        f->Show();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return f;
    }
    // The test screen, 800 by 800 pixels, is narrower than the window's design (17280 twips, 1152
    // pixels): a window that starts at its design size is as wide as the screen's available area
    // there, and starts at the area's left edge; the design's height fits and stays.
    static void ExpectTheDesignSizeNoWiderThanTheScreen(const frmMain& f, const std::string& what = {})
    {
        const QRect area = vb::AvailableAreaTwips();
        EXPECT_EQ(f.Width(), area.width()) << what;
        EXPECT_EQ(f.Left(), area.left()) << what;
        EXPECT_EQ(f.ScaleHeight(), 10995) << what;
    }
    ErrorReportRecorder reports;
};

TEST_F(PositionTest, FirstStartIsCentredAtTheDesignSizeAsFarAsTheScreenHoldsItOnIntro)
{
    auto f = Open();
    ExpectTheDesignSizeNoWiderThanTheScreen(*f);
    // Centred by its outer size where it fits.
    EXPECT_NEAR(f->Top(), std::nearbyint((vb::ScreenHeightTwips() - double(f->Height())) / 2), vb::TwipsPerPixelY());
    EXPECT_EQ(f->WindowState(), vb::vbNormal);
    EXPECT_EQ(session::State.CurrentStep, stepIntro);
    EXPECT_EQ(Saved("Width"), -12345); // nothing is written before the window closes
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(PositionTest, NormalBoundsComeBack)
{
    // The test screen is 800 by 800 pixels (12000 by 12000 twips).
    auto f = Open();
    f->Move(750, 600, 11250, 7500);
    QCoreApplication::processEvents();
    f->Unload();
    EXPECT_EQ(Saved("Left"), 750);
    EXPECT_EQ(Saved("Top"), 600);
    EXPECT_EQ(Saved("Width"), 11250);
    EXPECT_EQ(Saved("Height"), 7500);
    EXPECT_EQ(Saved("State"), 0);

    auto g = Open();
    EXPECT_EQ(g->Left(), 750);
    EXPECT_EQ(g->Top(), 600);
    EXPECT_EQ(g->Width(), 11250);
    EXPECT_EQ(g->Height(), 7500);
    EXPECT_EQ(g->WindowState(), vb::vbNormal);
    // Laid out for the restored size.
    EXPECT_EQ(g->picLeftFrame->Width(), 5580);
    g->Unload();
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(PositionTest, MaximisedKeepsTheLastNormalBoundsAndMaximisesAgain)
{
    auto f = Open();
    f->Move(750, 600, 12000, 7995);
    f->Unload();

    auto g = Open();
    g->SetWindowState(vb::vbMaximized);
    QCoreApplication::processEvents();
    g->Unload();
    EXPECT_EQ(Saved("State"), 2);
    EXPECT_EQ(Saved("Width"), 12000);
    EXPECT_EQ(Saved("Left"), 750);

    auto h = Open();
    EXPECT_EQ(h->WindowState(), vb::vbMaximized);
    h->SetWindowState(vb::vbNormal);
    QCoreApplication::processEvents();
    EXPECT_EQ(h->Width(), 12000);
    EXPECT_EQ(h->Height(), 7995);
    h->Unload();
}

TEST_F(PositionTest, MaximisedWithoutANormalCloseComesBackCentredAndNormal)
{
    auto f = Open();
    f->SetWindowState(vb::vbMaximized);
    QCoreApplication::processEvents();
    f->Unload();
    EXPECT_EQ(Saved("State"), 2);
    EXPECT_EQ(Saved("Width"), -12345);

    auto g = Open();
    EXPECT_EQ(g->WindowState(), vb::vbNormal);
    ExpectTheDesignSizeNoWiderThanTheScreen(*g);
    g->Unload();
}

TEST_F(PositionTest, MinimisedWritesNothing)
{
    auto f = Open();
    f->Move(900, 900, 13500, 9000);
    f->Unload();
    auto g = Open();
    g->Move(3000, 3000, 9000, 6000);
    g->SetWindowState(vb::vbMinimized);
    QCoreApplication::processEvents();
    g->Unload();
    EXPECT_EQ(Saved("Left"), 900);
    EXPECT_EQ(Saved("Width"), 13500);
    EXPECT_EQ(Saved("State"), 0);
}

void SaveBounds(int32_t left, int32_t top, int32_t width, int32_t height, int32_t state = 0)
{
    SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("Left"), left);
    SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("Top"), top);
    SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("Width"), width);
    SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("Height"), height);
    SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("State"), state);
}

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST_F(PositionTest, BoundsPartlyOnTheScreenAreRestoredAsTheyAre)
{
    const int32_t places[][2] = {{-9000, 1500}, {6000, 6000}, {750, 8505}};
    for (const auto& [left, top] : places) {
        SaveBounds(left, top, 11250, 7500, 7); // a state other than 2 is normal
        auto f = Open();
        EXPECT_NEAR(f->Left(), left, 4 * vb::TwipsPerPixelX()) << left; // shifted by its frame at most
        EXPECT_EQ(f->Top(), top) << left;
        EXPECT_EQ(f->Width(), 11250) << left;
        EXPECT_EQ(f->Height(), 7500) << left;
        EXPECT_EQ(f->WindowState(), vb::vbNormal);
        f->Unload();
    }
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(PositionTest, AbsurdOrTinySavedSizesStartAtTheDesignSizeAndAreNotSavedBack)
{
    const int32_t sizes[][2] = {{kMax, kMax}, {kMax, 7500}, {11250, kMax}, {1, 1}, {11250, 0}, {11250, -5}, {100, 7500}};
    for (const auto& [width, height] : sizes) {
        SaveBounds(750, 600, width, height);
        auto f = Open();
        // The place stands as far as the window stays inside the screen's available area.
        ExpectTheDesignSizeNoWiderThanTheScreen(*f, std::to_string(width) + "x" + std::to_string(height));
        EXPECT_EQ(f->Top(), 600);
        f->Unload();
        EXPECT_EQ(Saved("Width"), f->Width());
        EXPECT_EQ(Saved("Height"), f->Height());
    }
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(PositionTest, BoundsOnNoScreenAreCentredKeepingASoundSize)
{
    const int32_t places[][2] = {{20000, 600},  {600, 20000}, {-20000, 600}, {99999999, 99999999},
                                 {-99999999, -99999999}, {kMin, kMin}, {kMax, kMax}};
    for (const auto& [left, top] : places) {
        SaveBounds(left, top, 11250, 7500);
        auto f = Open();
        EXPECT_EQ(f->Width(), 11250) << left << "," << top;
        EXPECT_EQ(f->Height(), 7500) << left << "," << top;
        EXPECT_NEAR(f->Left(), (vb::ScreenWidthTwips() - 11250) / 2, vb::TwipsPerPixelX()) << left << "," << top;
        EXPECT_NEAR(f->Top(), (vb::ScreenHeightTwips() - 7500) / 2, vb::TwipsPerPixelY()) << left << "," << top;
        f->Unload();
        EXPECT_EQ(Saved("Left"), f->Left());
        EXPECT_EQ(Saved("Top"), f->Top());
    }
    // An absurd size as well: the design size, centred.
    SaveBounds(kMin, kMax, kMax, 1);
    auto g = Open();
    ExpectTheDesignSizeNoWiderThanTheScreen(*g);
    EXPECT_NEAR(g->Top(), std::nearbyint((vb::ScreenHeightTwips() - double(g->Height())) / 2), vb::TwipsPerPixelY());
    g->Unload();
    // Saved maximised: still maximised.
    SaveBounds(99999999, 600, 11250, 7500, 2);
    auto h = Open();
    EXPECT_EQ(h->WindowState(), vb::vbMaximized);
    h->SetWindowState(vb::vbNormal);
    QCoreApplication::processEvents();
    EXPECT_EQ(h->Width(), 11250);
    EXPECT_LT(h->Left(), vb::ScreenWidthTwips());
    h->Unload();
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(PositionTest, AWidthOfZeroOrLessMeansNoSavedPosition)
{
    for (int32_t width : {0, -1, std::numeric_limits<int32_t>::min()}) {
        SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("Left"), 1500);
        SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("Top"), 1200);
        SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("Width"), width);
        SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("Height"), 9000);
        SaveRegDWord(HKEY_CURRENT_USER, kKey, QStringLiteral("State"), 2);
        auto f = Open();
        int32_t l, t, w, h, s;
        EXPECT_FALSE(f->FormPos_Read(l, t, w, h, s)) << width;
        EXPECT_EQ(w, width);
        // Centred at the design size and not maximised.
        EXPECT_EQ(f->WindowState(), vb::vbNormal) << width;
        ExpectTheDesignSizeNoWiderThanTheScreen(*f, std::to_string(width));
        EXPECT_NEAR(f->Top(), std::nearbyint((vb::ScreenHeightTwips() - double(f->Height())) / 2), vb::TwipsPerPixelY())
            << width;
        f->Unload();
    }
    EXPECT_TRUE(reports.calls.empty());
}

class OtherWindow : public vb::Form {
public:
    int unloads = 0;

protected:
    void Form_Unload(int&) override { ++unloads; }
};

TEST_F(PositionTest, ClosingTheMainWindowClosesTheOthersAndEndsTheProgram)
{
    auto f = Open();
    OtherWindow a, b;
    a.Load();
    b.Load();
    ASSERT_EQ(vb::Forms().size(), 3u);
    // The close box, while the program runs its event loop: the loop ends when no window is left.
    EXPECT_EQ(testing_support::RunUntilTheProgramEnds([&f] { f->close(); }), 0);
    EXPECT_FALSE(f->IsLoaded());
    EXPECT_FALSE(a.IsLoaded());
    EXPECT_FALSE(b.IsLoaded());
    EXPECT_EQ(a.unloads, 1);
    EXPECT_EQ(b.unloads, 1);
    EXPECT_TRUE(vb::Forms().empty());
    EXPECT_EQ(Saved("Width"), f->Width());
}

// A window whose unload also closes and frees another, earlier window.
class OwnerWindow : public vb::Form {
public:
    vb::Form* owned = nullptr;

protected:
    void Form_Unload(int&) override
    {
        delete owned;
        owned = nullptr;
    }
};

TEST_F(PositionTest, AWindowFreedByAnotherWindowsUnloadIsNotTouchedAgain)
{
    auto f = Open();
    auto* a = new OtherWindow;
    a->Load();
    OwnerWindow b;
    b.owned = a;
    b.Load();
    ASSERT_EQ(vb::Forms().size(), 3u);
    f->Unload();
    EXPECT_FALSE(f->IsLoaded());
    EXPECT_FALSE(b.IsLoaded());
    EXPECT_EQ(b.owned, nullptr);
    EXPECT_TRUE(vb::Forms().empty());
}

// Two copies closing at once: the stored bounds are at every moment one window's whole record.
TEST_F(PositionTest, TwoCopiesSavingAtOnceNeverMixTheirBounds)
{
    constexpr int Saves = 400;
    const QString saver = QCoreApplication::applicationDirPath() + QStringLiteral("/window_saver");
    QProcess a, b;
    a.start(saver, {QStringLiteral("1"), QString::number(Saves)});
    b.start(saver, {QStringLiteral("2"), QString::number(Saves)});
    ASSERT_TRUE(a.waitForStarted() && b.waitForStarted());
    // Whose save a record is, or 0 when its values come from two saves.
    auto owner = [](int32_t left, int32_t top, int32_t width, int32_t height) {
        const int writer = left / 15 / 1000;
        const bool whole = left == top && width == (700 + writer) * 15 && height == (500 + writer) * 15;
        return whole ? writer : 0;
    };
    int records = 0;
    int mixed = 0;
    while (a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) {
        std::vector<int32_t> v;
        RegistryTransaction([&v] {
            for (const char* name : {"Left", "Top", "Width", "Height"})
                v.push_back(Saved(name));
            return ERROR_SUCCESS;
        });
        if (v.size() == 4 && v[0] != -12345) {
            ++records;
            mixed += owner(v[0], v[1], v[2], v[3]) == 0 ? 1 : 0;
        }
        a.waitForFinished(1);
        b.waitForFinished(1);
    }
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    EXPECT_GT(records, 0);
    EXPECT_EQ(mixed, 0) << "of " << records;
    EXPECT_NE(owner(Saved("Left"), Saved("Top"), Saved("Width"), Saved("Height")), 0);
}

// The window's place outlives the program when its store lies deeper than SQLite names files by
// itself (a plain folder chain, which nothing waits on): the window closes at its place, the store
// is opened afresh from its file, and the next window comes up there.
TEST_F(PositionTest, ThePlaceIsKeptInAStoreDeepInTheFolders)
{
    QTemporaryDir top;
    const QByteArray folder = testing_support::MakeDeepFolder(QFile::encodeName(top.path()), 1000, "registry.db");
    ASSERT_FALSE(folder.isEmpty());
    const QByteArray savedStore = qgetenv("QUORVANE_REGISTRY");
    RegistryCloseStore();
    qputenv("QUORVANE_REGISTRY", folder + "/registry.db");
    auto f = Open();
    f->Move(750, 600, 11250, 7500);
    QCoreApplication::processEvents();
    f->Unload();
    RegistryCloseStore();

    auto g = Open();
    EXPECT_EQ(g->Left(), 750);
    EXPECT_EQ(g->Top(), 600);
    EXPECT_EQ(g->Width(), 11250);
    EXPECT_EQ(g->Height(), 7500);
    g->Unload();
    RegistryCloseStore();
    qputenv("QUORVANE_REGISTRY", savedStore);
    EXPECT_TRUE(QFile::exists(QFile::decodeName(folder + "/registry.db")));
    EXPECT_TRUE(reports.calls.empty());
}

// What only a framing window manager shows: these run on a private display under one (see
// tests/wm/under-window-manager) and are skipped on the headless platform.
class PositionUnderAWindowManager : public PositionTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            GTEST_SKIP() << "no window manager on the headless platform";
        PositionTest::SetUp();
    }
    // Shown and framed; skips the test when the display frames nothing.
    std::unique_ptr<frmMain> OpenFramed()
    {
        auto f = Open();
        framed = QTest::qWaitFor([&] { return f->Height() > f->ScaleHeight(); }, testing_support::kWindowManagerWaitMs);
        return f;
    }
    bool framed = false;
};

std::string Bounds(const frmMain& f)
{
    return std::to_string(f.Left()) + "," + std::to_string(f.Top()) + " " + std::to_string(f.Width()) + "x" +
           std::to_string(f.Height());
}

TEST_F(PositionUnderAWindowManager, TheFirstStartIsCentredByItsFramedSize)
{
    auto f = OpenFramed();
    if (!framed)
        GTEST_SKIP() << "the display has no window manager";
    const auto centred = [&] {
        return std::abs(f->Top() - (vb::ScreenHeightTwips() - f->Height()) / 2) <= vb::TwipsPerPixelY() &&
               std::abs(f->Left() - (vb::ScreenWidthTwips() - f->Width()) / 2) <= vb::TwipsPerPixelX();
    };
    EXPECT_TRUE(QTest::qWaitFor(centred, testing_support::kWindowManagerWaitMs)) << Bounds(*f);
    EXPECT_EQ(f->ScaleWidth(), 17280);
    EXPECT_EQ(f->ScaleHeight(), 10995);
    f->Unload();

    // Restored bounds are never centred, not even once the frame is known.
    SaveBounds(750, 600, 11250, 7500);
    auto g = OpenFramed();
    QTest::qWait(1000);
    EXPECT_EQ(g->Left(), 750) << Bounds(*g);
    EXPECT_EQ(g->Top(), 600) << Bounds(*g);
    EXPECT_EQ(g->Width(), 11250) << Bounds(*g);
    EXPECT_EQ(g->Height(), 7500) << Bounds(*g);
    g->Unload();
    EXPECT_TRUE(reports.calls.empty());
}

// Whether the window's frame and every button that shows lie inside the screen's available area.
bool InsideTheAvailableArea(const frmMain& f)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    if (!area.contains(f.frameGeometry()))
        return false;
    for (const QPushButton* b : f.findChildren<QPushButton*>()) {
        const QRect bounds(b->mapToGlobal(QPoint(0, 0)), b->size());
        if (b->isVisible() && !area.contains(bounds))
            return false;
    }
    return true;
}

TEST_F(PositionUnderAWindowManager, OnASmallScreenTheWindowStartsInsideIt)
{
    const QRect area = vb::AvailableAreaTwips();
    if (area.width() >= 17280 && area.height() >= 10995)
        GTEST_SKIP() << "the screen holds the design size";
    // Nothing saved; a saved size the screen cannot hold; bounds on no screen.
    const std::vector<std::array<int32_t, 4>> saved = {{0, 0, 0, 0}, {750, 600, kMax, kMax}, {20000, 600, 11250, 7500}};
    for (const auto& [left, top, width, height] : saved) {
        SaveBounds(left, top, width, height);
        auto f = OpenFramed();
        if (!framed)
            GTEST_SKIP() << "the display has no window manager";
        EXPECT_TRUE(QTest::qWaitFor([&] { return InsideTheAvailableArea(*f); }, testing_support::kWindowManagerWaitMs)) << left << ": " << Bounds(*f);
        EXPECT_NEAR(f->Width(), area.width(), vb::TwipsPerPixelX()) << left;
        EXPECT_NEAR(f->Height(), area.height(), vb::TwipsPerPixelY()) << left;
        EXPECT_EQ(f->WindowState(), vb::vbNormal);
        f->Unload();
    }
    EXPECT_TRUE(reports.calls.empty());
}

} // namespace
