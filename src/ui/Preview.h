#pragma once

// Drawings of the preferences window: the live preview (a mock page of text
// with the guide over it) and the style tiles' miniatures. The preview's guide
// is the overlay's own drawing (ReadingGuideView) on a page-sized screen, so
// it shows what the screen will show. All sizes are in logical pixels, y down;
// every function paints into any QPainter, so it can be checked on a QImage.

#include "settings/Settings.h"

#include <QPainter>
#include <QPalette>
#include <QPointF>
#include <QRectF>

namespace preview {

// Sizes of the preview panel.
inline constexpr double stackHeight = 120; // the mock page the guide is drawn over
inline constexpr double panelPadding = 16; // around the page inside the rounded panel

// The page inside a panel rectangle.
QRectF page(const QRectF &panel);
// Where the pointer stands on a page of `size`, as ReadingGuideView takes it:
// page-local points, origin at the top-left, y down. The middle of the page,
// between the third and the fourth line of text.
QPointF pointer(const QSizeF &size);

// The rounded panel's background with the six grey bars standing for lines of
// text on its page. `panel` is the outer rectangle.
void background(QPainter &painter, const QRectF &panel, const QPalette &palette);
// The guide of the current settings over `page`: ReadingGuideView's drawing
// of a screen of the page's size with the pointer at pointer(), made on a
// transparent layer like the overlay's window and laid over the page.
void guide(QPainter &painter, const QRectF &page, const AppSettings &settings);
// The whole panel: background(), guide() on its page, and the outline.
void previewSection(QPainter &painter, const QRectF &panel, const AppSettings &settings, const QPalette &palette);

// The miniature of one style on a style tile, in a 60 x 32 area: a picture of
// the style in the guide colour, like an icon, not drawn to the settings' sizes.
inline constexpr double miniatureWidth = 60;
inline constexpr double miniatureHeight = 32;
void stylePreview(QPainter &painter, const QRectF &area, LineStyle style, const QColor &color,
                  const QPalette &palette);

} // namespace preview
