#pragma once

// The pointer on KDE Plasma's Wayland session, from KWin itself: no Wayland
// protocol tells a client where the pointer is, but a KWin script sees every
// move. While the monitor runs, the script tovani-pointer.js is loaded into
// KWin and pushes each new position to an object Tovani exports on the session
// bus under its own name (platform/dbus/TovaniBusName.h), and the windows
// to another; when it stops, the script is unloaded, so an idle Tovani costs
// KWin nothing.

#include "platform/CompositorWindows.h"
#include "platform/Platform.h"

#include <memory>

namespace platform::kwin {

// The object and interface the script calls on org.tovani.Tovani
// (tovani-pointer.js says the same), and the name the script is loaded under.
inline constexpr const char *objectPath = "/org/tovani/Pointer";
inline constexpr const char *interfaceName = "org.tovani.Pointer";
inline constexpr const char *scriptName = "tovani-pointer";

// The pointer monitor fed by KWin, or null when org.kde.KWin is not on the
// session bus or the script is not installed. While it runs, the script
// keeps `windows` up to date too (at /org/tovani/Windows); stopped, it
// empties them.
std::unique_ptr<PointerMonitor> createPointerMonitor(std::shared_ptr<CompositorWindows> windows = nullptr);

// Where the script is: share/tovani/kwin/ under the program's installation
// prefix, else the source tree the program was built from. Empty when neither
// has it.
QString scriptPath();

} // namespace platform::kwin
