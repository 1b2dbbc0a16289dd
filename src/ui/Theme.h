#pragma once

// The handful of text styles and colours the preferences and About windows are
// built from. Sizes follow the desktop's font: every style is a fixed ratio of
// the application font, so a user who chose larger text gets larger windows'
// text as well. Colours come from the widget's palette, so a dark theme works.

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

namespace theme {

enum class TextStyle
{
    body,        // the application font
    title,       // About window title
    title2,      // preferences header
    headline,    // section titles
    subheadline, // under the header title
    caption,     // captions under switch titles, value badges
    caption2,    // the smallest text: tile names, tips, rights notice
};

QFont font(TextStyle style, const QFont &base);
// The font of `style` derived from the application font.
QFont font(TextStyle style);

// Text and glyphs of lesser importance: the window text colour, partly
// transparent, so it reads well on any window background.
QColor secondary(const QPalette &palette);
// The primary label colour.
QColor primary(const QPalette &palette);
// Selection and link accent.
QColor accent(const QPalette &palette);
// Background of text areas (the preview page and tile miniatures).
QColor textBackground(const QPalette &palette);
// Thin separators.
QColor separator(const QPalette &palette);

// A fixed blue and red used by notices and the ruler's edge; the same values
// the settings model uses for its palette.
QColor systemBlue();
QColor systemRed();

// The keyboard focus ring: a line this wide in the palette's highlight colour
// along the edge of the control that has the focus. Controls keep
// focusMargin free around their own drawing for it, so it never covers them.
constexpr int focusRingWidth = 3;
constexpr int focusMargin = focusRingWidth + 1;

// `color` with its own alpha multiplied by `opacity` (clamped to 0..1, NaN as 0).
QColor withOpacity(QColor color, double opacity);

// Sets the foreground colour a QLabel (or any widget) draws its text with.
void setTextColor(QWidget *widget, const QColor &color);
// Draws the widget's text in the secondary colour, and remembers that, so
// followPalette() can recolour it when the desktop's theme changes.
void setSecondaryText(QWidget *widget);
// Recolours every secondary text under `root` from root's (new) palette.
void followPalette(QWidget *root);

} // namespace theme
