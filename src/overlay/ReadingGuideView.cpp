#include "overlay/ReadingGuideView.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QStaticText>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Bad input
//
// The settings arrive in range (AppSettings clamps them), but the view's size
// and the pointer position can be anything, so those are made safe here:
// - A view side that is not a positive number draws nothing; sides are capped
//   at kMaxExtent points, far above any real screen.
// - A NaN position reads as 0; positions are capped at kHuge in size. kHuge
//   is a thousand times kMaxExtent: a position beyond it looks the same as
//   kHuge (a band that far away is off the view), and every sum of these
//   numbers stays finite and exact enough.
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
    // The brackets' centre row and the height they frame (t + 40 tall).
    double bracketY = 0, bracketT = 0;
    // On a line: the reading strip's clear line and bands, else < 0.
    double stripH = -1, stripP = 0;
};

struct Strip
{
    double h;
    double p;
};
Strip stripFor(const Geometry &g);

// On a line of text from `top`, `height` tall: the band's centre yc and
// height t such that each style's drawing at the pointer's row (yc, t) lands
// where it belongs on the line.
void placeOnLine(Geometry &g, double top, double height)
{
    g.bracketY = top + height / 2;
    g.bracketT = height;
    switch (g.style) {
    case LineStyle::underline:
    case LineStyle::ruler: // its top edge (the red one) under the line
        g.yc = top + height + g.t / 2;
        break;
    case LineStyle::highlightBar: // drawn from yc - t to yc
        g.t = height;
        g.yc = top + height;
        break;
    case LineStyle::focusWindow:
        g.t = height;
        g.yc = top + height / 2;
        break;
    case LineStyle::readingStrip: {
        // The bands keep the width the settings give them; the clear line
        // between them is the text line.
        const double p = stripFor(g).p;
        g.stripH = height;
        g.stripP = p;
        g.t = height + 2 * p;
        g.yc = top + height / 2;
        break;
    }
    }
}

} // namespace

// placeOnLine() undone for the guide at the pointer's row.
double ReadingGuideView::lineTopAt(double y, double height, const AppSettings &settings)
{
    switch (settings.currentStyle()) {
    case LineStyle::underline:
    case LineStyle::ruler:
        return y - settings.customThickness() / 2.0 - height;
    case LineStyle::highlightBar:
        return y - height;
    case LineStyle::focusWindow:
    case LineStyle::readingStrip:
        break;
    }
    return y - height / 2;
}

namespace {

Geometry geometryFor(const ReadingGuideView &view, const QSizeF &size)
{
    Geometry g;
    if (!view.settings || !(size.width() > 0) || !(size.height() > 0))
        return g;
    g.W = std::min(size.width(), kMaxExtent);
    g.H = std::min(size.height(), kMaxExtent);
    const AppSettings &s = *view.settings;
    g.x = clampSigned(view.xPosition);
    g.yc = clampSigned(view.yPosition);
    g.t = s.customThickness();
    g.L = s.readingStripLineHeight();
    g.margin = g.W * s.verticalGuideMargin() / 100.0;
    g.style = s.currentStyle();
    g.brackets = s.verticalGuidesEnabled();
    g.bracketY = g.yc;
    g.bracketT = g.t;
    const double height = std::isfinite(view.lineHeight) ? std::min(view.lineHeight, kMaxExtent) : 0;
    if (height > 0)
        placeOnLine(g, g.yc, height);
    g.valid = true;
    return g;
}

// The reading strip's clear line h and band height p.
Strip stripFor(const Geometry &g)
{
    if (g.stripH >= 0)
        return {g.stripH, g.stripP};
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
    double lineHeight; // ascent + descent: the box a label is centred in
};

const LabelMetrics &labelMetrics()
{
    static const LabelMetrics metrics = [] {
        const QFontMetricsF fm(labelFont());
        return LabelMetrics{fm.ascent() + fm.descent()};
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

// Qt's rasteriser takes a slow path (over ten microseconds) for a rectangle
// more than some 64 device pixels tall whose edges are not on the pixel grid,
// such as a bracket of t + 40 = 95.5 points. Such a rectangle is drawn as its
// partial top and bottom pixel rows plus a row-aligned middle cut into slices
// on a fixed grid of device rows. At whole device pixel ratios the pieces
// meet on whole rows, so the pixels are those of the whole rectangle and the
// same wherever it is: a piece drawn on its own (the bracket's picture) has
// the pixels of the whole drawing. (At fractional ratios Qt's own rounding can differ by one unit
// at a side column, sliced or not.)
constexpr double kSliceRows = 32;

void fillSliced(QPainter &painter, const QRectF &rect, const QColor &color)
{
    const QTransform device = painter.deviceTransform();
    const double scale = device.m22();
    if (device.type() > QTransform::TxScale || !(scale > 0) || rect.height() * scale <= 2 * kSliceRows) {
        painter.fillRect(rect, color);
        return;
    }
    const double dy = device.dy();
    const auto toLogical = [&](double row) { return (row - dy) / scale; };
    const double top = rect.top() * scale + dy;
    const double bottom = rect.bottom() * scale + dy;
    const auto piece = [&](double from, double to) {
        painter.fillRect(QRectF(rect.left(), toLogical(from), rect.width(), toLogical(to) - toLogical(from)), color);
    };
    double row = std::ceil(top);
    if (row > top)
        piece(top, row);
    const double lastRow = std::floor(bottom);
    while (row < lastRow) {
        const double next = std::min(lastRow, (std::floor(row / kSliceRows) + 1) * kSliceRows);
        piece(row, next);
        row = next;
    }
    if (bottom > lastRow)
        piece(lastRow, bottom);
}

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
    fillSliced(c.painter, QRectF(left, top, right - left, bottom - top), color);
}

// The outline of the rectangle [left, right] x [top, bottom] stroked with a
// pen of `width` centred on the border, square (miter) corners. The stroke of
// a rectangle is the outer rectangle minus the inner one; it is filled as the
// two long sides across the whole width and the two short sides between them,
// which keeps every piece on the rasteriser's fast path (a path fill of the
// frame costs several times more on a wide screen). Where a short side meets
// a long one off the pixel grid, the corner pixel is covered by both pieces
// and comes out a shade stronger; these corners lie on the screen's left and
// right edges, half outside it.
void strokeRect(Canvas &c, double left, double top, double right, double bottom, double width, const QColor &color)
{
    if (color.alpha() == 0)
        return;
    const double hw = width / 2;
    if (right - left <= width || bottom - top <= width) { // no hole: the outline is one rectangle
        fill(c, left - hw, top - hw, right + hw, bottom + hw, color);
        return;
    }
    fill(c, left - hw, top - hw, right + hw, top + hw, color);
    fill(c, left - hw, bottom - hw, right + hw, bottom + hw, color);
    fill(c, left - hw, top + hw, left + hw, bottom - hw, color);
    fill(c, right - hw, top + hw, right + hw, bottom - hw, color);
}

// Ticks and labels of the ruler's scale, whose top edge is at `top`. Labels
// are not cut at the band's lower edge: on a thin band (0.6 t + 8 below the
// top edge is past the band when t < 20) they hang below it, still readable.
void paintScale(Canvas &c, const Geometry &g, double top, const QColor &black, double deviceScale)
{
    const LabelMetrics &lm = labelMetrics();
    const double longLength = 0.6 * g.t;
    const double scaleBottom = top + longLength + kLabelOffset + lm.lineHeight / 2 + kCoverSlack;
    if (scaleBottom < c.visible.top() || top > c.visible.bottom())
        return;

    // Only the ticks whose tick or label can reach the visible part.
    const double reach = maxLabelHalfWidth() + kCoverSlack;
    const double N = std::trunc(g.W / kTickSpacing);
    const double first = std::max(0.0, std::ceil((c.visible.left() - reach) / kTickSpacing));
    const double last = std::min(N, std::floor((c.visible.right() + reach) / kTickSpacing));
    if (!(last >= first))
        return;

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

// Band, red edge and scale of the ruler, drawn directly; `top` is the band's
// top edge.
void paintRulerLayers(Canvas &c, const Geometry &g, double top, const QColor &band, const QColor &red,
                      const QColor &black, double deviceScale)
{
    fill(c, 0, top, g.W, top + g.t, band);
    fill(c, 0, top, g.W, top + 2, red);
    if (black.alpha() != 0)
        paintScale(c, g, top, black, deviceScale);
}

// The ruler is the same picture wherever it is, so it is drawn once into a
// transparent layer and then blended in, pixel for pixel, at the band's place:
// the band, the red edge, some 480 antialiased ticks and 48 labels cost one
// image blend. The layer depends on where the top edge falls inside a device
// pixel, so a few are kept (pointer positions come in whole pixels, which
// gives one or two). Painting happens on the GUI thread only.
struct RulerLayer
{
    double W, t, scale, phase;
    QRgb band, ink;
    QImage image;
};

bool paintRulerCached(Canvas &c, const Geometry &g, double top, const QColor &band, const QColor &red,
                      const QColor &black)
{
    const QTransform device = c.painter.deviceTransform();
    if (device.type() > QTransform::TxScale || device.m11() != device.m22())
        return false;
    const double scale = device.m11();
    const double dx = device.dx(), dy = device.dy();
    if (!(scale >= 0.5 && scale <= 8) || dx != std::floor(dx) || dy != std::floor(dy))
        return false;
    const LabelMetrics &lm = labelMetrics();
    const double extent = std::max({g.t, 2.0, 0.6 * g.t + kLabelOffset + lm.lineHeight / 2 + kCoverSlack});
    const double widthPx = std::ceil((g.W + kBorder) * scale);
    const double heightPx = std::ceil(extent * scale) + 2;
    if (heightPx > 1024 || widthPx > 32768)
        return false; // a freak size: draw directly, nothing worth keeping

    const double topPx = top * scale + dy;
    if (!(std::abs(topPx) < 1e7))
        return false;
    const double basePx = std::floor(topPx);
    const double phase = topPx - basePx;
    const QRectF target(-dx / scale, (basePx - dy) / scale, widthPx / scale, heightPx / scale);
    if (!target.intersects(c.visible))
        return true;

    static auto *layers = new std::vector<RulerLayer>; // most recently used first
    auto it = std::find_if(layers->begin(), layers->end(), [&](const RulerLayer &l) {
        return l.W == g.W && l.t == g.t && l.scale == scale && l.phase == phase && l.band == band.rgba() &&
               l.ink == black.rgba();
    });
    if (it == layers->end()) {
        RulerLayer layer{g.W,         g.t,         scale,
                         phase,       band.rgba(), black.rgba(),
                         QImage(int(widthPx), int(heightPx), QImage::Format_ARGB32_Premultiplied)};
        if (layer.image.isNull())
            return false;
        layer.image.fill(Qt::transparent);
        layer.image.setDevicePixelRatio(scale);
        {
            QPainter lp(&layer.image);
            lp.setRenderHint(QPainter::Antialiasing, true);
            lp.setPen(Qt::NoPen);
            const QRectF bounds(-kBorder, -kBorder, g.W + 2 * kBorder, heightPx / scale + 2 * kBorder);
            Canvas lc{lp, bounds, bounds};
            paintRulerLayers(lc, g, phase / scale, band, red, black, scale);
        }
        if (layers->size() >= 4)
            layers->pop_back();
        layers->insert(layers->begin(), std::move(layer));
        it = layers->begin();
    } else if (it != layers->begin()) {
        std::rotate(layers->begin(), it, it + 1);
        it = layers->begin();
    }
    c.painter.drawImage(target.topLeft(), it->image);
    return true;
}

void paintRuler(Canvas &c, const Geometry &g, const AppSettings &s, double alpha)
{
    const double top = g.yc - g.t / 2;
    const QColor band = s.currentColor().toColor(alpha);
    const QColor red = CodableColor::fromColor(SystemColors::red()).toColor(alpha);
    const QColor black = CodableColor{0, 0, 0, 1}.toColor(alpha);
    if (red.alpha() == 0 && band.alpha() == 0) // nothing at this opacity
        return;
    if (!paintRulerCached(c, g, top, band, red, black)) {
        const double deviceScale = std::sqrt(std::abs(c.painter.deviceTransform().determinant()));
        paintRulerLayers(c, g, top, band, red, black, deviceScale);
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

void ReadingGuideView::paint(QPainter &painter, const QSizeF &size, int layers) const
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

    if (layers & BandLayer) {
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
    }

    if (g.brackets && (layers & BracketLayer)) {
        const QColor color = s.currentColor().toColor(s.verticalGuideOpacity());
        const double half = (g.bracketT + 40) / 2;
        const double by = g.bracketY;
        fill(c, g.x - g.margin - 1, by - half, g.x - g.margin + 1, by + half, color);
        fill(c, g.x + g.margin - 1, by - half, g.x + g.margin + 1, by + half, color);
    }

    painter.restore();
}

namespace {

// The parts of the view that a position can change: the full-width band and,
// with brackets, the two brackets. Whole points, cut to the view.
struct Covered
{
    QRectF band;
    QRectF left;
    QRectF right;
};

QRectF wholePoints(double left, double top, double right, double bottom, const Geometry &g)
{
    const QRectF view(0, 0, std::ceil(g.W), std::ceil(g.H));
    // Cut first so that floor/ceil never see huge numbers.
    left = std::floor(std::clamp(left - kCoverSlack, -1.0, view.right() + 1));
    right = std::ceil(std::clamp(right + kCoverSlack, -1.0, view.right() + 1));
    top = std::floor(std::clamp(top - kCoverSlack, -1.0, view.bottom() + 1));
    bottom = std::ceil(std::clamp(bottom + kCoverSlack, -1.0, view.bottom() + 1));
    return QRectF(QPointF(left, top), QPointF(right, bottom)).intersected(view);
}

Covered coveredParts(const Geometry &g)
{
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

    Covered parts;
    parts.band = wholePoints(0, top, g.W, bottom, g);
    if (g.brackets) {
        const double half = (g.bracketT + 40) / 2;
        const double by = g.bracketY;
        parts.left = wholePoints(g.x - g.margin - 1, by - half, g.x - g.margin + 1, by + half, g);
        parts.right = wholePoints(g.x + g.margin - 1, by - half, g.x + g.margin + 1, by + half, g);
    }
    return parts;
}

} // namespace

ReadingGuideView::Parts ReadingGuideView::parts(const QSizeF &size) const
{
    const Geometry g = geometryFor(*this, size);
    if (!g.valid)
        return {};
    const Covered covered = coveredParts(g);
    const QColor outside = g.style == LineStyle::focusWindow
                               ? CodableColor{0, 0, 0, 1}.toColor(settings->customOpacity())
                               : QColor(Qt::transparent);
    return {covered.band, covered.left, covered.right, outside};
}
