#pragma once
// Window handles and the window-style word, as the library's text-box utilities reach an edit box.
//
// Every widget gets a handle on first asking: a whole number that no other widget gets, kept for
// the widget's life and never handed out again after it is gone. The style word (GWL_STYLE) of an
// edit box of the control set is the box's own WindowStyle(), so the bits that change typing
// (ES_UPPERCASE, ES_LOWERCASE) take effect on the next key; any other bits are kept as written.
// Other widgets keep a style word of their own that changes nothing.
#include <cstdint>

class QWidget;

namespace vb {

using HWND = int32_t;

enum WindowLongIndex : int32_t { GWL_STYLE = -16 };
enum EditStyleBits : int32_t { ES_UPPERCASE = 8, ES_LOWERCASE = 16 };

// The widget's handle; 0 for no widget.
HWND WindowHandle(QWidget* w);
// The widget a handle names; nullptr once it is gone, or for a handle never given out.
QWidget* WidgetOfHandle(HWND hWnd);

// The value at nIndex of the window; 0 for an unknown window or an index other than GWL_STYLE
// (as the window system fails).
int32_t GetWindowLongA(HWND hWnd, int32_t nIndex);
// Writes the value and returns the one it replaced; 0, writing nothing, for an unknown window or
// an index other than GWL_STYLE.
int32_t SetWindowLongA(HWND hWnd, int32_t nIndex, int32_t dwNewLong);

} // namespace vb
