#include "platform/Platform.h"

#include <QCoreApplication>
#include <QWidget>

namespace platform {

WindowAtPoint WindowAtPoint::onSurface(qint64 pid, const QRectF &frame, const QPointF &surface)
{
    WindowAtPoint w;
    w.pid = pid;
    w.frame = frame;
    // Wayland toolkits count their accessible coordinates from the corner of
    // their surface, in logical pixels.
    w.coordinates = Coordinates::Window;
    w.origin = surface;
    return w;
}

void Platform::prepareWindow(QWidget *window, WindowRole role)
{
    if (window)
        window->setWindowFlags(portableWindowFlags(role));
}

Qt::WindowFlags Platform::portableWindowFlags(WindowRole role)
{
    // Never focused and transparent to input: every click and scroll reaches
    // what lies beneath, and typing stays where it was.
    const Qt::WindowFlags passive = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                    Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
    switch (role) {
    case WindowRole::GuideOverlay:
    case WindowRole::Magnifier:
        // A tool window has no taskbar entry.
        return Qt::Tool | passive | Qt::NoDropShadowWindowHint;
    case WindowRole::Hud:
        return Qt::ToolTip | passive;
    }
    return passive;
}

Capability Platform::screenCaptureCapability()
{
    // The magnifier lies over the very area it shows: a capture that cannot
    // leave it out would show its own picture, enlarged again and again.
    const std::unique_ptr<ScreenCapture> capture = createScreenCapture();
    QString error;
    if (!capture || !capture->setup(&error) || !capture->canExcludeWindows())
        return Capability::missing(QCoreApplication::translate("MagnifierView", "Screen capture unavailable"));
    return {};
}

} // namespace platform
