#pragma once

// Where a capture source area lies in device pixels of the X root window.
// Pure arithmetic on the display list, shared by the X11 capture backend and
// its tests; nothing here talks to the X server.

#include "platform/Platform.h"

#include <QRect>

#include <cmath>
#include <optional>

namespace platform {

// The display whose frame contains `point`; when none does, the one nearest to
// it (a point just past an edge still belongs to the display beside it).
// Nothing when there are no displays.
inline std::optional<Display> displayNear(const QList<Display> &displays, const QPointF &point)
{
    std::optional<Display> best;
    qreal bestDistance = 0;
    for (const Display &display : displays) {
        const QRectF &f = display.frame;
        if (f.contains(point))
            return display;
        const qreal dx = std::max({f.left() - point.x(), 0.0, point.x() - f.right()});
        const qreal dy = std::max({f.top() - point.y(), 0.0, point.y() - f.bottom()});
        const qreal distance = dx * dx + dy * dy;
        if (!best || distance < bestDistance) {
            best = display;
            bestDistance = distance;
        }
    }
    return best;
}

// The source area (global points) in root-window pixels. The area is measured
// on the display under its centre, with that display's device pixel ratio: Qt
// keeps each screen's top-left corner at its native position and scales only
// the extent, so a logical point p on a screen with top-left o maps to
// o + (p - o) * ratio. The area is not clamped to the display; the part
// outside the screen is the caller's business.
// Nothing for an empty or non-finite area, or when there is no display.
inline std::optional<QRect> sourceAreaInRootPixels(const Displays &displays, const QRectF &source)
{
    if (!std::isfinite(source.x()) || !std::isfinite(source.y()) || !std::isfinite(source.width())
        || !std::isfinite(source.height()) || source.width() <= 0 || source.height() <= 0)
        return std::nullopt;
    const auto display = displayNear(displays.displays(), source.center());
    if (!display)
        return std::nullopt;
    const qreal ratio = display->devicePixelRatio > 0 && std::isfinite(display->devicePixelRatio)
                            ? display->devicePixelRatio
                            : 1.0;
    const QPointF origin = display->frame.topLeft();
    const QPointF topLeft = origin + (source.topLeft() - origin) * ratio;
    const QPointF bottomRight = origin + (source.bottomRight() - origin) * ratio;
    // Keep the pixel grid but never lose the area: at least one pixel each way.
    constexpr qreal limit = 1 << 24;
    if (std::abs(topLeft.x()) > limit || std::abs(topLeft.y()) > limit || std::abs(bottomRight.x()) > limit
        || std::abs(bottomRight.y()) > limit)
        return std::nullopt;
    const int left = int(std::lround(topLeft.x()));
    const int top = int(std::lround(topLeft.y()));
    const int right = std::max(left + 1, int(std::lround(bottomRight.x())));
    const int bottom = std::max(top + 1, int(std::lround(bottomRight.y())));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace platform
