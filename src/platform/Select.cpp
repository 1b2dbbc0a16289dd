// Which backend this session gets, and the one instance the application uses.
// The only code that sees every backend.

#include "platform/Backends.h"

#include <QGuiApplication>

namespace platform {

namespace {
Platform *g_instance = nullptr;
}

std::unique_ptr<Platform> Platform::create()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (std::unique_ptr<Platform> x11 = createX11Platform())
            return x11;
    }
    return createQtPlatform();
}

Platform &Platform::instance()
{
    if (!g_instance) {
        static std::unique_ptr<Platform> created = create();
        g_instance = created.get();
    }
    return *g_instance;
}

void Platform::setInstance(Platform *platform) { g_instance = platform; }

QString Platform::checkDisplayServer()
{
    // QT_QPA_PLATFORM is the user's choice; without one Qt takes xcb when an
    // X display is there and no Wayland display. Other platforms are left to
    // Qt.
    const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
    const bool usesX11 = qpa.startsWith("xcb") ||
                         (qpa.isEmpty() && !qEnvironmentVariableIsEmpty("DISPLAY") &&
                          qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    return usesX11 ? x11DisplayProblem() : QString();
}

} // namespace platform
