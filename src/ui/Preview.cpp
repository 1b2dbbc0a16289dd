#include "ui/Preview.h"

#include "ui/Theme.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace preview {

namespace {

// A size read from the settings as a drawable length: NaN and negatives are 0,
// infinity stays (every use caps it).
double length(double v)
{
    return v > 0 ? v : 0.0;
}

QColor guideColor(const Params &params, double opacity)
{
    return theme::withOpacity(params.color, opacity);
}

QColor black(double opacity)
{
    return theme::withOpacity(QColor(Qt::black), opacity);
}

} // namespace

Params Params::from(const AppSettings &settings)
{
    Params p;
    p.style = settings.currentStyle();
    p.color = settings.currentColor().toColor();
    p.opacity = settings.customOpacity();
    p.thickness = settings.customThickness();
    p.lineHeight = settings.readingStripLineHeight();
    p.bracketsEnabled = settings.verticalGuidesEnabled();
    p.bracketMargin = settings.verticalGuideMargin();
    p.bracketOpacity = settings.verticalGuideOpacity();
    return p;
}

double bandHeight(double thickness)
{
    return std::min(length(thickness), 30.0);
}

QRectF focusWindow(const QRectF &stack, double thickness)
{
    const double h = std::min(length(thickness), 40.0);
    return QRectF(stack.left(), stack.top() + (stack.height() - h) / 2, stack.width(), h);
}

StripGeometry readingStrip(double thickness, double lineHeight)
{
    StripGeometry g;
    g.total = std::min(length(thickness), 40.0);
    // A strip below 4 high would need a negative clear line: draw none and let
    // the two bands share the strip equally.
    g.line = std::max(std::min(g.total - 4, length(lineHeight)), 0.0);
    g.band = std::max((g.total - g.line) / 2, 0.0);
    return g;
}

QList<Tick> rulerTicks(double width, double height)
{
    QList<Tick> ticks;
    if (!(width >= 0) || !std::isfinite(width)) return ticks;
    const int n = static_cast<int>(std::min(width / 3, 100000.0));
    const double h = length(height);
    ticks.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
        double w = 0.5;
        double factor = 0.25;
        if (i % 10 == 0) {
            w = 1.5;
            factor = 0.6;
        } else if (i % 5 == 0) {
            w = 1.0;
            factor = 0.4;
        }
        ticks.append({QRectF(3.0 * i - w / 2, 2, w, h * factor), factor});
    }
    return ticks;
}

QList<QRectF> bracketBars(const QRectF &stack, const Params &params)
{
    if (!params.bracketsEnabled) return {};
    const double W = stack.width();
    // A hand-edited margin far outside the slider's range just pushes the bars
    // off the page.
    const double d = std::min(W * length(params.bracketMargin) / 100, W);
    const double h = bandHeight(params.thickness) + 20;
    const double cx = stack.left() + W / 2;
    const double cy = stack.top() + guideCentreY;
    return {QRectF(cx - d - 1, cy - h / 2, 2, h), QRectF(cx + d - 1, cy - h / 2, 2, h)};
}

void mockText(QPainter &painter, const QRectF &stack, const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme::withOpacity(theme::secondary(palette), 0.2));
    // Six bars 12 high, 8 apart: 112 in all, centred in the 120-high page.
    const double top = stack.top() + (stack.height() - 112) / 2;
    for (int i = 0; i < 6; ++i) {
        const double w = i == 5 ? std::min(200.0, stack.width()) : stack.width();
        painter.drawRoundedRect(QRectF(stack.left(), top + 20 * i, w, 12), 2, 2);
    }
    painter.restore();
}

void previewLine(QPainter &painter, const QRectF &stack, const Params &params)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    const double W = stack.width();
    const double centreY = stack.top() + guideCentreY;
    switch (params.style) {
    case LineStyle::underline:
    case LineStyle::highlightBar: {
        const double h = bandHeight(params.thickness);
        painter.fillRect(QRectF(stack.left(), centreY - h / 2, W, h), guideColor(params, params.opacity));
        break;
    }
    case LineStyle::focusWindow: {
        const QRectF window = focusWindow(stack, params.thickness);
        const QColor dim = black(params.opacity);
        painter.fillRect(QRectF(stack.left(), stack.top(), W, window.top() - stack.top()), dim);
        painter.fillRect(QRectF(stack.left(), window.bottom(), W, stack.bottom() - window.bottom()), dim);
        break;
    }
    case LineStyle::ruler: {
        const double h = bandHeight(params.thickness);
        rulerPreview(painter, QRectF(stack.left(), centreY - h / 2, W, h), params);
        break;
    }
    case LineStyle::readingStrip: {
        const StripGeometry g = readingStrip(params.thickness, params.lineHeight);
        readingStripPreview(painter, stack.left(), centreY - g.total / 2, W, params);
        break;
    }
    }
    painter.restore();
}

void rulerPreview(QPainter &painter, const QRectF &band, const Params &params)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.fillRect(band, guideColor(params, params.opacity));
    painter.fillRect(QRectF(band.left(), band.top(), band.width(), 2),
                     theme::withOpacity(theme::systemRed(), params.opacity));
    painter.translate(band.topLeft());
    painter.setBrush(black(params.opacity));
    for (const Tick &tick : rulerTicks(band.width(), band.height()))
        painter.drawRect(tick.rect);
    painter.restore();
}

void readingStripPreview(QPainter &painter, double left, double top, double width, const Params &params)
{
    const StripGeometry g = readingStrip(params.thickness, params.lineHeight);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor band = guideColor(params, params.opacity);
    painter.fillRect(QRectF(left, top, width, g.band), band);
    painter.fillRect(QRectF(left, top + g.band + g.line, width, g.band), band);
    if (g.line > 0) {
        painter.setPen(QPen(guideColor(params, params.opacity * 0.5), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(left, top + g.band, width, g.line));
    }
    painter.restore();
}

void previewVerticalGuides(QPainter &painter, const QRectF &stack, const Params &params)
{
    const QList<QRectF> bars = bracketBars(stack, params);
    if (bars.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const QRectF &bar : bars)
        painter.fillRect(bar, guideColor(params, params.bracketOpacity));
    painter.restore();
}

void previewSection(QPainter &painter, const QRectF &panel, const Params &params, const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath shape;
    shape.addRoundedRect(panel, 8, 8);
    painter.fillPath(shape, theme::textBackground(palette));

    painter.save();
    painter.setClipPath(shape);
    const QRectF stack = panel.adjusted(panelPadding, panelPadding, -panelPadding, -panelPadding);
    mockText(painter, stack, palette);
    previewLine(painter, stack, params);
    previewVerticalGuides(painter, stack, params);
    painter.restore();

    painter.setPen(QPen(theme::withOpacity(theme::secondary(palette), 0.2), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.restore();
}

void stylePreview(QPainter &painter, const QRectF &area, LineStyle style, const QColor &color,
                  const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF frame(area.center().x() - miniatureWidth / 2, area.center().y() - miniatureHeight / 2,
                       miniatureWidth, miniatureHeight);
    QPainterPath clip;
    clip.addRoundedRect(frame, 4, 4);
    painter.setClipPath(clip, Qt::IntersectClip);
    painter.setPen(Qt::NoPen);

    const double cy = frame.center().y();
    const double left = frame.left();
    const double W = frame.width();

    // The page behind covers what the layers cover: the whole frame for the
    // underline (its line sits on the bottom edge), 30 for the focus window,
    // and the text layer's 26 otherwise.
    double backgroundHeight = 26;
    if (style == LineStyle::underline)
        backgroundHeight = miniatureHeight;
    else if (style == LineStyle::focusWindow)
        backgroundHeight = 30;
    painter.fillRect(QRectF(left, cy - backgroundHeight / 2, W, backgroundHeight),
                     theme::textBackground(palette));

    // Text layer: four bars 3 high, 2 apart, padded 4 (52 wide, 26 high).
    painter.setBrush(theme::withOpacity(theme::secondary(palette), 0.15));
    const double textTop = cy - 13 + 4;
    for (int i = 0; i < 4; ++i)
        painter.drawRoundedRect(QRectF(left + 4, textTop + 5 * i, W - 8, 3), 1, 1);

    switch (style) {
    case LineStyle::underline:
        painter.fillRect(QRectF(left, frame.bottom() - 2, W, 2), theme::withOpacity(color, 0.7));
        break;
    case LineStyle::highlightBar:
        painter.fillRect(QRectF(left, cy - 5, W, 10), theme::withOpacity(color, 0.4));
        break;
    case LineStyle::focusWindow: {
        const QColor dim = theme::withOpacity(QColor(Qt::black), 0.6);
        painter.fillRect(QRectF(left, cy - 15, W, 8), dim);
        painter.fillRect(QRectF(left, cy + 7, W, 8), dim);
        break;
    }
    case LineStyle::ruler: {
        // 11 high in all: centred it would sit on half pixels, so it is
        // snapped half a point up to stay crisp.
        const double top = std::floor(cy - 5.5);
        painter.fillRect(QRectF(left, top, W, 1), theme::withOpacity(theme::systemRed(), 0.8));
        painter.fillRect(QRectF(left, top + 1, W, 10), theme::withOpacity(color, 0.9));
        break;
    }
    case LineStyle::readingStrip: {
        const QColor band = theme::withOpacity(color, 0.5);
        painter.fillRect(QRectF(left, cy - 9, W, 6), band);
        painter.fillRect(QRectF(left, cy + 3, W, 6), band);
        break;
    }
    }
    painter.restore();
}

} // namespace preview
