#pragma once

// Global shortcuts through the XDG desktop portal (org.freedesktop.portal.
// GlobalShortcuts), for Wayland sessions where no client may grab keys. The
// desktop, not Tovani, owns the keys: Tovani proposes a combination for each
// command, the desktop binds it (or the one the person chose in its settings,
// or none) and reports each press.

#include "platform/Platform.h"

#include <memory>

namespace platform::portal {

// The portal's shortcut service, or null when no portal on the session bus
// offers GlobalShortcuts.
std::unique_ptr<HotkeyService> createHotkeyService();

// Where there is no portal: which setting of the running desktop binds a key
// to a command line ("tovani toggle"), as one sentence for the preferences.
// Read from XDG_CURRENT_DESKTOP. The Wayland platform hands it to the
// preferences as HotkeyService::bindingHint() when there is no portal.
QString desktopShortcutHint();

// A combination in the portal's notation ("CTRL+SHIFT+r": modifiers, then the
// keysym the key types on a US layout), or empty for a key it cannot name.
QString portalTrigger(const HotkeyService::Key &key);

} // namespace platform::portal
