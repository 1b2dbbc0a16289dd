#pragma once

// Factories of the concrete backends, for Platform::create() and for tests and
// tools that want one backend in particular. Each is defined by the library of
// its backend.

#include "platform/Platform.h"

namespace platform {
// x11/: the X11 platform on Qt's own xcb connection; null when Qt does not run
// on xcb.
std::unique_ptr<Platform> createX11Platform();
// x11/: why the X server named by DISPLAY cannot be reached, or empty when it
// can. Asked before Qt connects (Qt's xcb plugin aborts the process when it
// cannot).
QString x11DisplayProblem();
// x11/: global hot keys through XGrabKey on the root window.
std::unique_ptr<HotkeyService> createX11Hotkeys();
// x11/: screen capture through the X server (MIT-SHM, XComposite); its set-up
// fails where no picture of the desktop can be taken (not X11, a Wayland
// session).
std::unique_ptr<ScreenCapture> createX11Capture();

// qt/: the fallback for any other Qt platform: displays and window flags from
// Qt; pointer, hot keys and capture unavailable.
std::unique_ptr<Platform> createQtPlatform();

// The XDG autostart entry in autostartDir (normally ~/.config/autostart).
std::unique_ptr<LoginItem> createXdgAutostart(const QString &autostartDir, const QString &executable);
} // namespace platform
