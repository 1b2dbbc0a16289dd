#pragma once

// Small drawn glyphs used in place of icon-theme images, so the windows look
// the same on every desktop whatever icon theme is installed. Each glyph is
// drawn centred in `box` (roughly a square), in one colour.

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace symbols {

enum class Symbol
{
    checkmark,      // swatch selection
    infoCircleFill, // notice: a filled circle with an "i" cut out
    lines3,         // three horizontal lines (guide styles)
    palette,        // painter's palette (colours)
    keyboard,       // keyboard (shortcuts)
    displays2,      // two monitors (multi-monitor)
};

void paint(QPainter &painter, const QRectF &box, Symbol symbol, const QColor &color);

} // namespace symbols
