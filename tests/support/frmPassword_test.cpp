// The password prompt: what ShowUp returns for OK, Cancel and the close box, Enter in the box only
// after the first activation, the move to OK once the box is full, and a fresh window each time.
#include "support/frmPassword.h"

#include "ModalWindow.h"
#include "TestSupport.h"
#include "platform/Screen.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class PasswordTest : public ::testing::Test {
protected:
    // Opens the prompt through its program-wide reference and runs `act` on it once it is up and
    // active; whatever `act` leaves open is cancelled.
    bool Prompt(const std::function<void(frmPassword*)>& act, QString& password)
    {
        bool ran = false;
        testing_support::WhenModalWindow<frmPassword>(ran, act, [](frmPassword* f) { f->cmdCancel->click(); });
        password = QStringLiteral("left from before");
        const bool ok = PasswordWindow.Get()->ShowUp(password);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(PasswordWindow);
        return ok;
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

} // namespace

TEST_F(PasswordTest, OkHandsBackTheTypedTextOtherEndsHandBackNothing)
{
    struct Case {
        const char* what;
        std::function<void(frmPassword*)> end;
        bool ok;
        const char* password;
    };
    const std::vector<Case> cases = {
        {"OK", [](frmPassword* f) { f->cmdOK->click(); }, true, "s3cret pw"},
        {"Enter in the box", [](frmPassword* f) { QTest::keyClick(f->txtPassword->Editor(), Qt::Key_Return); }, true,
         "s3cret pw"},
        {"Cancel", [](frmPassword* f) { f->cmdCancel->click(); }, false, ""},
        {"Enter on a focused Cancel", [](frmPassword* f) {
             f->cmdCancel->SetFocus();
             QTest::keyClick(f->cmdCancel, Qt::Key_Return);
         }, false, ""},
        {"close box", [](frmPassword* f) { f->close(); }, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString password;
        const bool ok = Prompt(
            [&](frmPassword* f) {
                EXPECT_EQ(f->Caption(), QStringLiteral("Password Required?"));
                EXPECT_EQ(f->lblGen->Caption(), QStringLiteral("Enter database password:"));
                EXPECT_FALSE(f->windowIcon().isNull());
                EXPECT_EQ(QApplication::focusWidget(), f->txtPassword->Editor());
                QTest::keyClicks(f->txtPassword->Editor(), QStringLiteral("s3cret pw"));
                EXPECT_EQ(qobject_cast<QLineEdit*>(f->txtPassword->Editor())->displayText(), QStringLiteral("*********"));
                c.end(f);
            },
            password);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(password, QString::fromLatin1(c.password));
    }

    QString password;
    EXPECT_TRUE(Prompt([](frmPassword* f) { f->cmdOK->click(); }, password)); // an empty password is confirmed too
    EXPECT_EQ(password, QString());
}

TEST_F(PasswordTest, EnterActsOnlyAfterTheFirstActivation)
{
    auto* f = PasswordWindow.Get();
    f->Show(); // keys may arrive while the window is still being shown
    QTest::keyClicks(f->txtPassword->Editor(), QStringLiteral("early"));
    QTest::keyClick(f->txtPassword->Editor(), Qt::Key_Return);
    EXPECT_TRUE(f->IsLoaded());
    EXPECT_EQ(f->mblnOK, 0);
    EXPECT_EQ(f->txtPassword->Text(), QStringLiteral("early")); // the Enter went nowhere

    vb::SetScreenMousePointer(vb::vbHourglass);
    QApplication::setActiveWindow(f);
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    EXPECT_EQ(f->Activated, -1);
    EXPECT_EQ(vb::ScreenMousePointer(), vb::vbDefault);
    QTest::keyClick(f->txtPassword->Editor(), Qt::Key_Return);
    EXPECT_FALSE(f->IsLoaded());
    EXPECT_EQ(f->mblnOK, -1);
    EXPECT_EQ(f->mstrPassword, QStringLiteral("early"));
    EXPECT_FALSE(PasswordWindow);
}

TEST_F(PasswordTest, EnteringTheBoxSelectsItsTextAndAFullBoxMovesOnToOk)
{
    QString password;
    Prompt(
        [](frmPassword* f) {
            f->txtPassword->SetText(QStringLiteral("typed before"));
            f->cmdCancel->SetFocus();
            f->txtPassword->SetFocus();
            EXPECT_EQ(f->txtPassword->SelStart(), 0);
            EXPECT_EQ(f->txtPassword->SelLength(), 12);
            QTest::keyClicks(f->txtPassword->Editor(), QStringLiteral("x"));
            EXPECT_EQ(f->txtPassword->Text(), QStringLiteral("x"));

            // Emptying the box keeps the focus in it; filling it moves the focus to OK.
            QTest::keyClick(f->txtPassword->Editor(), Qt::Key_Backspace);
            EXPECT_EQ(QApplication::focusWidget(), f->txtPassword->Editor());
            const QString full(frmPassword::MaxPasswordLength, QLatin1Char('k'));
            QTest::keyClicks(f->txtPassword->Editor(), full.left(full.size() - 1));
            EXPECT_EQ(QApplication::focusWidget(), f->txtPassword->Editor());
            QTest::keyClicks(f->txtPassword->Editor(), QStringLiteral("k"));
            EXPECT_EQ(QApplication::focusWidget(), f->cmdOK);
            EXPECT_EQ(f->txtPassword->Text(), full);
            QFileInfo shot(testing_support::SaveShot(f, QStringLiteral("password_prompt")));
            EXPECT_GT(shot.size(), 0);

            // A box without a limit is never full: emptying it keeps the focus there.
            f->txtPassword->SetMaxLength(0);
            f->txtPassword->SetFocus();
            f->txtPassword->SetText(QStringLiteral("k"));
            f->txtPassword->SetText(QString());
            EXPECT_EQ(QApplication::focusWidget(), f->txtPassword->Editor());
            f->txtPassword->SetText(full);
            f->cmdOK->SetFocus();
            QTest::keyClick(f->cmdOK, Qt::Key_Return);
        },
        password);
    EXPECT_EQ(password, QString(frmPassword::MaxPasswordLength, QLatin1Char('k')));
}

TEST_F(PasswordTest, EachShowUpWorksOnAFreshWindow)
{
    QString password;
    QPointer<frmPassword> first;
    Prompt(
        [&](frmPassword* f) {
            first = f;
            QTest::keyClicks(f->txtPassword->Editor(), QStringLiteral("abc"));
            f->cmdOK->click();
        },
        password);
    EXPECT_EQ(password, QStringLiteral("abc"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()); // the closed window is gone

    const bool ok = Prompt(
        [&](frmPassword* f) {
            EXPECT_EQ(f->txtPassword->Text(), QString());
            EXPECT_EQ(f->mblnOK, 0);
            EXPECT_EQ(f->Busy, 0);
            EXPECT_EQ(f->mstrPassword, QString());
            f->close();
        },
        password);
    EXPECT_FALSE(ok);
    EXPECT_EQ(password, QString());
}
