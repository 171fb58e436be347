// The introduction window and its start-up option: the option as read decides the buttons and
// what OK writes; OK acts only after the first activation and once at a time; the link opens the
// web site with the source tag and leaves the window open.
#include "FakeUrlLauncher.h"
#include "TestSupport.h"
#include "platform/Registry.h"
#include "platform/Screen.h"
#include "session/frmWhatIsIt.h"
#include "session/modOptions.h"
#include "support/modErrorReport.h"
#include "support/modRegistry.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

const QString kValue = QStringLiteral("ShowWhatIsIt");

// nullopt removes the value.
void SetOption(std::optional<int32_t> value)
{
    if (value) {
        ASSERT_EQ(SaveRegDWord(HKEY_CURRENT_USER, OptionsKey(), kValue, *value), "Success");
        return;
    }
    HKEY key = 0;
    if (RegOpenKeyA(HKEY_CURRENT_USER, OptionsKey().toUtf8(), &key) == 0) {
        RegDeleteValueA(key, kValue.toUtf8());
        RegCloseKey(key);
    }
}

std::optional<int32_t> StoredOption()
{
    const int32_t v = GetRegDWord(HKEY_CURRENT_USER, OptionsKey(), kValue, 12345);
    return v == 12345 ? std::nullopt : std::optional<int32_t>(v);
}

class WhatIsItTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (WhatIsItWindow)
            WhatIsItWindow->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetOption(std::nullopt);
    }
    // A fresh window, loaded and shown, first activation not yet come.
    frmWhatIsIt* Open()
    {
        frmWhatIsIt* w = WhatIsItWindow.Get();
        w->Show();
        return w;
    }
    static void Activate(frmWhatIsIt* w)
    {
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        ASSERT_EQ(w->Activated, -1);
    }
};

struct OptionCase {
    const char* name;
    std::optional<int32_t> stored;
    bool on;
};

class OptionTable : public WhatIsItTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(OptionTable, ButtonsFollowTheOptionAndOKTurnsItOver)
{
    const OptionCase& c = GetParam();
    SetOption(c.stored);
    EXPECT_EQ(ShowWhatIsItWindow(), c.on);

    frmWhatIsIt* w = Open();
    EXPECT_EQ(w->ShowSetting, c.on ? -1 : 0);
    if (c.on) {
        EXPECT_EQ(w->cmdOK->Caption(), "&Don't Show This Again");
        EXPECT_EQ(w->cmdOK->ToolTipText(), "Don't show this window again on startup of the program");
        EXPECT_EQ(w->cmdCancel->Caption(), "&Continue");
        EXPECT_EQ(w->cmdCancel->ToolTipText(), "Close this window and proceed to the main window (Esc)");
    } else {
        EXPECT_EQ(w->cmdOK->Caption(), "Show On Startup");
        EXPECT_EQ(w->cmdOK->ToolTipText(), "Show this window every time the program starts");
        EXPECT_EQ(w->cmdCancel->Caption(), "&Close");
        EXPECT_EQ(w->cmdCancel->ToolTipText(), "Close this window");
    }

    // Cancel writes nothing.
    Activate(w);
    w->cmdCancel->click();
    EXPECT_FALSE(WhatIsItWindow);
    EXPECT_EQ(StoredOption(), c.stored);

    // OK writes the option turned over and closes; the next opening reads it afresh.
    w = Open();
    Activate(w);
    w->cmdOK->click();
    EXPECT_FALSE(WhatIsItWindow);
    EXPECT_EQ(StoredOption(), c.on ? 0 : 1);
    EXPECT_EQ(ShowWhatIsItWindow(), !c.on);
    w = Open();
    EXPECT_EQ(w->ShowSetting, c.on ? 0 : -1);
}

INSTANTIATE_TEST_SUITE_P(WhatIsIt, OptionTable,
                         ::testing::Values(OptionCase{"Missing", std::nullopt, false}, OptionCase{"Zero", 0, false},
                                           OptionCase{"One", 1, true}, OptionCase{"Two", 2, false},
                                           OptionCase{"MinusOne", -1, false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(WhatIsItTest, CaptionTextAndLink)
{
    frmWhatIsIt* w = Open();
    EXPECT_EQ(w->Caption(), "How Quorvane works");
    EXPECT_EQ(w->ScaleWidth(), 9180);
    EXPECT_EQ(w->ScaleHeight(), 6780);
    const QString CRLF = QStringLiteral("\r\n");
    const QStringList paragraphs = w->fedText->Text().split(CRLF + CRLF);
    ASSERT_EQ(paragraphs.size(), 6);
    EXPECT_EQ(paragraphs[0], "Quorvane helps in dealing with negative emotions by using EFT.");
    EXPECT_TRUE(paragraphs[5].startsWith("You almost always will notice that your level of disstress goes down"));
    EXPECT_TRUE(paragraphs[5].endsWith("don't be discuraged by this - eventually it should go all the way down to 1 "
                                       "or even to 0."));
    EXPECT_FALSE(w->fedText->Text().contains(CRLF + CRLF + CRLF));

    EXPECT_EQ(w->lblLearnMore->Tag, "www.quorvane.example");
    // Normal colour first, then the address and its full stop blue and underlined.
    EXPECT_EQ(w->lblLearnMore->Caption(),
              "To learn more about EFT please visit "
              "<span style=\"color:#0000ff;text-decoration:underline;\">www.quorvane.example.</span>");
}

TEST_F(WhatIsItTest, EnterActsOnlyAfterTheFirstActivationThenDoesWhatOKDoes)
{
    SetOption(1);
    frmWhatIsIt* w = Open();
    QTest::keyClick(w, Qt::Key_Return); // arrives while the window is being shown
    EXPECT_TRUE(WhatIsItWindow);
    EXPECT_EQ(StoredOption(), 1);

    vb::SetScreenMousePointer(vb::vbHourglass);
    Activate(w);
    EXPECT_EQ(vb::ScreenMousePointer(), vb::vbDefault);
    w->fedText->Editor()->setFocus();
    QTest::keyClick(w->fedText->Editor(), Qt::Key_Return);
    EXPECT_FALSE(WhatIsItWindow);
    EXPECT_EQ(StoredOption(), 0);
}

TEST_F(WhatIsItTest, EscAndTheCloseBoxCloseWithoutWriting)
{
    SetOption(1);
    frmWhatIsIt* w = Open();
    Activate(w);
    w->cmdOK->setFocus();
    QTest::keyClick(w->cmdOK, Qt::Key_Escape);
    EXPECT_FALSE(WhatIsItWindow);
    w = Open();
    w->close();
    EXPECT_FALSE(WhatIsItWindow);
    EXPECT_EQ(StoredOption(), 1);
}

// A store that cannot be written: OK must not look as if it had saved the option. The failure is
// reported once, a second OK delivered meanwhile does nothing, and the window stays open.
TEST_F(WhatIsItTest, AFailedWriteIsReportedOnceAndKeepsTheWindowOpen)
{
    frmWhatIsIt* w = Open();
    Activate(w);

    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray store = qgetenv("QUORVANE_REGISTRY");
    RegistryCloseStore();
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("file/registry.db"))));

    ErrorReportRecorder reports;
    int secondClicks = 0;
    SetErrorReportHook([&](const ErrorReportCall& call) {
        reports.calls.push_back(call);
        EXPECT_EQ(w->Busy, -1);
        ++secondClicks;
        w->cmdOK->click();
        QTest::keyClick(w, Qt::Key_Return);
    });
    w->cmdOK->click();

    RegistryCloseStore();
    qputenv("QUORVANE_REGISTRY", store);
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(secondClicks, 1);
    EXPECT_EQ(reports.calls[0].ModuleName, "frmWhatIsIt");
    EXPECT_EQ(reports.calls[0].ProcName, "cmdOK_Click");
    EXPECT_EQ(reports.calls[0].ExtraDesc, "Line: 0");
    EXPECT_TRUE(WhatIsItWindow);
    EXPECT_EQ(w->Busy, 0);
}

TEST_F(WhatIsItTest, TheLinkOpensTheWebSiteWithTheSourceTagAndTheWindowStays)
{
    testing_support::FakeUrlLauncher launcher;
    SetOption(1);
    frmWhatIsIt* w = Open();
    Activate(w);
    w->lblLearnMore->Tag = QStringLiteral("  ") + w->lblLearnMore->Tag + QStringLiteral(" ");
    QTest::mouseClick(w->lblLearnMore, Qt::LeftButton);
    const QString opened = launcher.Opened().join(QLatin1Char('\n')) + QLatin1Char('\n');
    // The launcher may give the scheme-less address its web scheme; the blanks are gone either way.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^(http://)?www\\.quorvane\\.example\\?src=qv\n$"))
                    .match(opened)
                    .hasMatch())
        << opened.toStdString();
    EXPECT_TRUE(WhatIsItWindow);
    EXPECT_EQ(StoredOption(), 1);
}

TEST_F(WhatIsItTest, OpensCentredOverTheActiveWindow)
{
    vb::Form big;
    big.Move(600, 900, 12000, 9000);
    big.Show();
    QApplication::setActiveWindow(&big);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&big));
    frmWhatIsIt* w = WhatIsItWindow.Get();
    w->Load();
    EXPECT_NEAR(w->Left() + w->Width() / 2, big.Left() + big.Width() / 2, vb::TwipsPerPixelX());
    EXPECT_NEAR(w->Top() + w->Height() / 2, big.Top() + big.Height() / 2, vb::TwipsPerPixelY());
    big.Unload();
}

TEST_F(WhatIsItTest, ShotsInBothOptionStates)
{
    for (int option : {1, 0}) {
        SetOption(option);
        frmWhatIsIt* w = Open();
        testing_support::SaveShot(w, option ? "frmWhatIsIt_option_on" : "frmWhatIsIt_option_off");
        w->Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
