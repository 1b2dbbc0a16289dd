// Global hot keys on X11. Placeholder until the XGrabKey service lands: it
// reports itself unavailable, so no combination is ever claimed.
#include "platform/Backends.h"
#include "platform/Unavailable.h"

namespace platform {
std::unique_ptr<HotkeyService> createX11Hotkeys() { return std::make_unique<UnavailableHotkeys>(); }
} // namespace platform
