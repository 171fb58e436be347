#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/PictureBox.h"
#include "platform/Screen.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

using namespace vb;

namespace {

// A shown, active window to put controls on, so that keys and focus behave as on a desktop.
struct ShownForm {
    std::unique_ptr<Form> form = std::make_unique<Form>();
    ShownForm() { form->SetClientSizeTwips(6000, 4000); }
    void show()
    {
        form->Show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    ~ShownForm() { form->Unload(); }
};

} // namespace

TEST(Controls, GeometryIsKeptInTwipsAndPlacedInPixels)
{
    QWidget container;
    PushButton b(&container, 150, 225, 1665, 420, QStringLiteral("&Send"));
    EXPECT_EQ(b.Left(), 150);
    EXPECT_EQ(b.Top(), 225);
    EXPECT_EQ(b.Width(), 1665);
    EXPECT_EQ(b.Height(), 420);
    EXPECT_EQ(b.geometry(), TwipsToPixels(150, 225, 1665, 420));

    b.Move(-90, 30); // left and top only: the size stays
    EXPECT_EQ(b.Left(), -90);
    EXPECT_EQ(b.Width(), 1665);
    b.Move(10, 20, 3000, 600);
    EXPECT_EQ(b.geometry(), TwipsToPixels(10, 20, 3000, 600));
    b.SetWidth(1500);
    EXPECT_EQ(b.Width(), 1500);
    EXPECT_EQ(b.Left(), 10);

    // Visible is the control's own flag, even while its window is not on screen.
    EXPECT_TRUE(b.Visible());
    b.SetVisible(false);
    EXPECT_FALSE(b.Visible());
    b.SetEnabled(false);
    EXPECT_FALSE(b.Enabled());
    b.SetToolTipText(QStringLiteral("Visit the web site"));
    EXPECT_EQ(b.ToolTipText(), QStringLiteral("Visit the web site"));
}

TEST(Controls, AccessKeyClicksTheButton)
{
    ShownForm f;
    PushButton next(f.form.get(), 100, 100, 1200, 400, QStringLiteral("&Next"));
    PushButton prev(f.form.get(), 1400, 100, 1200, 400, QStringLiteral("&Previous"));
    QSignalSpy nextSpy(&next, &PushButton::Click), prevSpy(&prev, &PushButton::Click);
    f.show();
    QTest::keyClick(f.form.get(), Qt::Key_N, Qt::AltModifier);
    // At once, with no event loop in between: the key acts before the next key is read.
    EXPECT_EQ(nextSpy.count(), 1);
    EXPECT_EQ(prevSpy.count(), 0);
}

TEST(Controls, PictureTakesThePlaceOfTheCaption)
{
    QWidget container;
    PushButton b(&container, 0, 0, 600, 600, QStringLiteral("&Web"));
    QPixmap pm(16, 16);
    pm.fill(Qt::red);
    b.SetPicture(pm);
    EXPECT_TRUE(b.HasPicture());
    EXPECT_TRUE(b.text().isEmpty());
    EXPECT_FALSE(b.icon().isNull());
    EXPECT_EQ(b.shortcut(), QKeySequence(Qt::ALT | Qt::Key_W)) << "the access key outlives the caption";
    b.SetPicture(QPixmap());
    EXPECT_EQ(b.text(), QStringLiteral("&Web"));
    EXPECT_TRUE(b.icon().isNull());
}

TEST(Controls, DefaultAndCancelButtonsTakeEnterAndEsc)
{
    ShownForm f;
    PushButton ok(f.form.get(), 100, 2000, 1200, 400, QStringLiteral("&OK"));
    PushButton cancel(f.form.get(), 1400, 2000, 1200, 400, QStringLiteral("&Cancel"));
    FlatEdit edit(f.form.get(), 100, 100, 3000, 315);
    ok.SetDefault(true);
    cancel.SetCancel(true);
    EXPECT_EQ(f.form->DefaultButton, &ok);
    EXPECT_EQ(f.form->CancelButton, &cancel);
    EXPECT_TRUE(ok.Default());
    EXPECT_FALSE(cancel.Default());
    QSignalSpy okSpy(&ok, &PushButton::Click), cancelSpy(&cancel, &PushButton::Click);
    f.show();

    edit.SetFocus();
    QTest::keyClick(edit.Editor(), Qt::Key_Return);
    EXPECT_EQ(okSpy.count(), 1);
    QTest::keyClick(edit.Editor(), Qt::Key_Escape);
    EXPECT_EQ(cancelSpy.count(), 1);

    // A focused button takes Enter itself.
    cancel.SetFocus();
    QTest::keyClick(&cancel, Qt::Key_Return);
    EXPECT_EQ(cancelSpy.count(), 2);
    EXPECT_EQ(okSpy.count(), 1);

    ok.SetDefault(false);
    EXPECT_EQ(f.form->DefaultButton, nullptr);
}

TEST(Controls, OptionsOfOneContainerExcludeEachOtherAndClickCarriesTheIndex)
{
    QWidget frameA, frameB;
    ControlArray<RadioButton> rad;
    for (int i : {1, 2, 4})
        rad.Add(i, new RadioButton(&frameA, 0, i * 300, 2000, 300, QStringLiteral("Option %1").arg(i)));
    RadioButton other(&frameB, 0, 0, 2000, 300, QStringLiteral("Elsewhere"));
    other.SetValue(true);

    std::vector<int> clicks;
    QObject ctx;
    rad.OnClick(&ctx, [&](int index) { clicks.push_back(index); });

    rad[2]->SetValue(true);
    EXPECT_EQ(clicks, std::vector<int>{2});
    rad[4]->SetValue(true);
    EXPECT_FALSE(rad[2]->Value());
    EXPECT_TRUE(rad[4]->Value());
    EXPECT_TRUE(other.Value()) << "another container's option is left alone";
    // Setting an option that is already selected raises Click again.
    rad[4]->SetValue(true);
    EXPECT_EQ(clicks, (std::vector<int>{2, 4, 4}));

    // The user's click selects and reports the index too.
    frameA.show();
    QTest::mouseClick(rad[1], Qt::LeftButton);
    EXPECT_TRUE(rad[1]->Value());
    EXPECT_FALSE(rad[4]->Value());
    EXPECT_EQ(clicks.back(), 1);

    rad[1]->SetValue(false);
    EXPECT_FALSE(rad[1]->Value());
}

TEST(Controls, AClickAnywhereOnAnOptionChoosesIt)
{
    QWidget frame;
    ControlArray<RadioButton> rad;
    for (int i : {1, 2})
        rad.Add(i, new RadioButton(&frame, 0, i * 300, 4000, 300, QStringLiteral("Opt %1").arg(i)));
    rad[1]->SetValue(true);
    std::vector<int> clicks;
    QObject ctx;
    rad.OnClick(&ctx, [&](int index) { clicks.push_back(index); });
    frame.show();
    // Far to the right of the short caption, and at the bottom corner: still the option's own area.
    const QRect area = rad[2]->rect();
    for (const QPoint at : {QPoint(area.right() - 1, area.center().y()), area.bottomRight()}) {
        rad[1]->SetValue(true);
        clicks.clear();
        QTest::mouseClick(rad[2], Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_TRUE(rad[2]->Value());
        EXPECT_FALSE(rad[1]->Value());
        EXPECT_EQ(clicks, std::vector<int>{2});
    }
    // A release outside the control is no click.
    rad[1]->SetValue(true);
    QTest::mousePress(rad[2], Qt::LeftButton, Qt::NoModifier, QPoint(area.right() - 1, area.center().y()));
    QTest::mouseRelease(rad[2], Qt::LeftButton, Qt::NoModifier, QPoint(area.right() + 20, area.center().y()));
    EXPECT_TRUE(rad[1]->Value());
}

TEST(Controls, ControlArrayKeepsItsIndices)
{
    QWidget c;
    ControlArray<Label> a;
    a.Add(3, new Label(&c, 0, 0, 100, 100));
    a.Add(7, new Label(&c, 0, 0, 100, 100));
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(a.LBound(), 3);
    EXPECT_EQ(a.UBound(), 7);
    EXPECT_EQ(a[7]->Index(), 7);
    EXPECT_EQ(a[5], nullptr);
    EXPECT_FALSE(a.Exists(5));
}

TEST(Controls, FlatEditTextAndSelection)
{
    QWidget c;
    FlatEdit single(&c, 0, 0, 3000, 315);
    single.SetText(QStringLiteral("hello world"));
    single.SetSelStart(0);
    single.SetSelLength(int(single.Text().size()));
    EXPECT_EQ(single.SelStart(), 0);
    EXPECT_EQ(single.SelLength(), 11);
    single.SetSelStart(6);
    single.SetSelLength(99); // clipped to the text
    EXPECT_EQ(single.SelText(), QStringLiteral("world"));

    FlatEdit empty(&c, 0, 0, 3000, 315);
    empty.SetSelStart(0);
    empty.SetSelLength(0);
    EXPECT_EQ(empty.SelStart(), 0);
    EXPECT_EQ(empty.SelLength(), 0);

    // A multi-line box gives its lines back with CR LF, and selections count them so.
    FlatEdit multi(&c, 0, 0, 3000, 1000, true);
    multi.SetText(QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(multi.Text(), QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(multi.Editor())->blockCount(), 2);
    multi.SetSelStart(5);
    multi.SetSelLength(3);
    EXPECT_EQ(multi.SelText(), QStringLiteral("two"));
    multi.SetSelStart(0);
    multi.SetSelLength(int(multi.Text().size()));
    EXPECT_EQ(multi.SelLength(), 8);
}

TEST(Controls, FlatEditEventsAndKeyPressByReference)
{
    ShownForm f;
    FlatEdit edit(f.form.get(), 100, 100, 3000, 315);
    FlatEdit other(f.form.get(), 100, 600, 3000, 315);
    QSignalSpy gotFocus(&edit, &FlatEdit::GotFocus), change(&edit, &FlatEdit::Change);
    std::vector<int> seen;
    QObject::connect(&edit, &FlatEdit::KeyPress, [&](int& KeyAscii) {
        seen.push_back(KeyAscii);
        if (KeyAscii == 'x')
            KeyAscii = 0; // swallowed
        else if (KeyAscii == 'q')
            KeyAscii = 'Q'; // replaced
    });
    f.show();
    other.SetFocus();
    gotFocus.clear();
    edit.SetFocus();
    EXPECT_EQ(gotFocus.count(), 1);

    QTest::keyClicks(edit.Editor(), QStringLiteral("axqb"));
    EXPECT_EQ(edit.Text(), QStringLiteral("aQb"));
    EXPECT_EQ(seen, (std::vector<int>{'a', 'x', 'q', 'b'}));
    EXPECT_EQ(change.count(), 3);
    edit.SetText(QStringLiteral("set by code"));
    EXPECT_EQ(change.count(), 4);

    // Letters typed into an upper-case box arrive as capitals, also at the KeyPress handler.
    edit.SetText(QString());
    edit.SetWindowStyle(ES_UPPERCASE);
    QTest::keyClicks(edit.Editor(), QStringLiteral("ab1"));
    EXPECT_EQ(edit.Text(), QStringLiteral("AB1"));
}

TEST(Controls, FlatEditPasswordCharAndMaxLength)
{
    ShownForm f;
    FlatEdit pw(f.form.get(), 100, 100, 3000, 315);
    pw.SetPasswordChar('*');
    pw.SetMaxLength(4);
    f.show();
    pw.SetFocus();
    QTest::keyClicks(pw.Editor(), QStringLiteral("secret"));
    EXPECT_EQ(pw.Text(), QStringLiteral("secr"));
    auto* line = qobject_cast<QLineEdit*>(pw.Editor());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->echoMode(), QLineEdit::Password);
    EXPECT_EQ(line->displayText(), QStringLiteral("****"));
    pw.SetPasswordChar(0);
    EXPECT_EQ(line->displayText(), QStringLiteral("secr"));

    FlatEdit multi(f.form.get(), 100, 600, 3000, 900, true);
    multi.SetMaxLength(3);
    multi.SetText(QStringLiteral("abcdef"));
    EXPECT_EQ(multi.Text(), QStringLiteral("abc"));
}

TEST(Controls, LabelPlainAndMarkupCaptionsTagAndClick)
{
    ShownForm f;
    Label plain(f.form.get(), 0, 0, 3000, 600, QStringLiteral("<b>not bold</b>\r\nsecond line"));
    EXPECT_EQ(plain.textFormat(), Qt::PlainText);
    EXPECT_EQ(plain.text(), QStringLiteral("<b>not bold</b>\nsecond line"));
    EXPECT_EQ(plain.Caption(), QStringLiteral("<b>not bold</b>\r\nsecond line"));

    Label link(f.form.get(), 0, 700, 5000, 400);
    link.SetEnableMarkup(true);
    const QString run = MarkupRun(QStringLiteral("www.a<b>.example."), QColor(0, 0, 255), true);
    EXPECT_EQ(run, QStringLiteral("<span style=\"color:#0000ff;text-decoration:underline;\">www.a&lt;b&gt;.example.</span>"));
    link.SetCaption(MarkupRun(QStringLiteral("To learn more visit ")) + run);
    EXPECT_EQ(link.textFormat(), Qt::RichText);
    link.Tag = QStringLiteral("www.quorvane.example");

    QSignalSpy clicks(&link, &Label::Click);
    f.show();
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(link.Tag, QStringLiteral("www.quorvane.example"));
}

TEST(Controls, ADoubleClickIsOneClickExceptOnButtons)
{
    ShownForm f;
    Label label(f.form.get(), 0, 0, 2000, 600, QStringLiteral("label"));
    PictureBox picture(f.form.get(), 0, 700, 2000, 600);
    Frame frame(f.form.get(), 0, 1400, 2000, 600);
    PushButton button(f.form.get(), 0, 2100, 2000, 600, QStringLiteral("button"));
    f.show();
    QWindow* window = f.form->windowHandle();
    const auto doubleClick = [window](QWidget* w) {
        // Through the window system, which makes the second press a double-click.
        QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, window->mapFromGlobal(w->mapToGlobal(w->rect().center())));
    };
    const auto count = [&](auto* control, auto signal) {
        QSignalSpy clicks(control, signal);
        doubleClick(control);
        QTest::mouseClick(control, Qt::LeftButton); // a later click counts again
        return clicks.count();
    };
    EXPECT_EQ(count(&label, &Label::Click), 2);
    EXPECT_EQ(count(&picture, &PictureBox::Click), 2);
    EXPECT_EQ(count(&frame, &Frame::Click), 2);
    EXPECT_EQ(count(&button, &PushButton::Click), 3);
}

TEST(Controls, SliderAndProgressBarArePlaced)
{
    QWidget c;
    Slider s(&c, 100, 200, 3000, 400);
    ProgressBar p(&c, 100, 700, 3000, 300);
    s.SetMax(10);
    s.SetValue(4);
    p.SetValue(50);
    EXPECT_EQ(s.Value(), 4);
    EXPECT_EQ(p.Value(), 50);
    EXPECT_EQ(p.geometry(), TwipsToPixels(100, 700, 3000, 300));
}
