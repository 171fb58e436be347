#pragma once
// Where a window stands on the screen: centring it in an area, and acting once the window manager
// has framed it. A window manager adds its frame only after the window is on screen, so until then
// a window's outer size is its client size; whatever depends on the outer size is done again once
// the frame is known.
#include "platform/Form.h"

#include <QRect>
#include <functional>

namespace vb {

// Runs action once, when the window manager has framed w after it is shown (framed: true), or
// when it is known that none will: on a display without a window manager (the offscreen
// platform), or when no frame has come within half a second of the showing (framed: false).
// A window that is not visible yet is watched from its first showing. The watch is a child of w
// and ends with it; deleting the watch before it has run cancels the action.
QObject* WhenFramed(Form* w, std::function<void(bool framed)> action);

// Moves w once so that its present outer bounds stand in the middle of areaTwips (Left, Top, Width,
// Height in twips), keeping its size; the halves are single precision and rounded to whole twips
// (an exact half to the even neighbour) only at the move. A window larger than the area gets a
// negative offset, as computed.
void MoveToCentre(Form* w, const QRect& areaTwips);

// MoveToCentre now, and once more when the window manager has framed w, on its framed size; a
// window that is minimised or maximised by then is left where it is. A later call replaces an
// earlier one whose framing has not come yet: the newest area counts.
void CentreWindow(Form* w, const QRect& areaTwips);

// The outer bounds in twips of the program's active window, or the screen's area when no window of
// the program is active (as at start-up, before the main window exists).
QRect ActiveWindowAreaTwips();

} // namespace vb
