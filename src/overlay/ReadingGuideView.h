#pragma once

// Draws the reading guide of one screen: the current style's horizontal guide
// and, when enabled, the crosshair brackets. A pure painter: it knows nothing
// about windows, and paints from the settings and a position into any QPainter.

#include "settings/Settings.h"

#include <QPainter>
#include <QRectF>
#include <QRegion>
#include <QSizeF>

class ReadingGuideView
{
public:
    // Position in window-local points, origin at the top-left, y down.
    ReadingGuideView(double xPosition, double yPosition, const AppSettings &settings)
        : xPosition(xPosition), yPosition(yPosition), settings(&settings)
    {
    }

    // Paints onto a fully transparent surface of `size` points (W x H); the
    // painter's coordinates are points, y down, origin at the top-left.
    // NaN, infinite or huge sizes and positions are clamped (see the .cpp) and
    // never make drawing slow. Ticks and labels outside the painter's clip (or
    // the paint engine's system clip) are skipped. GUI thread only: the
    // ruler's scale and label layouts are cached process-wide.
    void paint(QPainter &painter, const QSizeF &size) const;

    // Everything this position can change on a surface of `size`, in drawing
    // coordinates (y down), antialiasing included: repainting the old and the
    // new rectangle is enough when only the position moves (for the focus
    // window too: its shades look the same outside the clear band). Whole
    // points, spanning the full width, cut to the view; empty when the part
    // that moves is off the view.
    QRectF coveredRect(const QSizeF &size) const;
    // The same, tighter: the full-width band plus the two brackets' own
    // rectangles instead of the band stretched to the brackets' height.
    QRegion coveredRegion(const QSizeF &size) const;

    double xPosition;
    double yPosition;
    const AppSettings *settings;
};
