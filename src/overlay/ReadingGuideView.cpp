#include "overlay/ReadingGuideView.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QStaticText>

#include <algorithm>
#include <cmath>

namespace {

// ---------------------------------------------------------------------------
// Bad input
//
// The settings store holds whatever a writer put there, and a hand-edited file
// can hold anything, so every number is made safe here before it is drawn:
// - A view side that is not a positive number draws nothing; sides are capped
//   at kMaxExtent points, far above any real screen.
// - A NaN position reads as 0, the position before the first pointer move.
// - Positions, thickness, line height and the bracket margin are capped at
//   kHuge in size (a NaN or negative thickness or line height is 0, a NaN
//   margin is 0). kHuge is a thousand times kMaxExtent, so a band that far
//   away or that thick looks the same as with the real value, while every sum
//   of these numbers stays finite and exact enough.
// - Opacities are clamped into 0..1 by CodableColor::toColor (NaN is 0).
// - Every rectangle is cut down to the view plus a small border before it
//   reaches the painter, so no huge coordinate reaches the rasteriser.
// - The ruler's tick loop walks only the ticks that can touch the visible part
//   of the view (the clip, the device and the view itself), so a huge or odd
//   width never makes it long.
constexpr double kMaxExtent = 1 << 20;
constexpr double kHuge = 1e9;
// Border kept around the view when cutting rectangles: enough that the
// antialiased edge of a shape that ends just outside the view is unchanged.
constexpr double kBorder = 2.0;
// Added around everything that moves with the pointer: antialiased edges, the
// half width of the reading line's stroke and the ink of the tick labels.
constexpr double kCoverSlack = 2.0;

// Ruler scale constants.
constexpr double kTickSpacing = 3.0;
constexpr double kLabelFontSize = 10.0;
constexpr double kLabelOffset = 8.0;

double clampLength(double v)
{
    if (!(v > 0)) // NaN, zero and negatives
        return 0;
    return std::min(v, kHuge);
}

double clampSigned(double v)
{
    if (std::isnan(v))
        return 0;
    return std::clamp(v, -kHuge, kHuge);
}

// Everything the drawing needs, in drawing coordinates (points, y down).
struct Geometry
{
    bool valid = false;
    double W = 0, H = 0;
    double x = 0, yc = 0;
    double t = 0;
    double L = 0;
    double margin = 0; // bracket offset m in points
    LineStyle style = LineStyle::underline;
    bool brackets = false;
};

Geometry geometryFor(const ReadingGuideView &view, const QSizeF &size)
{
    Geometry g;
    if (!view.settings || !(size.width() > 0) || !(size.height() > 0))
        return g;
    g.W = std::min(size.width(), kMaxExtent);
    g.H = std::min(size.height(), kMaxExtent);
    const AppSettings &s = *view.settings;
    g.x = clampSigned(view.xPosition);
    g.yc = g.H - clampSigned(view.yPosition);
    g.t = clampLength(s.customThickness());
    g.L = clampLength(s.readingStripLineHeight());
    g.margin = g.W * clampSigned(s.verticalGuideMargin()) / 100.0;
    g.style = s.currentStyle();
    g.brackets = s.verticalGuidesEnabled();
    g.valid = true;
    return g;
}

// The reading strip's clear line h and band height p.
struct Strip
{
    double h;
    double p;
};

Strip stripFor(const Geometry &g)
{
    const double h = g.t - 2 < g.L ? g.t - 2 : g.L;
    const double p = std::max((g.t - h) / 2, 0.0);
    // A strip thinner than 2 points has a "line" of negative height; its
    // outline is then drawn around a line of height 0.
    return {std::max(h, 0.0), p};
}

// ---------------------------------------------------------------------------
// Tick labels
//
// The ruler shows about N/10 numbers on every redraw. Their layout and glyphs
// are prepared once per number and device scale and kept for the life of the
// process.

const QFont &labelFont()
{
    static const QFont *font = [] {
        auto *f = new QFont;
        // Rounded letterforms where such a face is installed, else any bold sans.
        f->setFamilies({QStringLiteral("Quicksand"), QStringLiteral("Nunito"), QStringLiteral("Varela Round"),
                        QStringLiteral("M PLUS Rounded 1c"), QStringLiteral("Comfortaa"),
                        QStringLiteral("Arial Rounded MT Bold"), QStringLiteral("DejaVu Sans"),
                        QStringLiteral("sans-serif")});
        f->setStyleHint(QFont::SansSerif);
        f->setPixelSize(int(kLabelFontSize));
        f->setWeight(QFont::Bold);
        return f;
    }();
    return *font;
}

struct LabelMetrics
{
    double ascent;
    double lineHeight; // ascent + descent: the box the label is centred in
};

const LabelMetrics &labelMetrics()
{
    static const LabelMetrics metrics = [] {
        const QFontMetricsF fm(labelFont());
        return LabelMetrics{fm.ascent(), fm.ascent() + fm.descent()};
    }();
    return metrics;
}

struct Label
{
    QStaticText text;
    double advance = 0;
};

const Label &labelFor(int number, double deviceScale)
{
    // Leaked on purpose: the fonts must not be destroyed after the application.
    static auto *cache = new QHash<quint64, Label>;
    const quint64 key = (quint64(quint32(std::lround(deviceScale * 64))) << 32) | quint32(number);
    auto it = cache->find(key);
    if (it == cache->end()) {
        Label label;
        const QString digits = QString::number(number);
        label.text.setText(digits);
        label.text.setTextFormat(Qt::PlainText);
        label.text.setPerformanceHint(QStaticText::AggressiveCaching);
        label.text.prepare(QTransform::fromScale(deviceScale, deviceScale), labelFont());
        label.advance = QFontMetricsF(labelFont()).horizontalAdvance(digits);
        it = cache->insert(key, label);
    }
    return *it;
}

// Half the width of the widest label on any view up to kMaxExtent (six
// digits), generously.
double maxLabelHalfWidth() { return 4 * kLabelFontSize; }

// ---------------------------------------------------------------------------
// Painting helpers

struct Canvas
{
    QPainter &painter;
    QRectF bounds;  // the view plus a border: nothing is drawn outside it
    QRectF visible; // the part that can actually change pixels
};

void fill(Canvas &c, double left, double top, double right, double bottom, const QColor &color)
{
    if (color.alpha() == 0)
        return;
    left = std::max(left, c.bounds.left());
    top = std::max(top, c.bounds.top());
    right = std::min(right, c.bounds.right());
    bottom = std::min(bottom, c.bounds.bottom());
    if (!(right > left) || !(bottom > top))
        return;
    if (right < c.visible.left() || left > c.visible.right() || bottom < c.visible.top() ||
        top > c.visible.bottom())
        return;
    c.painter.fillRect(QRectF(left, top, right - left, bottom - top), color);
}

// The outline of the rectangle [left, right] x [top, bottom] stroked with a
// pen of `width` centred on the border, square (miter) corners. The stroke of
// a rectangle is the outer rectangle minus the inner one, so it is filled as
// that frame: one rasterisation, no stroker.
void strokeRect(Canvas &c, double left, double top, double right, double bottom, double width, const QColor &color)
{
    if (color.alpha() == 0)
        return;
    const double hw = width / 2;
    const QRectF outer = QRectF(QPointF(left - hw, top - hw), QPointF(right + hw, bottom + hw)).intersected(c.bounds);
    if (outer.isEmpty() || !outer.intersects(c.visible))
        return;
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(outer);
    if (right - left > width && bottom - top > width) {
        const QRectF inner =
            QRectF(QPointF(left + hw, top + hw), QPointF(right - hw, bottom - hw)).intersected(c.bounds);
        if (!inner.isEmpty())
            path.addRect(inner);
    }
    c.painter.fillPath(path, color);
}

void paintRuler(Canvas &c, const Geometry &g, const AppSettings &s, double alpha)
{
    const double top = g.yc - g.t / 2;
    fill(c, 0, top, g.W, g.yc + g.t / 2, s.currentColor().toColor(alpha));
    fill(c, 0, top, g.W, top + 2, CodableColor::fromColor(SystemColors::red()).toColor(alpha));

    const QColor black = CodableColor{0, 0, 0, 1}.toColor(alpha);
    if (black.alpha() == 0)
        return;

    const LabelMetrics &lm = labelMetrics();
    const double longLength = 0.6 * g.t;
    const double scaleBottom = std::max(top + longLength, top + longLength + kLabelOffset + lm.lineHeight / 2) +
                               kCoverSlack;
    if (scaleBottom < c.visible.top() || top > c.visible.bottom())
        return;

    // Only the ticks whose tick or label can reach the visible part.
    const double reach = maxLabelHalfWidth() + kCoverSlack;
    const double N = std::trunc(g.W / kTickSpacing);
    const double first = std::max(0.0, std::ceil((c.visible.left() - reach) / kTickSpacing));
    const double last = std::min(N, std::floor((c.visible.right() + reach) / kTickSpacing));
    if (!(last >= first))
        return;

    const double deviceScale = std::sqrt(std::abs(c.painter.deviceTransform().determinant()));
    c.painter.setPen(black);
    c.painter.setFont(labelFont());
    for (qint64 i = qint64(first); i <= qint64(last); ++i) {
        const double xi = double(i) * kTickSpacing;
        double width, length;
        if (i % 10 == 0) {
            width = 1.5;
            length = longLength;
        } else if (i % 5 == 0) {
            width = 1.0;
            length = 0.4 * g.t;
        } else {
            width = 0.5;
            length = 0.25 * g.t;
        }
        fill(c, xi - width / 2, top, xi + width / 2, top + length, black);
        if (i % 10 == 0 && i != 0) {
            const Label &label = labelFor(int(i / 10), deviceScale);
            const double cy = top + length + kLabelOffset;
            const QPointF topLeft(xi - label.advance / 2, cy - lm.lineHeight / 2);
            const QRectF box(topLeft, QSizeF(label.advance, lm.lineHeight));
            if (box.adjusted(-kCoverSlack, -kCoverSlack, kCoverSlack, kCoverSlack).intersects(c.visible) &&
                box.intersects(c.bounds))
                c.painter.drawStaticText(topLeft, label.text);
        }
    }
}

QRectF visibleArea(const QPainter &painter, const QRectF &bounds)
{
    QRectF visible = bounds;
    const QTransform toLogical = painter.deviceTransform().inverted();
    if (painter.hasClipping())
        visible &= painter.clipBoundingRect();
    if (const QPaintEngine *engine = painter.paintEngine()) {
        const QRegion systemClip = engine->systemClip();
        if (!systemClip.isEmpty())
            visible &= toLogical.mapRect(QRectF(systemClip.boundingRect()));
    }
    if (const QPaintDevice *device = painter.device()) {
        // Widgets count in logical units, images in pixels; scaling both by the
        // ratio gives at least the device's extent in logical units.
        const double dpr = std::max(1.0, device->devicePixelRatioF());
        visible &= toLogical.mapRect(QRectF(0, 0, device->width() * dpr, device->height() * dpr));
    }
    return visible;
}

} // namespace

void ReadingGuideView::paint(QPainter &painter, const QSizeF &size) const
{
    const Geometry g = geometryFor(*this, size);
    if (!g.valid)
        return;
    const AppSettings &s = *settings;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::NoBrush);

    const QRectF bounds(-kBorder, -kBorder, g.W + 2 * kBorder, g.H + 2 * kBorder);
    Canvas c{painter, bounds, visibleArea(painter, bounds)};
    if (c.visible.isEmpty()) {
        painter.restore();
        return;
    }

    const double alpha = s.customOpacity();
    const double t = g.t;
    const double yc = g.yc;

    switch (g.style) {
    case LineStyle::underline:
        fill(c, 0, yc - t / 2, g.W, yc + t / 2, s.currentColor().toColor(alpha));
        break;
    case LineStyle::highlightBar:
        fill(c, 0, yc - t, g.W, yc, s.currentColor().toColor(alpha));
        break;
    case LineStyle::focusWindow: {
        const QColor shade = CodableColor{0, 0, 0, 1}.toColor(alpha);
        const double upper = std::max(yc - t / 2, 0.0);
        const double lower = std::max(g.H - yc - t / 2, 0.0);
        fill(c, 0, 0, g.W, upper, shade);
        fill(c, 0, g.H - lower, g.W, g.H, shade);
        break;
    }
    case LineStyle::ruler:
        paintRuler(c, g, s, alpha);
        break;
    case LineStyle::readingStrip: {
        const Strip strip = stripFor(g);
        const QColor band = s.currentColor().toColor(alpha);
        const double top = yc - t / 2;
        const double bottom = yc + t / 2;
        fill(c, 0, top, g.W, top + strip.p, band);
        fill(c, 0, bottom - strip.p, g.W, bottom, band);
        strokeRect(c, 0, yc - strip.h / 2, g.W, yc + strip.h / 2, 1.0, s.currentColor().toColor(alpha * 0.5));
        break;
    }
    }

    if (g.brackets) {
        const QColor color = s.currentColor().toColor(s.verticalGuideOpacity());
        const double half = (t + 40) / 2;
        fill(c, g.x - g.margin - 1, yc - half, g.x - g.margin + 1, yc + half, color);
        fill(c, g.x + g.margin - 1, yc - half, g.x + g.margin + 1, yc + half, color);
    }

    painter.restore();
}

QRectF ReadingGuideView::coveredRect(const QSizeF &size) const
{
    const Geometry g = geometryFor(*this, size);
    if (!g.valid)
        return {};
    const double t = g.t;
    const double yc = g.yc;
    double top = yc - t / 2;
    double bottom = yc + t / 2;

    switch (g.style) {
    case LineStyle::underline:
    case LineStyle::focusWindow:
        // The focus window's shades look the same outside the clear band
        // wherever the band is, so only the band itself moves.
        break;
    case LineStyle::highlightBar:
        top = yc - t;
        bottom = yc;
        break;
    case LineStyle::ruler: {
        // The red edge is 2 points even on a thinner band; labels hang at
        // 0.6 t + 8 below the top edge and may reach past a thin band.
        const LabelMetrics &lm = labelMetrics();
        bottom = std::max({bottom, top + 2, top + 0.6 * t + kLabelOffset + lm.lineHeight / 2});
        break;
    }
    case LineStyle::readingStrip: {
        const Strip strip = stripFor(g);
        top = std::min({top, yc + t / 2 - strip.p, yc - strip.h / 2 - 0.5});
        bottom = std::max({bottom, yc - t / 2 + strip.p, yc + strip.h / 2 + 0.5});
        break;
    }
    }

    if (g.brackets) {
        top = std::min(top, yc - (t + 40) / 2);
        bottom = std::max(bottom, yc + (t + 40) / 2);
    }

    top = std::floor(std::max(top - kCoverSlack, -1.0));
    bottom = std::ceil(std::min(bottom + kCoverSlack, g.H + 1));
    const QRectF rect(QPointF(0, top), QPointF(std::ceil(g.W), bottom));
    return rect.intersected(QRectF(0, 0, std::ceil(g.W), std::ceil(g.H)));
}
