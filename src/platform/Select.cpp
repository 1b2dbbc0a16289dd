// Which backend this session gets.
// The only code that sees every backend.

#include "platform/Backends.h"
#include "platform/kwin/KWinMagnifier.h"
#include "platform/kwin/KWinPointer.h"
#include "platform/portal/PortalHotkeys.h"
#include "platform/qt/Unavailable.h"
#include "platform/sway/SwayWindows.h"

#include <QGuiApplication>

namespace platform {

namespace {
// No Wayland protocol tells a client where the pointer is. KWin does, through
// a script of ours; elsewhere the guide moves by command.
// The windows too: KWin's script tells them along with the pointer, sway
// through its IPC socket. KWin draws the magnifier too.
PointerSource waylandPointer(WindowSource &windows, std::unique_ptr<DesktopMagnifier> &magnifier)
{
    auto known = std::make_shared<CompositorWindows>();
    if (std::unique_ptr<PointerMonitor> kwin = kwin::createPointerMonitor(known)) {
        windows.windows = known;
        magnifier = kwin::createMagnifier();
        return {std::move(kwin), QStringLiteral("kwin-script"), true};
    }
    if ((windows.feed = sway::connectWindows(known)))
        windows.windows = known;
    return {std::make_unique<UnavailablePointer>(), QStringLiteral("none"), false};
}

// The desktop binds the keys through the portal where it offers that; else
// the person binds "tovani <command>" in the desktop's settings, and
// bindingHint() says where.
std::unique_ptr<HotkeyService> waylandHotkeys()
{
    if (std::unique_ptr<HotkeyService> portal = portal::createHotkeyService())
        return portal;
    return std::make_unique<UnavailableHotkeys>(portal::desktopShortcutHint());
}

std::unique_ptr<ScreenCapture> waylandCapture()
{
    return std::make_unique<UnavailableCapture>(
        QCoreApplication::translate("Platform", "Screen capture on Wayland needs the desktop's permission, "
                                                "which Tovani cannot ask for yet"));
}
} // namespace

std::unique_ptr<Platform> Platform::create()
{
    const QString qpa = QGuiApplication::platformName();
    if (qpa == QLatin1String("xcb")) {
        if (std::unique_ptr<Platform> x11 = createX11Platform())
            return x11;
    } else if (qpa.startsWith(QLatin1String("wayland"))) {
        WindowSource windows;
        std::unique_ptr<DesktopMagnifier> magnifier;
        PointerSource pointer = waylandPointer(windows, magnifier);
        if (std::unique_ptr<Platform> wayland = createWaylandPlatform(
                std::move(pointer), waylandHotkeys(), waylandCapture, std::move(windows), std::move(magnifier)))
            return wayland;
        // No layer-shell: on GNOME the Shell shows the guide.
        if (std::unique_ptr<Platform> gnome = createGnomePlatform())
            return gnome;
    }
    return createQtPlatform();
}

void Platform::chooseDisplayServer()
{
    // QT_QPA_PLATFORM is the user's choice. In a Wayland session the
    // compositor decides: with layer-shell Tovani draws on Wayland itself,
    // and on GNOME the Shell does, through Tovani's extension; elsewhere
    // (Weston, ...) through XWayland, where it at least covers X11
    // programs. A compositor that does not answer is left to Qt.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    const QStringList globals = waylandGlobals();
    if (globals.isEmpty())
        return;
    // Qt tries the platforms in turn: without its Wayland plugin, XWayland.
    const bool gnome = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':')).contains(QLatin1String("GNOME"));
    if (globals.contains(QLatin1String("zwlr_layer_shell_v1")) || gnome)
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "wayland;xcb");
    else if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

QString Platform::checkDisplayServer()
{
    // Without a choice Qt takes xcb when an X display is there and no
    // Wayland display. Other platforms are left to Qt.
    const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
    const bool usesX11 = qpa.startsWith("xcb") ||
                         (qpa.isEmpty() && !qEnvironmentVariableIsEmpty("DISPLAY") &&
                          qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    return usesX11 ? x11DisplayProblem() : QString();
}

} // namespace platform
