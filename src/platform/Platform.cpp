#include "platform/Platform.h"

namespace platform {

QRectF Displays::toQt(const QRectF &globalRect) const
{
    // The top-left corner in Qt's space is the global top-left (y up: top = y + height).
    const QPointF topLeft = toQt(QPointF(globalRect.left(), globalRect.top() + globalRect.height()));
    return QRectF(topLeft, globalRect.size());
}

QRectF Displays::fromQt(const QRectF &qtRect) const
{
    const QPointF bottomLeft = fromQt(QPointF(qtRect.left(), qtRect.top() + qtRect.height()));
    return QRectF(bottomLeft, qtRect.size());
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
