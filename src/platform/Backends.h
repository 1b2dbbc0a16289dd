#pragma once

// Factories of the concrete backends, for Platform::create() only.

#include "platform/Platform.h"

namespace platform {
// X11 when Qt runs on xcb; otherwise the Qt-only fallback.
std::unique_ptr<Platform> createDesktopPlatform();
// The XDG autostart entry in autostartDir (normally ~/.config/autostart).
std::unique_ptr<LoginItem> createXdgAutostart(const QString &autostartDir, const QString &executable);
// Global hot keys grabbed on the root window of Qt's X11 connection. Reports
// itself unavailable when Qt does not run on xcb.
std::unique_ptr<HotkeyService> createX11Hotkeys();
} // namespace platform
