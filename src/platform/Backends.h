#pragma once

// Factories of the concrete backends, for Platform::create() only.

#include "platform/Platform.h"

namespace platform {
// X11 when Qt runs on xcb; otherwise the Qt-only fallback.
std::unique_ptr<Platform> createDesktopPlatform();
// The XDG autostart entry in autostartDir (normally ~/.config/autostart).
std::unique_ptr<LoginItem> createXdgAutostart(const QString &autostartDir, const QString &executable);
// Global hot keys through XGrabKey on the root window (X11 only).
std::unique_ptr<HotkeyService> createX11Hotkeys();
// One-shot screenshots of the X11 desktop (X11 only).
std::unique_ptr<ScreenCapture> createX11Capture();
} // namespace platform
