#pragma once

// Which top-level window of another process lies under a point.

#include "platform/Platform.h"

#include <xcb/xcb.h>

#include <optional>

namespace platform {

class QtDisplays;
class X11Connection;

// The topmost viewable top-level window under `global` whose _NET_WM_PID (on
// the window itself or, under a window manager, on the client window inside
// its frame) is not this process. Nothing when the window there says no
// process. A handful of requests, sent together: one wait for the server.
std::optional<WindowAtPoint> findX11WindowAt(X11Connection &x, const QtDisplays &displays, const QPointF &global);

} // namespace platform
