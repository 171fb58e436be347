// The text-box utilities: selecting a box's whole text, turning typed letters into one case, and the
// message box each shows when it is given something that is not an edit box.
#include "support/modTextUtils.h"
#include "support/modXtremeSuite.h"

#include "TestSupport.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/WindowStyle.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using testing_support::MsgBoxRecorder;

namespace {

class TextBoxTest : public ::testing::Test {
protected:
    std::unique_ptr<vb::Form> form = std::make_unique<vb::Form>();
    vb::FlatEdit* box = new vb::FlatEdit(form.get(), 120, 120, 3000, 315);

    void show()
    {
        form->Show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        box->SetFocus();
    }
    void TearDown() override { form->Unload(); }
};

} // namespace

TEST_F(TextBoxTest, BothSelectProceduresSelectTheWholeTextSoTypingReplacesIt)
{
    show();
    for (auto select : {&SelectTextX, &SelectText}) {
        box->SetText(QStringLiteral("old text"));
        box->SetSelStart(3);
        select(box);
        EXPECT_EQ(box->SelStart(), 0);
        EXPECT_EQ(box->SelLength(), 8);
        QTest::keyClicks(box->Editor(), QStringLiteral("new"));
        EXPECT_EQ(box->Text(), QStringLiteral("new"));

        box->SetText(QString());
        select(box);
        EXPECT_EQ(box->SelStart(), 0);
        EXPECT_EQ(box->SelLength(), 0);
    }
    // A multi-line box counts its CR LF breaks as characters of its text.
    vb::FlatEdit multi(form.get(), 120, 600, 3000, 900, true);
    multi.SetText(QStringLiteral("ab\r\ncd"));
    SelectTextX(&multi);
    EXPECT_EQ(multi.SelLength(), 6);
}

TEST_F(TextBoxTest, TypedLettersFollowTheCaseModeAndOtherModesChangeNothing)
{
    show();
    const vb::HWND h = vb::WindowHandle(box);
    struct Case {
        int32_t styleBefore;
        int16_t mode;
        int32_t styleAfter;
        const char* typed;
    };
    const Case cases[] = {
        {0, tbcUpperCase, vb::ES_UPPERCASE, "MIXED 1A"},
        {vb::ES_LOWERCASE, tbcUpperCase, vb::ES_UPPERCASE, "MIXED 1A"},
        {0, tbcLowerCase, vb::ES_LOWERCASE, "mixed 1a"},
        {vb::ES_UPPERCASE | 0x10000, tbcLowerCase, vb::ES_LOWERCASE | 0x10000, "mixed 1a"},
        {vb::ES_LOWERCASE, 2, vb::ES_LOWERCASE, "mixed 1a"},
        {0, -1, 0, "Mixed 1a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.styleBefore << " mode " << c.mode);
        vb::SetWindowLongA(h, vb::GWL_STYLE, c.styleBefore);
        box->SetText(QStringLiteral("Kept"));
        SetTextBoxCase(box, c.mode);
        EXPECT_EQ(vb::GetWindowLongA(h, vb::GWL_STYLE), c.styleAfter);
        EXPECT_EQ(box->Text(), QStringLiteral("Kept")); // text already there stays as it is
        box->SetText(QString());
        QTest::keyClicks(box->Editor(), QStringLiteral("Mixed 1a"));
        EXPECT_EQ(box->Text(), QString::fromLatin1(c.typed));
    }
}

TEST_F(TextBoxTest, AnythingButAnEditBoxShowsTheErrorTitledWithTheProcedure)
{
    vb::Label label(form.get(), 0, 0, 1000, 255, QStringLiteral("label"));
    QObject notAWindow;
    MsgBoxRecorder boxes;
    SelectTextX(&label);
    SelectText(nullptr);
    SetTextBoxCase(&notAWindow, tbcUpperCase);
    SetTextBoxCase(nullptr, tbcLowerCase);
    ASSERT_EQ(boxes.calls.size(), 4u);
    EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("Error: 438. Object doesn't support this property or method"));
    EXPECT_EQ(boxes.calls[0].Title, QStringLiteral("SelectTextX"));
    EXPECT_EQ(boxes.calls[1].Prompt, QStringLiteral("Error: 91. Object variable or With block variable not set"));
    EXPECT_EQ(boxes.calls[1].Title, QStringLiteral("SelectText"));
    EXPECT_EQ(boxes.calls[2].Prompt, QStringLiteral("Error: 438. Object doesn't support this property or method"));
    EXPECT_EQ(boxes.calls[2].Title, QStringLiteral("SetTextBoxCase"));
    EXPECT_EQ(boxes.calls[3].Title, QStringLiteral("SetTextBoxCase"));
    for (const auto& c : boxes.calls)
        EXPECT_EQ(c.Buttons, vb::vbOKOnly);

    // Any window takes the case mode into its style word; only an edit box's typing changes.
    SetTextBoxCase(&label, tbcUpperCase);
    EXPECT_EQ(vb::GetWindowLongA(vb::WindowHandle(&label), vb::GWL_STYLE), vb::ES_UPPERCASE);
    EXPECT_EQ(boxes.calls.size(), 4u);
}
