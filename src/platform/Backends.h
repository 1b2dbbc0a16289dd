#pragma once

// Factories of the concrete backends, for Platform::create() and for tests and
// tools that want one backend in particular. Each is defined by the library of
// its backend.

#include "platform/CompositorWindows.h"
#include "platform/Platform.h"

#include <QStringList>

#include <functional>

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
// session). Sources are read in `displays`' coordinates.
std::unique_ptr<ScreenCapture> createX11Capture(const Displays &displays);

// qt/: the fallback for any other Qt platform: displays and window flags from
// Qt; pointer, hot keys and capture unavailable.
std::unique_ptr<Platform> createQtPlatform();

// Where a backend's pointer comes from, for `tovani status` and isTrusted().
struct PointerSource
{
    std::unique_ptr<PointerMonitor> monitor;
    QString name;                   // "kwin-script", "none"
    bool followsEverywhere = false; // sees the pointer over every application
};

// Where a Wayland backend hears of the other applications' windows: what the
// compositor told last (CompositorWindows), and what keeps it up to date where
// that is not the pointer's source (sway's IPC connection). No windows: the
// compositor tells none.
struct WindowSource
{
    std::shared_ptr<CompositorWindows> windows;
    std::unique_ptr<QObject> feed;
};

// wayland/: the platform on a compositor that offers wlr layer-shell, on a
// Wayland connection of its own; null when WAYLAND_DISPLAY names none, or it
// offers no layer-shell. The pointer, the hot keys, screen capture and the
// windows come from elsewhere, and the desktop's own magnifier where it has
// one (none: the magnifier is unavailable).
std::unique_ptr<Platform> createWaylandPlatform(PointerSource pointer, std::unique_ptr<HotkeyService> hotkeys,
                                                std::function<std::unique_ptr<ScreenCapture>()> capture,
                                                WindowSource windows = {},
                                                std::unique_ptr<DesktopMagnifier> magnifier = nullptr);
// wayland/: the interfaces of the globals the compositor named by
// WAYLAND_DISPLAY offers ("zwlr_layer_shell_v1", ...); empty when none
// answers. Asked before Qt connects.
QStringList waylandGlobals();

// gnome/: the platform on GNOME Shell's Wayland session, where Tovani's
// Shell extension shows the guide; null when org.gnome.Shell is not on the
// session bus.
std::unique_ptr<Platform> createGnomePlatform();

// The XDG autostart entry in autostartDir (normally ~/.config/autostart).
std::unique_ptr<LoginItem> createXdgAutostart(const QString &autostartDir, const QString &executable);
} // namespace platform
