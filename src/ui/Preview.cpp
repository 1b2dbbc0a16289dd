#include "ui/Preview.h"

#include "overlay/ReadingGuideView.h"
#include "ui/Theme.h"

#include <QImage>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace preview {

QRectF page(const QRectF &panel)
{
    return panel.adjusted(panelPadding, panelPadding, -panelPadding, -panelPadding);
}

QPointF pointer(const QSizeF &size)
{
    return {size.width() / 2, size.height() / 2};
}

void background(QPainter &painter, const QRectF &panel, const QPalette &palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath shape;
    shape.addRoundedRect(panel, 8, 8);
    painter.fillPath(shape, theme::textBackground(palette));
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme::withOpacity(theme::secondary(palette), 0.2));
    // Six bars 12 high, 8 apart: 112 in all, centred in the 120-high page.
    const QRectF text = page(panel);
    const double top = text.top() + (text.height() - 112) / 2;
    for (int i = 0; i < 6; ++i) {
        const double w = i == 5 ? std::min(200.0, text.width()) : text.width();
        painter.drawRoundedRect(QRectF(text.left(), top + 20 * i, w, 12), 2, 2);
    }
    painter.restore();
}

void guide(QPainter &painter, const QRectF &page, const AppSettings &settings)
{
    // Drawn as on screen: the overlay paints onto a transparent window of its
    // own, which the compositor lays over the desktop. Here the window is an
    // image of the page's size, laid over the page.
    const QPaintDevice *device = painter.device();
    const double dpr = device ? device->devicePixelRatioF() : 1.0;
    const QSize pixels = (page.size() * dpr).toSize();
    if (pixels.isEmpty()) return;
    QImage window(pixels, QImage::Format_ARGB32_Premultiplied);
    if (window.isNull()) return;
    window.setDevicePixelRatio(dpr);
    window.fill(Qt::transparent);
    {
        QPainter overlay(&window);
        const QPointF at = pointer(page.size());
        ReadingGuideView(at.x(), at.y(), settings).paint(overlay, page.size());
    }
    painter.drawImage(page.topLeft(), window);
}

void previewSection(QPainter &painter, const QRectF &panel, const AppSettings &settings, const QPalette &palette)
{
    background(painter, panel, palette);
    guide(painter, page(panel), settings);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
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
