#include "platform/WindowStyle.h"

#include "platform/Controls.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <map>

namespace vb {

namespace {
const char* const HandleProperty = "vbWindowHandle";
const char* const StyleProperty = "vbWindowStyle";

std::map<HWND, QPointer<QWidget>>& handles()
{
    // Never freed: widgets may still go after static objects have been destroyed.
    static auto* table = new std::map<HWND, QPointer<QWidget>>;
    return *table;
}

// Handles start away from 0 and small numbers, as the window system's do, and step by 4.
HWND nextHandle = 0x10010;
} // namespace

HWND WindowHandle(QWidget* w)
{
    if (!w)
        return 0;
    const QVariant known = w->property(HandleProperty);
    if (known.isValid())
        return known.toInt();
    const HWND h = nextHandle;
    nextHandle += 4;
    handles()[h] = w;
    w->setProperty(HandleProperty, h);
    // The table forgets a widget when it goes; its handle is never given out again.
    QObject::connect(w, &QObject::destroyed, [h] { handles().erase(h); });
    return h;
}

QWidget* WidgetOfHandle(HWND hWnd)
{
    const auto it = handles().find(hWnd);
    return it == handles().end() ? nullptr : it->second.data();
}

int32_t GetWindowLongA(HWND hWnd, int32_t nIndex)
{
    QWidget* w = WidgetOfHandle(hWnd);
    if (!w || nIndex != GWL_STYLE)
        return 0;
    if (auto* edit = qobject_cast<FlatEdit*>(w))
        return edit->WindowStyle();
    return w->property(StyleProperty).toInt();
}

int32_t SetWindowLongA(HWND hWnd, int32_t nIndex, int32_t dwNewLong)
{
    QWidget* w = WidgetOfHandle(hWnd);
    if (!w || nIndex != GWL_STYLE)
        return 0;
    const int32_t previous = GetWindowLongA(hWnd, nIndex);
    if (auto* edit = qobject_cast<FlatEdit*>(w))
        edit->SetWindowStyle(dwNewLong);
    else
        w->setProperty(StyleProperty, dwNewLong);
    return previous;
}

} // namespace vb
