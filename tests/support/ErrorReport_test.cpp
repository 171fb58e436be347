#include "support/frmErrorReport.h"
#include "support/modErrorReport.h"

#include "FakeUrlLauncher.h"
#include "ModalWindow.h"
#include "TestSupport.h"
#include "platform/AppInfo.h"
#include "platform/Shell.h"
#include "platform/Screen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <gtest/gtest.h>

#include <memory>

using testing_support::WhenModal;

namespace {

const QString CRLF = QStringLiteral("\r\n");

// A fake launcher records every address it is asked to open, so no browser is ever started.
class ErrorReportTest : public ::testing::Test {
protected:
    testing_support::FakeUrlLauncher launcher;

    void SetUp() override { vb::SetScreenMousePointer(vb::vbDefault); }

    // Shows a report through the window's own ShowUp and runs `act` on it once it is up.
    void report(std::function<void(frmErrorReport*)> act, int32_t num = 5,
                const QString& desc = QStringLiteral("Invalid procedure call or argument"),
                const QString& extra = {}, const QString& ver = QStringLiteral("2.0"), int32_t build = 201)
    {
        bool ran = false;
        testing_support::WhenModalWindow<frmErrorReport>(ran, std::move(act), [](frmErrorReport* f) {
            f->cmdCancel->click(); // whatever the test left open
        });
        frmErrorReport form;
        form.ShowUp(num, desc, ver, build, QStringLiteral("modSteps"), QStringLiteral("GetStepName"), extra);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(form.IsLoaded());
    }
};

// The query's values by key, decoded as a web form decodes them.
std::vector<std::pair<QString, QString>> decodeQuery(const QString& url)
{
    std::vector<std::pair<QString, QString>> out;
    const QString query = url.mid(url.indexOf(QLatin1Char('?')) + 1);
    for (const QString& pair : query.split(QLatin1Char('&'))) {
        const int eq = pair.indexOf(QLatin1Char('='));
        QByteArray v = pair.mid(eq + 1).toLatin1();
        v.replace('+', ' ');
        out.emplace_back(pair.left(eq), QUrl::fromPercentEncoding(v));
    }
    return out;
}

// Closes each report window as it comes up, up to `count` of them, and keeps the first line of
// each one's details; `act` runs on each before it is closed.
// A waiting closer that outlives the test does nothing.
struct ReportWindows {
    std::vector<QString> shown;
    std::function<void(frmErrorReport*)> act = [](frmErrorReport*) {};
    std::shared_ptr<ReportWindows*> self = std::make_shared<ReportWindows*>(this);

    void closeUpTo(size_t count) { WhenModal(closer(std::weak_ptr<ReportWindows*>(self), count)); }

private:
    static std::function<void(QWidget*)> closer(std::weak_ptr<ReportWindows*> weak, size_t count)
    {
        return [weak, count](QWidget* w) {
            const auto alive = weak.lock();
            auto* f = qobject_cast<frmErrorReport*>(w);
            if (!alive || !f)
                return;
            ReportWindows& me = **alive;
            me.shown.push_back(f->txtErrDesc->Text().section(CRLF, 0, 0));
            me.act(f);
            if (me.shown.size() < count)
                WhenModal(closer(weak, count));
            if (f->IsLoaded())
                f->cmdCancel->click();
        };
    }
};

int visibleReportWindows()
{
    int n = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (qobject_cast<frmErrorReport*>(top) && top->isVisible())
            ++n;
    return n;
}

// The text without the blanks at either end (and only blanks).
QString blanksTrimmed(QString s)
{
    while (s.startsWith(QLatin1Char(' ')))
        s.remove(0, 1);
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

} // namespace

// Centred on the screen with its frame: a window manager adds the frame only after the first show,
// and the report is centred again on its outer size then. scripts/test also runs this under Xvfb
// and openbox.
TEST_F(ErrorReportTest, TheReportIsCentredOnTheScreenWithItsFrame)
{
    report([](frmErrorReport* f) {
        const auto centred = [f] {
            return std::abs(f->Top() - (vb::ScreenHeightTwips() - f->Height()) / 2) <= vb::TwipsPerPixelY() &&
                   std::abs(f->Left() - (vb::ScreenWidthTwips() - f->Width()) / 2) <= vb::TwipsPerPixelX();
        };
        // Under a window manager, wait for the frame before judging.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            (void)QTest::qWaitFor([f] { return f->Height() > f->ScaleHeight(); }, testing_support::kWindowManagerWaitMs);
        EXPECT_TRUE(QTest::qWaitFor(centred, testing_support::kWindowManagerWaitMs))
            << "outer " << f->Left() << "," << f->Top() << " " << f->Width() << "x" << f->Height();
    });
}

TEST_F(ErrorReportTest, WindowTextsLayoutAndFocusOrder)
{
    report([](frmErrorReport* f) {
        EXPECT_EQ(f->Caption(), QStringLiteral("Uh Oh... an error occurred in Quorvane"));
        EXPECT_EQ(f->lblTitle->Caption(), QStringLiteral("Quorvane Problem "));
        EXPECT_EQ(f->lblIntro->Caption(),
                  QStringLiteral("Regrettably, a problem has occurred in Quorvane.") + CRLF + CRLF +
                      QStringLiteral("Quorvane may continue to function after this, but if you have further problems "
                                     "you should restart the program.") +
                      CRLF + CRLF +
                      QStringLiteral("We'd like to fix this problem quickly, but we need your help.  Can Quorvane "
                                     "submit a bug report on your behalf to Tenmoor Software?  And, can you please "
                                     "take just a moment to jot down what steps we should take to reproduce the "
                                     "problem?") +
                      CRLF + CRLF +
                      QStringLiteral("Your report is confidential, and only the information you see below is "
                                     "included in the report."));
        EXPECT_EQ(f->lblComments->Caption(), QStringLiteral("Error Report Contents:"));
        EXPECT_EQ(f->lblName->Caption(), QStringLiteral("How you got this error, and how we can reproduce it:"));
        EXPECT_EQ(f->lblEmail->Caption(),
                  QStringLiteral("Your email address, so we can contact you about this problem:"));
        EXPECT_EQ(f->Label1->Caption(), QStringLiteral("(Highly recommended.)"));
        EXPECT_EQ(f->cmdSend->Caption(), QStringLiteral("&Send Error Report"));
        EXPECT_EQ(f->cmdCancel->Caption(), QStringLiteral("&Do Not Send"));
        EXPECT_TRUE(f->cmdSend->Default());
        EXPECT_TRUE(f->cmdCancel->Cancel());
        EXPECT_TRUE(f->txtComments->Text().isEmpty());
        EXPECT_TRUE(f->txtEmail->Text().isEmpty());

        EXPECT_EQ(f->ScaleWidth(), vb::PixelsToTwipsX(vb::TwipsToPixelsX(7755)));
        EXPECT_EQ(f->ScaleHeight(), vb::PixelsToTwipsY(vb::TwipsToPixelsY(8535)));
        EXPECT_EQ(f->txtEmail->Left(), 120);
        EXPECT_EQ(f->txtEmail->Top(), 7050);
        EXPECT_EQ(f->cmdSend->Left(), 4080);
        EXPECT_EQ(f->cmdSend->parentWidget(), f->picBottom);
        EXPECT_EQ(f->Image1->Left(), -90);
        EXPECT_FALSE(f->Image1->Picture().isNull());

        // Focus order: Do Not Send, Send, the report contents, the comments, the e-mail address.
        EXPECT_EQ(QApplication::focusWidget(), f->cmdCancel);
        const std::vector<QWidget*> order = {f->cmdSend, f->txtErrDesc->Editor(), f->txtComments->Editor(),
                                             f->txtEmail->Editor(), f->cmdCancel};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next);
        }
    });
}

TEST_F(ErrorReportTest, DetailText)
{
    struct Case {
        int32_t num;
        QString extra;
        QString expected;
    };
    const QString desc = QStringLiteral("Invalid procedure call or argument");
    const Case cases[] = {
        {5, QString(), QStringLiteral("2.0 201 Error 5 (modSteps:GetStepName)") + CRLF + CRLF + desc},
        {5, QStringLiteral("Line: 20"),
         QStringLiteral("2.0 201 Error 5 (modSteps:GetStepName)") + CRLF + CRLF + desc + CRLF + CRLF +
             QStringLiteral("Line: 20")},
        {-2147221504, QString(),
         QStringLiteral("2.0 201 Error -2147221504 (modSteps:GetStepName)") + CRLF + CRLF + desc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        report([&](frmErrorReport* f) { EXPECT_EQ(f->txtErrDesc->Text(), c.expected); }, c.num, desc, c.extra);
    }
}

TEST_F(ErrorReportTest, ShowErrorReportAddsTheProgramVersionAndBuild)
{
    QString details;
    QPointer<QWidget> first;
    WhenModal([&](QWidget* w) {
        first = w;
        details = qobject_cast<frmErrorReport*>(w)->txtErrDesc->Text();
        qobject_cast<frmErrorReport*>(w)->cmdCancel->click();
    });
    ShowErrorReport(5, QStringLiteral("Invalid procedure call or argument"), QStringLiteral("modSteps"),
                    QStringLiteral("GetStepName"), QString());
    EXPECT_TRUE(details.startsWith(QStringLiteral("%1.%2 %3 Error 5 (modSteps:GetStepName)")
                                       .arg(app::Major())
                                       .arg(app::Minor())
                                       .arg(app::Revision())));
    EXPECT_TRUE(details.startsWith(QStringLiteral("2.0 201 ")));
    EXPECT_TRUE(first.isNull()) << "the report window is released when it closes";

    // The next report gets a window of its own, empty again.
    QString comments = QStringLiteral("unset");
    WhenModal([&](QWidget* w) {
        comments = qobject_cast<frmErrorReport*>(w)->txtComments->Text();
        qobject_cast<frmErrorReport*>(w)->cmdCancel->click();
    });
    ShowErrorReport(6, QStringLiteral("Overflow"), QStringLiteral("frmMain"), QStringLiteral("tmrSteps_Timer"),
                    QString());
    EXPECT_EQ(comments, QString());
}

TEST_F(ErrorReportTest, SendOpensTheReportAddress)
{
    report([](frmErrorReport* f) { f->cmdSend->click(); });
    EXPECT_EQ(launcher.Opened(), QStringList{QStringLiteral(
                            "http://www.tenmoor.example/errorqv.php?ErrNum=5&ErrDesc=Invalid+procedure+call+or+argument"
                            "&ProgVer=2.0&BuildNum=201&ModuleName=modSteps&ProcName=GetStepName&Comments=&Email="
                            "&ExtraDesc=")});
}

TEST_F(ErrorReportTest, ReportAddressEncodesEveryValue)
{
    struct Case {
        const char* what;
        int32_t num;
        QString desc, extra, comments, email;
        QString expectedTail; // what the address ends with, when the case pins it
    };
    const Case cases[] = {
        {"extra line text", 5, QStringLiteral("Overflow"), QStringLiteral("Line: 20"), {}, {},
         QStringLiteral("&Comments=&Email=&ExtraDesc=Line%3A+20")},
        {"negative number", -5, QStringLiteral("Overflow"), {}, {}, {}, {}},
        {"description with query characters", 5, QStringLiteral("a&b=c #d 100% 1+1"), {}, {}, {}, {}},
        {"comments that try to set the e-mail", 5, QStringLiteral("x"), {},
         QStringLiteral("  clicked Next&Email=evil@x.example#  "), QStringLiteral(" me@home.example "),
         QStringLiteral("&Comments=clicked+Next%26Email%3Devil%40x.example%23&Email=me%40home.example&ExtraDesc=")},
        {"blank comments and e-mail", 5, QStringLiteral("x"), {}, QStringLiteral("    "), QStringLiteral("  "),
         QStringLiteral("&Comments=&Email=&ExtraDesc=")},
        {"line breaks and accents", 5, QStringLiteral("caf\u00e9\r\nline \u2019two\u2019"), {},
         QStringLiteral("two\r\nlines"), {}, {}},
        // Only blanks are trimmed: a tab or a line break at either end stays part of the value.
        {"tab and line break at the ends", 5, QStringLiteral("x"), {}, QStringLiteral(" \tsteps\r\n "),
         QStringLiteral("\u00a0me@home.example "),
         QStringLiteral("&Comments=%09steps%0D%0A&Email=%C2%A0me%40home.example&ExtraDesc=")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(launcher.LogFile());
        report([&](frmErrorReport* f) {
            f->txtComments->SetText(c.comments);
            f->txtEmail->SetText(c.email);
            f->cmdSend->click();
        }, c.num, c.desc, c.extra);
        const QStringList urls = launcher.Opened();
        ASSERT_EQ(urls.size(), 1);
        const QString url = urls[0];
        EXPECT_TRUE(url.startsWith(QStringLiteral("http://www.tenmoor.example/errorqv.php?ErrNum=")));
        if (!c.expectedTail.isEmpty()) {
            EXPECT_TRUE(url.endsWith(c.expectedTail)) << url.toStdString();
        }
        // Only the nine keys, in order, each giving back exactly what the report held.
        const auto q = decodeQuery(url);
        const std::vector<std::pair<QString, QString>> expected = {
            {QStringLiteral("ErrNum"), QString::number(c.num)},
            {QStringLiteral("ErrDesc"), c.desc},
            {QStringLiteral("ProgVer"), QStringLiteral("2.0")},
            {QStringLiteral("BuildNum"), QStringLiteral("201")},
            {QStringLiteral("ModuleName"), QStringLiteral("modSteps")},
            {QStringLiteral("ProcName"), QStringLiteral("GetStepName")},
            {QStringLiteral("Comments"), blanksTrimmed(c.comments)},
            {QStringLiteral("Email"), blanksTrimmed(c.email)},
            {QStringLiteral("ExtraDesc"), c.extra},
        };
        EXPECT_EQ(q, expected) << url.toStdString();
        EXPECT_FALSE(url.contains(QLatin1Char('#')));
    }
    EXPECT_EQ(frmErrorReport::EncodeForURL(QStringLiteral("Az09-._~ +/\u00e9")), QStringLiteral("Az09-._~+%2B%2F%C3%A9"));
}

TEST_F(ErrorReportTest, DoNotSendEscAndTheCloseBoxSendNothing)
{
    const std::function<void(frmErrorReport*)> ways[] = {
        [](frmErrorReport* f) { f->cmdCancel->click(); },
        [](frmErrorReport* f) {
            f->txtEmail->SetFocus();
            QTest::keyClick(f->txtEmail->Editor(), Qt::Key_Escape);
        },
        [](frmErrorReport* f) { f->close(); },
        // Enter on the focused Do Not Send button is that button's click.
        [](frmErrorReport* f) {
            f->cmdCancel->SetFocus();
            QTest::keyClick(f->cmdCancel, Qt::Key_Return);
        },
    };
    for (const auto& way : ways) {
        bool closed = false;
        report([&](frmErrorReport* f) {
            way(f);
            closed = !f->IsLoaded();
        });
        EXPECT_TRUE(closed);
    }
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(launcher.LogFile())) << "nothing was sent";
}

TEST_F(ErrorReportTest, EnterSendsFromTheEditBoxes)
{
    report([](frmErrorReport* f) {
        f->txtEmail->SetFocus();
        QTest::keyClicks(f->txtEmail->Editor(), QStringLiteral("me@home.example"));
        QTest::keyClick(f->txtEmail->Editor(), Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !f->IsLoaded(); }, 5000)) << "closes once the report is handed over";
    });
    ASSERT_EQ(launcher.Opened().size(), 1);
    EXPECT_TRUE(launcher.Opened()[0].contains(QStringLiteral("&Email=me%40home.example&")));

    // In the comments box Enter starts a new line instead.
    QFile::remove(launcher.LogFile());
    report([](frmErrorReport* f) {
        f->txtComments->SetFocus();
        QTest::keyClicks(f->txtComments->Editor(), QStringLiteral("one"));
        QTest::keyClick(f->txtComments->Editor(), Qt::Key_Return);
        QTest::keyClicks(f->txtComments->Editor(), QStringLiteral("two"));
        EXPECT_TRUE(f->IsLoaded());
        EXPECT_EQ(f->txtComments->Text(), QStringLiteral("one\r\ntwo"));
    });
    QTest::qWait(200);
    EXPECT_FALSE(QFile::exists(launcher.LogFile()));
}

TEST_F(ErrorReportTest, BusyKeepsASecondSendFromRunning)
{
    report([](frmErrorReport* f) {
        EXPECT_EQ(f->Busy, 0);
        f->Busy = -1;
        f->cmdSend->click();
        EXPECT_TRUE(f->IsLoaded()) << "a Send while another runs does nothing";
        f->Busy = 0;
    });
    QTest::qWait(200);
    EXPECT_FALSE(QFile::exists(launcher.LogFile()));

    // While Send runs Busy is set; a failed launch shows its message and the window stays open.
    qputenv("QUORVANE_URL_LAUNCHER", "/no/such/launcher");
    testing_support::MsgBoxRecorder boxes;
    int16_t busyDuringSend = 0;
    frmErrorReport* current = nullptr;
    boxes.onCall = [&](const vb::MsgBoxCall&) {
        busyDuringSend = current ? current->Busy : 0;
        return int(vb::vbOK);
    };
    report([&](frmErrorReport* f) {
        current = f;
        f->cmdSend->click();
        EXPECT_TRUE(f->IsLoaded());
        EXPECT_EQ(f->Busy, 0);
    });
    EXPECT_EQ(busyDuringSend, -1);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("Error on launching URL: 31"));
    EXPECT_EQ(boxes.calls[0].Buttons, vb::vbOKOnly);
    EXPECT_EQ(boxes.calls[0].Title, QStringLiteral("Quorvane"));
}

TEST_F(ErrorReportTest, MousePointerIsRestoredHoweverTheWindowCloses)
{
    const std::function<void(frmErrorReport*)> ways[] = {
        [](frmErrorReport* f) { f->cmdSend->click(); },
        [](frmErrorReport* f) { f->cmdCancel->click(); },
        [](frmErrorReport*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); },
        [](frmErrorReport* f) { f->close(); },
    };
    for (const auto& way : ways) {
        vb::SetScreenMousePointer(vb::vbHourglass);
        int during = -1;
        report([&](frmErrorReport* f) {
            during = vb::ScreenMousePointer();
            way(f);
        });
        EXPECT_EQ(during, vb::vbDefault);
        EXPECT_EQ(vb::ScreenMousePointer(), vb::vbHourglass);
    }
    vb::SetScreenMousePointer(vb::vbDefault);
    launcher.Opened();
}

TEST_F(ErrorReportTest, AnErrorWhileReportingStartsNoFurtherReport)
{
    int windowsDuringNested = 0;
    bool nestedReturned = false;
    WhenModal([&](QWidget* w) {
        // A report raised from inside the report path (here: while the window is up) goes to stderr.
        ShowErrorReport(9, QStringLiteral("Subscript out of range"), QStringLiteral("frmErrorReport"),
                        QStringLiteral("SendReport"), QString());
        nestedReturned = true;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<frmErrorReport*>(top) && top->isVisible())
                ++windowsDuringNested;
        qobject_cast<frmErrorReport*>(w)->cmdCancel->click();
    });
    ShowErrorReport(5, QStringLiteral("Invalid procedure call or argument"), QStringLiteral("modSteps"),
                    QStringLiteral("GetStepName"), QString());
    EXPECT_TRUE(nestedReturned);
    EXPECT_EQ(windowsDuringNested, 1);
}

TEST_F(ErrorReportTest, HookCapturesReportsWithoutAWindow)
{
    ErrorReportRecorder recorder;
    ShowErrorReport(-6, QStringLiteral("Overflow"), QStringLiteral("frmMain"), QStringLiteral("tmrSteps_Timer"),
                    QStringLiteral("Line: 20"));
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].ErrNum, -6);
    EXPECT_EQ(recorder.calls[0].ModuleName, QStringLiteral("frmMain"));
    EXPECT_EQ(recorder.calls[0].ProcName, QStringLiteral("tmrSteps_Timer"));
    EXPECT_EQ(recorder.calls[0].ExtraDesc, QStringLiteral("Line: 20"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ErrorReportTest, OpenURLWithAndWithoutTheSourceTag)
{
    testing_support::MsgBoxRecorder boxes;
    OpenURL(nullptr, QStringLiteral("http://www.quorvane.example/page"), false);
    OpenURL(nullptr, QStringLiteral("http://www.quorvane.example/page?a=1"), false);
    OpenURL(nullptr, QStringLiteral("http://www.quorvane.example/page"), true);
    OpenURL(nullptr, QStringLiteral("www.quorvane.example"), false);
    const QStringList urls = launcher.Opened(4);
    ASSERT_EQ(urls.size(), 4);
    // Launches run side by side, so compare as a set.
    EXPECT_TRUE(urls.contains(QStringLiteral("http://www.quorvane.example/page?src=qv")));
    EXPECT_TRUE(urls.contains(QStringLiteral("http://www.quorvane.example/page?a=1?src=qv")));
    EXPECT_TRUE(urls.contains(QStringLiteral("http://www.quorvane.example/page")));
    EXPECT_TRUE(urls.contains(QStringLiteral("http://www.quorvane.example?src=qv")));
    EXPECT_TRUE(boxes.calls.empty());

    // No launcher: no application is associated.
    qputenv("QUORVANE_URL_LAUNCHER", "/no/such/launcher");
    OpenURL(nullptr, QStringLiteral("http://www.quorvane.example"), false);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("Error on launching URL: 31"));
    EXPECT_EQ(boxes.calls[0].Buttons, vb::vbOKOnly);
    EXPECT_EQ(boxes.calls[0].Title, QStringLiteral("Quorvane"));
}

TEST_F(ErrorReportTest, Screenshot)
{
    report([](frmErrorReport* f) {
        f->txtComments->SetText(QStringLiteral("I pressed Next twice while the timer ran."));
        f->txtEmail->SetText(QStringLiteral("me@home.example"));
        const QString path = testing_support::SaveShot(f, QStringLiteral("frmErrorReport"));
        EXPECT_TRUE(QFile::exists(path));
    }, 5, QStringLiteral("Invalid procedure call or argument"), QStringLiteral("Line: 20"));
}

TEST_F(ErrorReportTest, AFailingLauncherIsReportedWhenItEnds)
{
    // xdg-open's exit statuses: 2 not found, 3 no method available (no browser), 4 the action failed.
    const std::pair<int, int> exits[] = {{2, 2}, {3, 31}, {4, 29}};
    for (const auto& [status, result] : exits) {
        SCOPED_TRACE(status);
        launcher.Then(QStringLiteral("exit %1").arg(status));
        testing_support::MsgBoxRecorder boxes;
        OpenURL(nullptr, QStringLiteral("http://www.quorvane.example"), false);
        EXPECT_TRUE(boxes.calls.empty()) << "OpenURL does not wait for the launcher";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.calls.empty(); }, 5000));
        EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("Error on launching URL: %1").arg(result));
        EXPECT_EQ(boxes.calls[0].Buttons, vb::vbOKOnly);
        EXPECT_EQ(boxes.calls[0].Title, QStringLiteral("Quorvane"));
        QTest::qWait(100);
        EXPECT_EQ(boxes.calls.size(), 1u);
    }
}

TEST_F(ErrorReportTest, ALauncherStillRunningAfterItsHandOverCountsAsSuccess)
{
    launcher.Then(QStringLiteral("sleep 0.5; exit 3"));
    testing_support::MsgBoxRecorder boxes;
    std::vector<bool> outcomes;
    OpenURL(nullptr, QStringLiteral("http://www.quorvane.example"), false,
            [&](bool handedOver) { outcomes.push_back(handedOver); });
    launcher.Opened();
    EXPECT_TRUE(outcomes.empty());
    vb::HandOverTick(true); // the hand-over time is up while the launcher still runs
    EXPECT_EQ(outcomes, std::vector<bool>{true});
    QTest::qWait(1000); // it has ended with its failure by now: no longer ours to report
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(outcomes.size(), 1u);
}

TEST_F(ErrorReportTest, ALongReportIsCutToFitWhatBrowsersAndServersTake)
{
    struct Case {
        const char* what;
        QString comments, email;
        int cutKey; // index of the value that must be cut
    };
    const Case cases[] = {
        {"44 K ampersands", QString(44000, QLatin1Char('&')), QStringLiteral("me@home.example"), 6},
        {"20 K CJK characters", QString(20000, QChar(0x6F22)), QStringLiteral("me@home.example"), 6},
        {"a huge e-mail address", QStringLiteral("short"), QString(30000, QLatin1Char('a')), 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(launcher.LogFile());
        testing_support::MsgBoxRecorder boxes;
        report([&](frmErrorReport* f) {
            f->txtComments->SetText(c.comments);
            f->txtEmail->SetText(c.email);
            f->cmdSend->click();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !f->IsLoaded(); }, 5000)) << "the report was not handed over";
            EXPECT_TRUE(boxes.calls.empty()) << boxes.calls[0].Prompt.toStdString();
        }, 5, QStringLiteral("Overflow"), QStringLiteral("Line: 20"));
        const QStringList urls = launcher.Opened();
        ASSERT_EQ(urls.size(), 1);
        // Web servers take request lines of 8 K; the address stays below that.
        EXPECT_LE(urls[0].size(), 8000);
        const auto q = decodeQuery(urls[0]);
        ASSERT_EQ(q.size(), 9u);
        const QString typed = c.cutKey == 6 ? c.comments : c.email;
        const QString sent = q[c.cutKey].second;
        EXPECT_TRUE(sent.endsWith(QStringLiteral(" [cut]"))) << "a cut value is marked as cut";
        EXPECT_GT(sent.size(), 500) << "as much as fits is kept";
        EXPECT_TRUE(typed.startsWith(sent.chopped(6)));
        EXPECT_EQ(q[c.cutKey == 6 ? 7 : 6].second, c.cutKey == 6 ? c.email : c.comments);
        EXPECT_EQ(q[1].second, QStringLiteral("Overflow"));
        EXPECT_EQ(q[8].second, QStringLiteral("Line: 20"));
    }
}

TEST_F(ErrorReportTest, AFailedSendKeepsTheWindowAndWhatTheUserTyped)
{
    const std::pair<const char*, std::function<void()>> failures[] = {
        {"no launcher: fails at once", [] { qputenv("QUORVANE_URL_LAUNCHER", "/no/such/launcher"); }},
        {"no browser: fails when the launcher ends", [this] { launcher.Then(QStringLiteral("exit 3")); }},
    };
    const QString comments = QStringLiteral("I clicked Next twice\r\nwhile the timer ran.");
    for (const auto& [what, fail] : failures) {
        SCOPED_TRACE(what);
        fail();
        testing_support::MsgBoxRecorder boxes;
        report([&](frmErrorReport* f) {
            f->txtComments->SetText(comments);
            f->txtEmail->SetText(QStringLiteral("me@home.example"));
            f->cmdSend->click();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.calls.empty(); }, 5000));
            EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("Error on launching URL: 31"));
            EXPECT_TRUE(f->IsLoaded()) << "the window stays open";
            EXPECT_EQ(f->Busy, 0) << "and can send again";
            EXPECT_EQ(f->txtComments->Text(), comments);
            EXPECT_EQ(f->txtEmail->Text(), QStringLiteral("me@home.example"));
            testing_support::SaveShot(f, QStringLiteral("frmErrorReport_afterFailedSend"));
        });
    }
}

TEST_F(ErrorReportTest, ReportsRaisedWhileOneIsOpenAreShownAfterItInOrder)
{
    ReportWindows windows;
    windows.act = [&](frmErrorReport*) {
        if (windows.shown.size() != 1)
            return;
        // The step timer's tick and another procedure fail while the first report is open.
        ShowErrorReport(6, QStringLiteral("Overflow"), QStringLiteral("frmMain"), QStringLiteral("tmrSteps_Timer"),
                        QStringLiteral("Line: 3"));
        ShowErrorReport(9, QStringLiteral("Subscript out of range"), QStringLiteral("modSteps"),
                        QStringLiteral("GetStepName"), QString());
        EXPECT_EQ(visibleReportWindows(), 1) << "a waiting report is not shown over the open one";
    };
    windows.closeUpTo(3);
    ShowErrorReport(5, QStringLiteral("Invalid procedure call or argument"), QStringLiteral("modIssues"),
                    QStringLiteral("GetIssueName"), QString());
    ASSERT_EQ(windows.shown.size(), 3u);
    EXPECT_TRUE(windows.shown[0].endsWith(QStringLiteral("Error 5 (modIssues:GetIssueName)")));
    EXPECT_TRUE(windows.shown[1].endsWith(QStringLiteral("Error 6 (frmMain:tmrSteps_Timer)")));
    EXPECT_TRUE(windows.shown[2].endsWith(QStringLiteral("Error 9 (modSteps:GetStepName)")));
    EXPECT_EQ(visibleReportWindows(), 0);
}

TEST_F(ErrorReportTest, OnlyAnErrorInsideTheReportPathIsKeptFromReporting)
{
    qputenv("QUORVANE_URL_LAUNCHER", "/no/such/launcher"); // Send fails at once, with its message
    testing_support::MsgBoxRecorder boxes;
    boxes.onCall = [](const vb::MsgBoxCall&) {
        // Raised by the report path itself (while it shows the send's failure): never a further report.
        ShowErrorReport(91, QStringLiteral("Object variable not set"), QStringLiteral("frmMain"),
                        QStringLiteral("cmdWeb_Click"), QString());
        // While that message box waits for the user, the step timer fails: that report waits its turn.
        QEventLoop loop;
        QTimer::singleShot(0, [&loop] {
            ShowErrorReport(6, QStringLiteral("Overflow"), QStringLiteral("frmMain"),
                            QStringLiteral("tmrSteps_Timer"), QString());
            loop.quit();
        });
        loop.exec();
        return int(vb::vbOK);
    };
    ReportWindows windows;
    windows.act = [&](frmErrorReport* f) {
        if (windows.shown.size() == 1)
            f->cmdSend->click();
    };
    windows.closeUpTo(2);
    ShowErrorReport(5, QStringLiteral("Invalid procedure call or argument"), QStringLiteral("modIssues"),
                    QStringLiteral("GetIssueName"), QString());
    QTest::qWait(300);
    ASSERT_EQ(windows.shown.size(), 2u);
    EXPECT_TRUE(windows.shown[0].endsWith(QStringLiteral("Error 5 (modIssues:GetIssueName)")));
    EXPECT_TRUE(windows.shown[1].endsWith(QStringLiteral("Error 6 (frmMain:tmrSteps_Timer)")));
    EXPECT_EQ(boxes.calls.size(), 1u);
}
