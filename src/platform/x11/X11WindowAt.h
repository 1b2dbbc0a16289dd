#pragma once

// Which top-level window of another process lies under a point.

#include "platform/Platform.h"

#include <xcb/xcb.h>

#include <optional>

namespace platform {

class QtDisplays;
class X11Connection;

// The topmost viewable top-level window under `global` that would take a
// click there (the guide's click-through windows are looked through), and the
// process that shows it: its _NET_WM_PID, on the window itself or, under a
// window manager, on the client window inside its frame. Nothing when that
// window says no process or is one of Tovani's own. A few requests at a time,
// sent together.
std::optional<WindowAtPoint> findX11WindowAt(X11Connection &x, const QtDisplays &displays,
                                             const QPointF &global);

} // namespace platform
