// The platform core: run-time errors, checked counters, message boxes, twips, windows and keys.
#include "TestSupport.h"
#include "platform/AppInfo.h"
#include "platform/Form.h"
#include "platform/Keys.h"
#include "platform/MsgBox.h"
#include "platform/Screen.h"
#include "platform/VbError.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>

using namespace vb;

TEST(VbErrorTest, CheckedCountersRaiseOverflowAtTheirWidth)
{
    EXPECT_EQ(CheckedAdd(2147483646, 1), 2147483647);
    EXPECT_EQ(CheckedAdd(-5, 3), -2);
    try {
        CheckedAdd(std::numeric_limits<int32_t>::max(), 1);
        FAIL() << "no overflow raised";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number, 6);
        EXPECT_EQ(e.Description, "Overflow");
    }
    EXPECT_EQ(CheckedAdd16(32766, 1), 32767);
    EXPECT_THROW(CheckedAdd16(32767, 1), VbError);
}

TEST(VbErrorTest, FractionsBecomeWholeNumbersHalfToEvenOrOverflow)
{
    EXPECT_EQ(CLng(2.5), 2);
    EXPECT_EQ(CLng(3.5), 4);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_EQ(CLng(2.4999), 2);
    EXPECT_EQ(CLng(-2147483648.4), std::numeric_limits<int32_t>::min());
    for (const double out : {2147483647.5, -2147483648.6, std::nan("")}) {
        try {
            (void)CLng(out);
            ADD_FAILURE() << out << ": no overflow raised";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number, 6) << out;
        }
    }
}

TEST(VbErrorTest, AnyExceptionBecomesARunTimeErrorWithADescription)
{
    struct Case { std::function<void()> thrower; int32_t number; };
    const Case cases[] = {
        {[] { Raise(53); }, 53},
        {[] { Raise(1234, "own text"); }, 1234},
        {[] { throw std::bad_alloc(); }, 7},
        {[] { (void)std::string("x").at(5); }, 9},
        {[] { throw std::runtime_error("disk gone"); }, 5},
        {[] { throw 42; }, 5},
    };
    for (const auto& c : cases) {
        try {
            c.thrower();
            FAIL();
        } catch (...) {
            const VbError e = CurrentError();
            EXPECT_EQ(e.Number, c.number);
            EXPECT_FALSE(e.Description.isEmpty()) << c.number;
        }
    }
    try {
        throw std::runtime_error("disk gone");
    } catch (...) {
        EXPECT_TRUE(CurrentError().Description.contains("disk gone"));
    }
}

TEST(VbErrorTest, EveryNumberRaisedCarriesItsStandardDescription)
{
    struct Case { int32_t name; int32_t number; const char* description; };
    const Case cases[] = {
        {errInvalidCall, 5, "Invalid procedure call or argument"},
        {errOverflow, 6, "Overflow"},
        {errOutOfMemory, 7, "Out of memory"},
        {errSubscript, 9, "Subscript out of range"},
        {errTypeMismatch, 13, "Type mismatch"},
        {errBadFileName, 52, "Bad file name or number"},
        {errFileNotFound, 53, "File not found"},
        {errBadRecordLength, 59, "Bad record length"},
        {errInputPastEnd, 62, "Input past end of file"},
        {errPathFileAccess, 75, "Path/File access error"},
        {errObjectNotSet, 91, "Object variable or With block variable not set"},
        {errInvalidPropertyValue, 380, "Invalid property value"},
        {errNotSupported, 438, "Object doesn't support this property or method"},
        {errListIndexOutOfBounds, 35600, "Index out of bounds"},
        {errListElementNotFound, 35601, "Element not found"},
        {errListKeyNotUnique, 35602, "Key is not unique in collection"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.name, c.number);
        try {
            Raise(c.name);
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number, c.number);
            EXPECT_EQ(e.Description, QString::fromUtf8(c.description)) << c.number;
        }
    }
    // An own description wins; a detail follows the standard one in brackets; an unknown number has none.
    try {
        Raise(errPathFileAccess, QStringLiteral("own text"));
    } catch (const VbError& e) {
        EXPECT_EQ(e.Description, QStringLiteral("own text"));
    }
    try {
        RaiseWithDetail(errPathFileAccess, QStringLiteral("Permission denied"));
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number, 75);
        EXPECT_EQ(e.Description, QStringLiteral("Path/File access error (Permission denied)"));
    }
    EXPECT_TRUE(StandardDescription(1234).isEmpty());
}

TEST(MsgBoxTest, DefaultTitleIsTheProductNameAndTheSeamAnswers)
{
    testing_support::MsgBoxRecorder rec(vbNo);
    EXPECT_EQ(MsgBox("Question?", vbYesNo + vbQuestion), vbNo);
    EXPECT_EQ(MsgBox("Plain", vbOKOnly, "Own title"), vbNo);
    ASSERT_EQ(rec.calls.size(), 2u);
    EXPECT_EQ(rec.calls[0].Title, app::ProductName());
    EXPECT_EQ(rec.calls[0].Buttons, 36);
    EXPECT_EQ(rec.calls[1].Title, "Own title");
}

TEST(MsgBoxTest, RealBoxAnswersByItsButtons)
{
    testing_support::WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(MsgBox("Yes, no or cancel?", vbYesNoCancel + vbQuestion), vbCancel);
    testing_support::WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_EQ(MsgBox("Run it?", vbYesNo + vbQuestion), vbYes);
}

TEST(ScreenTest, TwipsBecomePixelsAtTheScreensDpi)
{
    const int tpp = TwipsPerPixelX();
    ASSERT_GT(tpp, 0);
    EXPECT_EQ(TwipsToPixelsX(150 * tpp), 150);
    EXPECT_EQ(PixelsToTwipsY(10), 10 * TwipsPerPixelY());
    EXPECT_GT(ScreenWidthTwips(), 0);
    EXPECT_GT(ScreenHeightTwips(), 0);
}

TEST(ScreenTest, MousePointerIsSetAndRestored)
{
    SetScreenMousePointer(vbHourglass);
    EXPECT_EQ(ScreenMousePointer(), vbHourglass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    SetScreenMousePointer(vbDefault);
    EXPECT_EQ(ScreenMousePointer(), vbDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// What a key press gives, as the window system delivers it.
struct KeyMapping {
    const char* name;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;
    int vk;
};

const KeyMapping kKeyMappings[] = {
    {"N", Qt::Key_N, Qt::NoModifier, 0, vbKeyN},
    {"shifted N", Qt::Key_N, Qt::ShiftModifier, 0, vbKeyN},
    {"7", Qt::Key_7, Qt::NoModifier, 0, vbKey0 + 7},
    {"& (shifted 7)", Qt::Key_Ampersand, Qt::ShiftModifier, 0, vbKey0 + 7},
    {"F12", Qt::Key_F12, Qt::NoModifier, 0, vbKeyF1 + 11},
    {"Esc", Qt::Key_Escape, Qt::NoModifier, 0, vbKeyEscape},
    {"Enter", Qt::Key_Return, Qt::NoModifier, 0, vbKeyReturn},
    {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, 0, vbKeyReturn},
    {"Backspace", Qt::Key_Backspace, Qt::NoModifier, 0, vbKeyBack},
    {"Page Down", Qt::Key_PageDown, Qt::NoModifier, 0, vbKeyPageDown},
    {";", Qt::Key_Semicolon, Qt::NoModifier, 0, vbKeyOem1},
    {":", Qt::Key_Colon, Qt::ShiftModifier, 0, vbKeyOem1},
    {"=", Qt::Key_Equal, Qt::NoModifier, 0, vbKeyOemPlus},
    {",", Qt::Key_Comma, Qt::NoModifier, 0, vbKeyOemComma},
    {"-", Qt::Key_Minus, Qt::NoModifier, 0, vbKeyOemMinus},
    {".", Qt::Key_Period, Qt::NoModifier, 0, vbKeyOemPeriod},
    {"/", Qt::Key_Slash, Qt::NoModifier, 0, vbKeyOem2},
    {"`", Qt::Key_QuoteLeft, Qt::NoModifier, 0, vbKeyOem3},
    {"[", Qt::Key_BracketLeft, Qt::NoModifier, 0, vbKeyOem4},
    {"\\", Qt::Key_Backslash, Qt::NoModifier, 0, vbKeyOem5},
    {"]", Qt::Key_BracketRight, Qt::NoModifier, 0, vbKeyOem6},
    {"'", Qt::Key_Apostrophe, Qt::NoModifier, 0, vbKeyOem7},
    {"< on the comma's key", Qt::Key_Less, Qt::ShiftModifier, 59, vbKeyOemComma},
    {"< on the 102nd key", Qt::Key_Less, Qt::NoModifier, 94, vbKeyOem102},
    {"keypad 0", Qt::Key_0, Qt::KeypadModifier, 0, vbKeyNumpad0},
    {"keypad 9", Qt::Key_9, Qt::KeypadModifier, 0, vbKeyNumpad0 + 9},
    {"keypad +", Qt::Key_Plus, Qt::KeypadModifier, 0, vbKeyAdd},
    {"keypad -", Qt::Key_Minus, Qt::KeypadModifier, 0, vbKeySubtract},
    {"keypad *", Qt::Key_Asterisk, Qt::KeypadModifier, 0, vbKeyMultiply},
    {"keypad /", Qt::Key_Slash, Qt::KeypadModifier, 0, vbKeyDivide},
    {"keypad .", Qt::Key_Period, Qt::KeypadModifier, 0, vbKeyDecimal},
    {"keypad ,", Qt::Key_Comma, Qt::KeypadModifier, 0, vbKeySeparator},
    {"keypad Left (Num Lock off)", Qt::Key_Left, Qt::KeypadModifier, 0, vbKeyLeft},
    {"keypad Insert (Num Lock off)", Qt::Key_Insert, Qt::KeypadModifier, 0, vbKeyInsert},
    {"keypad 5 (Num Lock off)", Qt::Key_Clear, Qt::KeypadModifier, 0, vbKeyClear},
    {"Insert", Qt::Key_Insert, Qt::NoModifier, 0, vbKeyInsert},
    {"Caps Lock", Qt::Key_CapsLock, Qt::NoModifier, 0, vbKeyCapital},
    {"Num Lock", Qt::Key_NumLock, Qt::NoModifier, 0, vbKeyNumlock},
    {"Scroll Lock", Qt::Key_ScrollLock, Qt::NoModifier, 0, vbKeyScrollLock},
    {"Pause", Qt::Key_Pause, Qt::NoModifier, 0, vbKeyPause},
    {"Menu", Qt::Key_Menu, Qt::NoModifier, 0, vbKeyApps},
    {"AltGr", Qt::Key_AltGr, Qt::NoModifier, 0, vbKeyMenu},
    {"Volume Up", Qt::Key_VolumeUp, Qt::NoModifier, 0, vbKeyVolumeUp},
    {"Back", Qt::Key_Back, Qt::NoModifier, 0, vbKeyBrowserBack},
    // Keys without a code of their own still give one.
    {"ä", Qt::Key_Adiaeresis, Qt::NoModifier, 0, vbKeyUnmapped},
    {"dead acute", Qt::Key_Dead_Acute, Qt::NoModifier, 0, vbKeyUnmapped},
    {"unknown", Qt::Key_unknown, Qt::NoModifier, 0, vbKeyUnmapped},
    {"no key", 0, Qt::NoModifier, 0, vbKeyUnmapped},
};

TEST(KeysTest, EveryKeyGivesItsVirtualKeyCodeAndNoneGivesZero)
{
    for (const KeyMapping& k : kKeyMappings) {
        SCOPED_TRACE(k.name);
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            const QKeyEvent e(type, k.qtKey, k.modifiers, k.scanCode, 0, 0);
            EXPECT_EQ(VirtualKeyOf(&e), k.vk);
        }
    }
    EXPECT_EQ(ShiftMaskFromQt(Qt::ShiftModifier | Qt::AltModifier), 5);
}

namespace {
class KeyForm : public Form {
public:
    std::vector<std::pair<int, int>> downs;
    std::vector<int> presses;
    std::vector<std::string> log;
    int cancelUnload = 0;
    int consume = 0;

protected:
    void Form_Load() override { log.push_back("load"); }
    void Form_KeyDown(int& KeyCode, int Shift) override
    {
        downs.emplace_back(KeyCode, Shift);
        if (KeyCode == consume)
            KeyCode = 0;
    }
    void Form_KeyPress(int& KeyAscii) override { presses.push_back(KeyAscii); }
    void Form_QueryUnload(int& Cancel, int mode) override
    {
        log.push_back("query " + std::to_string(mode));
        Cancel = cancelUnload;
    }
    void Form_Unload(int&) override { log.push_back("unload"); }
};
} // namespace

TEST(FormTest, KeyPreviewSeesKeysFirstAndAZeroedCodeIsConsumed)
{
    KeyForm f;
    f.KeyPreview = true;
    f.consume = vbKeyN;
    auto* edit = new QLineEdit(&f);
    f.Show();
    edit->setFocus();
    QApplication::setActiveWindow(&f);
    QTest::keyClick(edit, Qt::Key_N);
    QTest::keyClick(edit, 'B', Qt::ShiftModifier);
    EXPECT_EQ(edit->text(), "B"); // N consumed, B passed on
    ASSERT_GE(f.downs.size(), 2u);
    EXPECT_EQ(f.downs[0], std::make_pair(78, 0));
    EXPECT_EQ(f.downs.back(), std::make_pair(66, 1));
    EXPECT_EQ(f.presses, std::vector<int>{'B'});
    f.Unload();
}

TEST(FormTest, EnterAndEscClickTheDefaultAndCancelButtons)
{
    KeyForm f;
    auto* ok = new QPushButton("&OK", &f);
    auto* cancel = new QPushButton("&Cancel", &f);
    auto* edit = new QLineEdit(&f);
    f.DefaultButton = ok;
    f.CancelButton = cancel;
    int okClicks = 0, cancelClicks = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++okClicks; });
    QObject::connect(cancel, &QPushButton::clicked, [&] { ++cancelClicks; });
    f.Show();
    QApplication::setActiveWindow(&f);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 1);
    // A focused button takes Enter itself.
    cancel->setFocus();
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 2);
    f.Unload();
}

TEST(FormTest, LoadedWindowsAreListedInLoadOrderAndUnloadCanBeCancelled)
{
    const size_t before = Forms().size();
    KeyForm a, b;
    b.Load();
    a.Load();
    ASSERT_EQ(Forms().size(), before + 2);
    EXPECT_EQ(Forms()[before], &b);
    EXPECT_EQ(Forms()[before + 1], &a);
    b.cancelUnload = -1;
    EXPECT_FALSE(b.Unload());
    EXPECT_TRUE(b.IsLoaded());
    b.cancelUnload = 0;
    b.Show();
    b.close(); // the close box goes through the same unload
    EXPECT_FALSE(b.IsLoaded());
    EXPECT_EQ(b.log, (std::vector<std::string>{"load", "query 1", "query 0", "unload"}));
    EXPECT_TRUE(a.Unload());
    EXPECT_EQ(Forms().size(), before);
}

TEST(FormTest, ModalShowReturnsWhenTheWindowUnloads)
{
    KeyForm f;
    testing_support::WhenModal([&](QWidget* w) {
        EXPECT_EQ(w, &f);
        f.Unload();
    });
    f.Show(true);
    EXPECT_FALSE(f.IsLoaded());
}

TEST(FormTest, GeometryIsInTwips)
{
    KeyForm f;
    f.Load();
    f.Move(1500, 3000, 6000, 4500);
    EXPECT_EQ(f.Left(), 1500);
    EXPECT_EQ(f.Top(), 3000);
    EXPECT_EQ(f.Width(), 6000);
    EXPECT_EQ(f.Height(), 4500);
    f.Unload();
}

TEST(FormTest, AnOuterSizeGivenBeforeTheFrameIsKnownIsTheOuterSizeOnceFramed)
{
    // Only the side given is an outer size: the other keeps its client size and gets its frame on top.
    KeyForm f;
    f.SetClientSizeTwips(6000, 4500);
    f.Move(0, 0, 5250, -1);
    f.Show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Height() > f.ScaleHeight(); }, 2000)) << "the window is never framed";
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.Width() == 5250; }, 2000)) << f.Width();
    EXPECT_EQ(f.ScaleHeight(), 4500);
    f.Unload();
}

TEST(FormTest, AWindowReferenceIsClearedWhenItsWindowUnloads)
{
    FormRef<KeyForm> ref;
    EXPECT_FALSE(ref);
    KeyForm* first = ref.Get();
    EXPECT_EQ(ref.Get(), first) << "an open window is reused while the reference holds it";
    QPointer<KeyForm> gone = first;
    first->Show();
    first->cancelUnload = -1;
    EXPECT_FALSE(first->Unload());
    EXPECT_EQ(ref.get(), first) << "a cancelled unload keeps the reference";
    first->cancelUnload = 0;
    EXPECT_TRUE(first->Unload());
    EXPECT_FALSE(ref);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull()) << "the unloaded window is released";

    // The next opening builds the window afresh; one destroyed without an unload also clears it.
    KeyForm* second = ref.Get();
    EXPECT_NE(second, nullptr);
    EXPECT_TRUE(second->log.empty());
    delete second;
    EXPECT_FALSE(ref);
}
