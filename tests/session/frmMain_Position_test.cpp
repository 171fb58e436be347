// The main window's place between runs, against the test's private settings store: first start,
// closed normal, maximised, minimised; and closing it closes the program's other windows.
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
#include <cmath>
#include <limits>
#include <gtest/gtest.h>
#include <memory>

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
    ErrorReportRecorder reports;
};

TEST_F(PositionTest, FirstStartIsCentredAtTheDesignSizeOnIntro)
{
    auto f = Open();
    EXPECT_EQ(f->ScaleWidth(), 17280);
    EXPECT_EQ(f->ScaleHeight(), 10995);
    // Centred with its frame. The test screen is smaller than the window; its window system keeps
    // the caption bar on screen and shifts a window that starts left of the screen by its frame,
    // so only the horizontal place is checked, to within the frame.
    const double left = std::nearbyint((vb::ScreenWidthTwips() - double(f->Width())) / 2);
    EXPECT_NEAR(f->Left(), left, 4 * vb::TwipsPerPixelX());
    EXPECT_EQ(f->WindowState(), vb::vbNormal);
    EXPECT_EQ(session::State.CurrentStep, stepIntro);
    EXPECT_EQ(Saved("Width"), -12345); // nothing is written before the window closes
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(PositionTest, NormalBoundsComeBack)
{
    // The test screen is 800 by 600 pixels (12000 by 9000 twips).
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
    EXPECT_EQ(g->ScaleWidth(), 17280);
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
        EXPECT_EQ(f->ScaleWidth(), 17280) << width << "x" << height;
        EXPECT_EQ(f->ScaleHeight(), 10995) << width << "x" << height;
        EXPECT_EQ(f->Left(), 750); // the place stands: the window is on the screen there
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
    EXPECT_EQ(g->ScaleWidth(), 17280);
    const double left = std::nearbyint((vb::ScreenWidthTwips() - double(g->Width())) / 2);
    EXPECT_NEAR(g->Left(), left, 4 * vb::TwipsPerPixelX());
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
        EXPECT_EQ(f->ScaleWidth(), 17280) << width;
        EXPECT_EQ(f->ScaleHeight(), 10995) << width;
        const double left = std::nearbyint((vb::ScreenWidthTwips() - double(f->Width())) / 2);
        EXPECT_NEAR(f->Left(), left, 4 * vb::TwipsPerPixelX()) << width;
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

} // namespace
