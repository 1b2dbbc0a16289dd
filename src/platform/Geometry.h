#pragma once

// Displays and the arithmetic on them that every layer shares: which display
// holds a point, and how a display's logical points map to device pixels.
// Qt only, no window system; every rule lives here once.
//
// Coordinates are Qt's global logical coordinates: points, y down, the
// top-left corner of a display at its frame's topLeft().

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

namespace platform {

struct Display
{
    QRectF frame;               // global coordinates, in points
    qreal devicePixelRatio = 1; // device pixels per point
    QString name;
    qreal refreshRate = 60; // frames per second, 60 when the system does not say
};

// Whether `frame` holds `point`: half-open on every edge, left <= x < right
// and top <= y < bottom. Displays that share an edge never share a point; the
// row and the column on a display's top and left edges are its own, the ones
// on its bottom and right edges belong to the display beyond. A NaN is on no
// display.
bool holds(const QRectF &frame, const QPointF &point);

// The first of `frames` that holds `point`.
std::optional<qsizetype> frameAt(const QList<QRectF> &frames, const QPointF &point);
// The same, or when none holds it (a gap between displays, past the desktop's
// edge) the nearest one. Nothing when there are no frames or the point is not
// finite.
std::optional<qsizetype> frameNearest(const QList<QRectF> &frames, const QPointF &point);

std::optional<Display> displayAt(const QList<Display> &displays, const QPointF &point);
std::optional<Display> displayNearest(const QList<Display> &displays, const QPointF &point);

// Logical points to device pixels and back, about a point both spaces share:
// logical `origin` is device `deviceOrigin`, and one point is `ratio` device
// pixels. On X11, Qt keeps each screen's top-left corner at its device
// position and scales the rest of it, so both origins are that corner:
// device = origin + (logical - origin) x ratio. A ratio that is not a
// positive number counts as 1.
class DevicePixels
{
public:
    DevicePixels(const QPointF &origin, const QPointF &deviceOrigin, qreal ratio);
    // On `display`: both origins at its frame's top-left corner.
    explicit DevicePixels(const Display &display);

    qreal ratio() const { return m_ratio; }
    QPointF toDevice(const QPointF &logical) const { return m_deviceOrigin + (logical - m_origin) * m_ratio; }
    QPointF toLogical(const QPointF &device) const { return m_origin + (device - m_deviceOrigin) / m_ratio; }
    QRectF toDevice(const QRectF &logical) const
    {
        return {toDevice(logical.topLeft()), logical.size() * m_ratio};
    }
    QRectF toLogical(const QRectF &device) const
    {
        return {toLogical(device.topLeft()), device.size() / m_ratio};
    }

private:
    QPointF m_origin;
    QPointF m_deviceOrigin;
    qreal m_ratio = 1;
};

} // namespace platform
