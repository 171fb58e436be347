#include "support/modXtremeSuite.h"

#include "platform/Controls.h"
#include "platform/VbError.h"
#include "platform/WindowStyle.h"
#include "support/ErrorTrap.h"

namespace {

// What a late-bound control reference is, as T; an error when it is nothing or something else.
template <class T>
T* ControlAs(QObject* control)
{
    if (!control)
        vb::Raise(vb::errObjectNotSet);
    auto* c = qobject_cast<T*>(control);
    if (!c)
        vb::Raise(vb::errNotSupported);
    return c;
}

} // namespace

namespace textbox {

void SelectWholeText(QObject* control, const QString& title)
{
    TrapErrorsLocally(title, [&] {
        auto* edit = ControlAs<vb::FlatEdit>(control);
        edit->SetSelStart(0);
        edit->SetSelLength(static_cast<int>(edit->Text().size()));
    });
}

} // namespace textbox

void SelectTextX(QObject* control) { textbox::SelectWholeText(control, QStringLiteral("SelectTextX")); }

void SetTextBoxCase(QObject* control, int16_t mode)
{
    TrapErrorsLocally(QStringLiteral("SetTextBoxCase"), [&] {
        const vb::HWND hWnd = vb::WindowHandle(ControlAs<QWidget>(control));
        int32_t style = vb::GetWindowLongA(hWnd, vb::GWL_STYLE);
        if (mode == tbcLowerCase)
            style = (style & ~vb::ES_UPPERCASE) | vb::ES_LOWERCASE;
        else if (mode == tbcUpperCase)
            style = (style & ~vb::ES_LOWERCASE) | vb::ES_UPPERCASE;
        vb::SetWindowLongA(hWnd, vb::GWL_STYLE, style);
    });
}
