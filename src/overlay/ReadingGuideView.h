#pragma once

// Draws the reading guide of one screen: the current style's horizontal guide
// and, when enabled, the crosshair brackets. A pure painter: it knows nothing
// about windows, and paints from the settings and a position into any QPainter.

#include "settings/Settings.h"

#include <QPainter>
#include <QRectF>
#include <QSizeF>

class ReadingGuideView
{
public:
    // Position in window-local points, origin at the bottom-left, y up.
    ReadingGuideView(double xPosition, double yPosition, const AppSettings &settings)
        : xPosition(xPosition), yPosition(yPosition), settings(&settings)
    {
    }

    // Paints onto a fully transparent surface of `size` points (W x H); the
    // painter's coordinates are points, y down, origin at the top-left.
    void paint(QPainter &painter, const QSizeF &size) const;

    // Everything this position can change on a surface of `size`, in drawing
    // coordinates (y down), antialiasing included: repainting the old and the
    // new rectangle is enough when only the position moves.
    QRectF coveredRect(const QSizeF &size) const;

    double xPosition;
    double yPosition;
    const AppSettings *settings;
};
