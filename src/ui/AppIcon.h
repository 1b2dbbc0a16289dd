#pragma once

// The application's icon: a rounded square shading from blue (top left) to
// purple (bottom right) with three white bars, the middle one strongest, like
// a guide over lines of text. data/tovani.svg is the same drawing for the
// desktop's icon theme.

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>

// Paints the icon filling `rect` (designed at 100 x 100; other sizes scale).
// With a shadow, a soft black shadow (20 %, blur 10, 5 down at 100 x 100) is
// painted first; it spills up to shadowMargin() outside `rect`.
void paintAppIcon(QPainter &painter, const QRectF &rect, bool withShadow = false);

// How far the shadow of an icon of `side` reaches beyond it on each side
// (below: add shadowOffset(side)).
double appIconShadowMargin(double side);
double appIconShadowOffset(double side);

// The icon rendered at `pixels` x `pixels`, no shadow.
QImage appIconImage(int pixels);
// A window icon with the usual sizes.
QIcon appIcon();
