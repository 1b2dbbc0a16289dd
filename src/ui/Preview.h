#pragma once

// Pure drawings of the preferences window: the style tiles' miniatures and the
// live preview (a mock page of text with the current guide and brackets drawn
// over it). They are simplified pictures with sizes of their own, not the
// overlay renderer. All sizes are in logical pixels, y down; every function
// paints from its arguments into any QPainter, so it can be checked on a QImage.

#include "settings/Settings.h"

#include <QColor>
#include <QList>
#include <QPainter>
#include <QPalette>
#include <QRectF>

namespace preview {

// Everything the live preview reads from the settings.
struct Params
{
    LineStyle style = LineStyle::underline;
    QColor color;           // guide colour with its own alpha
    double opacity = 0.6;   // customOpacity
    double thickness = 4;   // customThickness
    double lineHeight = 22; // readingStripLineHeight
    bool bracketsEnabled = false;
    double bracketMargin = 20; // percent of the width, each side
    double bracketOpacity = 0.5;

    static Params from(const AppSettings &settings);
};

// Sizes of the preview page.
inline constexpr double stackHeight = 120;  // the mock page the guide is drawn over
inline constexpr double panelPadding = 16;  // around the page inside the rounded panel
inline constexpr double guideCentreY = 100; // the guide's centre line (between text lines 5 and 6)

// Height of the underline / highlight band and of the ruler: min(t, 30).
double bandHeight(double thickness);
// The clear window of the focus style: min(t, 40) high, centred on the page.
QRectF focusWindow(const QRectF &stack, double thickness);

struct StripGeometry
{
    double total = 0; // T = min(t, 40)
    double line = 0;  // clear line, L = min(T - 4, line height), never negative
    double band = 0;  // each coloured band, (T - L) / 2
};
// The reading strip's parts. A strip thinner than 4 leaves no room for a clear
// line: it is then drawn without one, as two equal bands that meet in the
// middle (so it looks like one solid band).
StripGeometry readingStrip(double thickness, double lineHeight);

struct Tick
{
    QRectF rect;
    double factor; // share of the canvas height: 0.6 long, 0.4 middle, 0.25 short
};
// Tick marks of the ruler in a canvas of width x height: n = trunc(width / 3),
// marks 0..n every 3, centred on x = 3i, from y = 2 down.
QList<Tick> rulerTicks(double width, double height);

// The two bracket bars (left, right), or none while brackets are off.
QList<QRectF> bracketBars(const QRectF &stack, const Params &params);

// The six grey bars standing for lines of text.
void mockText(QPainter &painter, const QRectF &stack, const QPalette &palette);
// The guide of the current style over the page.
void previewLine(QPainter &painter, const QRectF &stack, const Params &params);
// The ruler in `band` (full width, min(t, 30) high): the guide colour, a red
// edge 2 high on top, and the tick marks.
void rulerPreview(QPainter &painter, const QRectF &band, const Params &params);
// The reading strip (geometry from readingStrip()): two bands around an
// outlined clear line, its top at `top`, across `left`..`left + width`.
void readingStripPreview(QPainter &painter, double left, double top, double width, const Params &params);
// The crosshair brackets over the page, when enabled.
void previewVerticalGuides(QPainter &painter, const QRectF &stack, const Params &params);
// The whole panel: rounded background, outline, and inside it (inset 16) the
// page with mock text, guide and brackets. `panel` is the outer rectangle.
void previewSection(QPainter &painter, const QRectF &panel, const Params &params, const QPalette &palette);

// The miniature of one style on a style tile, in a 60 x 32 area.
inline constexpr double miniatureWidth = 60;
inline constexpr double miniatureHeight = 32;
void stylePreview(QPainter &painter, const QRectF &area, LineStyle style, const QColor &color,
                  const QPalette &palette);

} // namespace preview
