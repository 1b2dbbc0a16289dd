#include "platform/Platform.h"

#include <QWidget>

namespace platform {

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

} // namespace platform
