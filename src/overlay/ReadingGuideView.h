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
    // Position in window-local points, origin at the top-left, y down.
    ReadingGuideView(double xPosition, double yPosition, const AppSettings &settings)
        : xPosition(xPosition), yPosition(yPosition), settings(&settings)
    {
    }
    // On a line of text whose box spans `top` to `top + height` (window-local
    // points). Each style places itself relative to the line as it does
    // relative to the pointer's row otherwise: the underline and the ruler
    // under the line, the highlight bar and the focus window's clear band over
    // it, the reading strip's clear line on it; the brackets around it. A
    // height that is not a positive number gives the guide at the pointer's
    // row `top`.
    static ReadingGuideView onLine(double xPosition, double top, double height, const AppSettings &settings)
    {
        ReadingGuideView view(xPosition, top, settings);
        view.lineHeight = height;
        return view;
    }

    // The top of the line `height` tall that the guide at the pointer's row
    // `y` marks: the line onLine() would draw this style on where it is drawn
    // now. Steps go a line's height from there, the same distance either way.
    static double lineTopAt(double y, double height, const AppSettings &settings);

    // Paints onto a fully transparent surface of `size` points (W x H); the
    // painter's coordinates are points, y down, origin at the top-left.
    // NaN, infinite or huge sizes and positions are clamped (see the .cpp) and
    // never make drawing slow. Ticks and labels outside the painter's clip (or
    // the paint engine's system clip) are skipped. GUI thread only: the
    // ruler's scale and label layouts are cached process-wide.
    void paint(QPainter &painter, const QSizeF &size) const { paint(painter, size, AllLayers); }

    // The guide in two layers, the brackets over the band: what paint() draws
    // is the band layer with the bracket layer drawn over it.
    enum Layer { BandLayer = 1, BracketLayer = 2, AllLayers = BandLayer | BracketLayer };
    void paint(QPainter &painter, const QSizeF &size, int layers) const;

    // The pieces of the guide that move with the position, in drawing
    // coordinates, whole points, cut to the view: the full-width band with
    // everything the band layer draws near the line, and the two brackets
    // (empty when off). Outside the band the band layer is one plain colour,
    // `outside` (the focus window's shade, else transparent), so the band
    // layer is the band's pixels over that colour.
    struct Parts
    {
        QRectF band;
        QRectF left;
        QRectF right;
        QColor outside;
    };
    Parts parts(const QSizeF &size) const;

    double xPosition;
    // The pointer's row, or the top of the line.
    double yPosition;
    const AppSettings *settings;
    // The line's height; 0 for a guide at the pointer.
    double lineHeight = 0;
};
