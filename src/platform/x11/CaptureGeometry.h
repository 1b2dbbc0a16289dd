#pragma once

// Where a capture source area lies in device pixels of the X root window.
// Pure arithmetic on the display list, shared by the X11 capture backend and
// its tests; nothing here talks to the X server.

#include "platform/Geometry.h"
#include "platform/Platform.h"

#include <QRect>

#include <cmath>
#include <optional>

namespace platform {

// The source area (global points) in root-window pixels. The area is measured
// on the display under its centre (or the nearest one), with that display's
// device pixel ratio (see DevicePixels). The area is not clamped to the
// display; the part outside the screen is the caller's business.
// Nothing for an empty or non-finite area, or when there is no display.
inline std::optional<QRect> sourceAreaInRootPixels(const Displays &displays, const QRectF &source)
{
    if (!std::isfinite(source.x()) || !std::isfinite(source.y()) || !std::isfinite(source.width())
        || !std::isfinite(source.height()) || source.width() <= 0 || source.height() <= 0)
        return std::nullopt;
    const auto display = displayNearest(displays.displays(), source.center());
    if (!display)
        return std::nullopt;
    const QRectF device = DevicePixels(*display).toDevice(source);
    const QPointF topLeft = device.topLeft();
    const QPointF bottomRight = device.bottomRight();
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
