#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>

namespace platform {

bool holds(const QRectF &frame, const QPointF &point)
{
    return frame.left() <= point.x() && point.x() < frame.left() + frame.width() &&
           frame.top() <= point.y() && point.y() < frame.top() + frame.height();
}

std::optional<qsizetype> frameAt(const QList<QRectF> &frames, const QPointF &point)
{
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (holds(frames[i], point)) return i;
    }
    return std::nullopt;
}

std::optional<qsizetype> frameNearest(const QList<QRectF> &frames, const QPointF &point)
{
    if (!std::isfinite(point.x()) || !std::isfinite(point.y())) return std::nullopt;
    if (const auto at = frameAt(frames, point)) return at;
    std::optional<qsizetype> best;
    qreal bestDistance = 0;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QRectF &f = frames[i];
        const qreal dx = std::max({f.left() - point.x(), 0.0, point.x() - (f.left() + f.width())});
        const qreal dy = std::max({f.top() - point.y(), 0.0, point.y() - (f.top() + f.height())});
        const qreal distance = dx * dx + dy * dy;
        if (!best || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

namespace {
QList<QRectF> framesOf(const QList<Display> &displays)
{
    QList<QRectF> frames;
    frames.reserve(displays.size());
    for (const Display &d : displays)
        frames.append(d.frame);
    return frames;
}
} // namespace

std::optional<Display> displayAt(const QList<Display> &displays, const QPointF &point)
{
    const auto i = frameAt(framesOf(displays), point);
    return i ? std::optional<Display>(displays[*i]) : std::nullopt;
}

std::optional<Display> displayNearest(const QList<Display> &displays, const QPointF &point)
{
    const auto i = frameNearest(framesOf(displays), point);
    return i ? std::optional<Display>(displays[*i]) : std::nullopt;
}

DevicePixels::DevicePixels(const QPointF &origin, const QPointF &deviceOrigin, qreal ratio)
    : m_origin(origin), m_deviceOrigin(deviceOrigin), m_ratio(ratio > 0 && std::isfinite(ratio) ? ratio : 1.0)
{
}

DevicePixels::DevicePixels(const Display &display)
    : DevicePixels(display.frame.topLeft(), display.frame.topLeft(), display.devicePixelRatio)
{
}

} // namespace platform
