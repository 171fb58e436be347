// Window handles and the style word: a handle names one widget for its life and nothing after; an
// edit box's style word is the one its typing follows.
#include "platform/Controls.h"
#include "platform/WindowStyle.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace vb;

TEST(WindowStyle, HandlesNameOneWidgetForItsLifeAndNothingAfter)
{
    QWidget window;
    auto edit = std::make_unique<FlatEdit>(&window, 0, 0, 1500, 315);
    QWidget other;
    const HWND h = WindowHandle(edit.get());
    EXPECT_NE(h, 0);
    EXPECT_EQ(WindowHandle(edit.get()), h);
    EXPECT_NE(WindowHandle(&other), h);
    EXPECT_EQ(WidgetOfHandle(h), edit.get());
    EXPECT_EQ(WindowHandle(nullptr), 0);

    edit.reset();
    EXPECT_EQ(WidgetOfHandle(h), nullptr);
    EXPECT_EQ(GetWindowLongA(h, GWL_STYLE), 0);
    EXPECT_EQ(SetWindowLongA(h, GWL_STYLE, ES_UPPERCASE), 0);
    auto later = std::make_unique<FlatEdit>(&window, 0, 0, 1500, 315);
    EXPECT_NE(WindowHandle(later.get()), h); // a gone widget's handle is never given out again
    EXPECT_EQ(GetWindowLongA(12345, GWL_STYLE), 0);
}

TEST(WindowStyle, AnEditBoxsStyleWordIsTheOneItsTypingFollows)
{
    QWidget window;
    FlatEdit edit(&window, 0, 0, 1500, 315);
    const HWND h = WindowHandle(&edit);
    EXPECT_EQ(GetWindowLongA(h, GWL_STYLE), 0);
    const int32_t word = ES_LOWERCASE | 0x50000000;
    EXPECT_EQ(SetWindowLongA(h, GWL_STYLE, word), 0);
    EXPECT_EQ(edit.WindowStyle(), word);
    EXPECT_EQ(GetWindowLongA(h, GWL_STYLE), word);
    EXPECT_EQ(SetWindowLongA(h, GWL_STYLE, ES_UPPERCASE), word); // the replaced word comes back

    // Only the style word is kept; another index fails and changes nothing.
    EXPECT_EQ(GetWindowLongA(h, -20), 0);
    EXPECT_EQ(SetWindowLongA(h, -20, 7), 0);
    EXPECT_EQ(edit.WindowStyle(), ES_UPPERCASE);

    // Another widget keeps a word of its own.
    QWidget plain;
    const HWND p = WindowHandle(&plain);
    SetWindowLongA(p, GWL_STYLE, 0x1234);
    EXPECT_EQ(GetWindowLongA(p, GWL_STYLE), 0x1234);
}
