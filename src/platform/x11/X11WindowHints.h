#pragma once

// The X11 side of Tovani's window roles, for X11Platform::prepareWindow().

#include "platform/Platform.h"

namespace platform {
// Sets the role's flags on `window` (not created yet), creates it, and adds
// the hints Qt has no flag for: no compositor shadow, kept above every other
// window.
void prepareX11Window(QWidget *window, WindowRole role);
} // namespace platform
