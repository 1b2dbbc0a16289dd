#pragma once

// Tovani's one set of small drawn glyphs, used in place of icon-theme images
// so that the windows and the HUD look the same on every desktop whatever
// icon theme is installed. Each glyph is drawn in one colour, centred in a
// box. Qt Gui only: the windows (ui/) and the HUD (feedback/) both use it.

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QStringView>

#include <optional>

namespace symbols {

enum class Symbol
{
    // The windows' glyphs scale with the box, in the largest square of it.
    checkmark,      // swatch selection
    infoCircleFill, // notice: a filled circle with an "i" cut out
    lines3,         // three horizontal lines (guide styles)
    palette,        // painter's palette (colours)
    keyboard,       // keyboard (shortcuts)
    displays2,      // two monitors (multi-monitor)

    // The HUD's glyphs are line art at a fixed scale, as heavy as a
    // medium-weight 28-point glyph, about the centre of the box. Commands
    // name them (see byName()).
    minus,             // "minus": thinner
    highlighter,       // "highlighter"
    centreInsetFilled, // "rectangle.center.inset.filled"
    ruler,             // "ruler"
    split3x1,          // "rectangle.split.3x1"
    expand,            // "arrow.up.left.and.arrow.down.right"
    shrink,            // "arrow.down.right.and.arrow.up.left"
    lock,              // "lock"
    lockOpen,          // "lock.open"
};

void paint(QPainter &painter, const QRectF &box, Symbol symbol, const QColor &color);

// A HUD glyph by the name a command gives it ("ruler", "lock.open"); nothing
// for an empty or unknown name.
std::optional<Symbol> byName(QStringView name);

} // namespace symbols
