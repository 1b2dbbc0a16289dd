#include "overlay/DisplayGuide.h"

#include "settings/Settings.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
// Pictures kept per display: the band and the two brackets (whose pictures
// differ when the margin is not whole), plus a few cut at the edges.
constexpr std::size_t kKeptPictures = 8;
} // namespace

DisplayGuide::DisplayGuide(const platform::Display &display, AppSettings &settings,
                           platform::GuideSurfaces &surfaces, bool compositing, QObject *parent)
    : QObject(parent), m_display(display), m_settings(settings), m_surfaces(surfaces),
      m_position(display.frame.left(), display.frame.bottom()), m_compositing(compositing)
{
    // Created bottom to top: the shade, the band, the brackets over it.
    for (Piece *piece : pieces())
        piece->surface = surfaces.create(display);
    connect(&m_settings, &AppSettings::changed, this, &DisplayGuide::settingsChanged);
    place();
}

DisplayGuide::~DisplayGuide() = default;

void DisplayGuide::moveTo(const QPointF &global, double lineHeight)
{
    if (!std::isfinite(global.x()) || !std::isfinite(global.y()))
        return;
    // A height that is no number or not positive: at the pointer.
    lineHeight = lineHeight > 0 && std::isfinite(lineHeight) ? lineHeight : 0;
    if (global == m_position && lineHeight == m_lineHeight)
        return;
    m_position = global;
    m_lineHeight = lineHeight;
    place();
}

void DisplayGuide::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    for (Piece *piece : pieces())
        piece->surface->setVisible(visible && piece->hasContent);
}

void DisplayGuide::setCompositing(bool compositing)
{
    if (compositing == m_compositing)
        return;
    m_compositing = compositing;
    settingsChanged();
}

void DisplayGuide::settingsChanged()
{
    m_pictures.clear();
    for (Piece *piece : pieces()) {
        piece->shown = Key();
        piece->color = QColor();
    }
    place();
    // Shown now, not with the next move.
    m_surfaces.commit();
}

// Without a compositor only the band around the line is kept: the guide's
// rectangles, and for the focus window the shade next to the clear band.
QRectF DisplayGuide::opaqueBand(const ReadingGuideView &view) const
{
    const QSizeF size = m_display.frame.size();
    // On a line the styles lie around the line's middle, the ruler's scale
    // at most half the line further down than at the pointer.
    const double h = view.lineHeight;
    const double t = std::min(std::max(m_settings.customThickness(), h), size.height());
    const double half = t / 2 + std::max(t, 20.0) + 2 + h / 2;
    const QRectF band(0, std::floor(view.yPosition + h / 2 - half), size.width(), std::ceil(2 * half) + 1);
    return band & QRectF(QPointF(0, 0), size);
}

void DisplayGuide::place()
{
    const QPointF local = m_position - m_display.frame.topLeft();
    const ReadingGuideView view = ReadingGuideView::onLine(local.x(), local.y(), m_lineHeight, m_settings);
    const QSizeF size = m_display.frame.size();
    const ReadingGuideView::Parts parts = view.parts(size);

    const QRectF band = m_compositing ? parts.band : opaqueBand(view);
    placePiece(m_band, ReadingGuideView::BandLayer, band, view);

    // The band layer outside the band is one colour: a plain surface over
    // the display with the band left clear. Moving the band changes only
    // the rows it leaves and enters, not the whole display: a compositor
    // then blends two strips again, not the whole screen.
    placeShade(band, m_compositing ? parts.outside : QColor(Qt::transparent));

    placePiece(m_left, ReadingGuideView::BracketLayer, parts.left, view);
    placePiece(m_right, ReadingGuideView::BracketLayer, parts.right, view);
}

void DisplayGuide::placePiece(Piece &piece, int layer, const QRectF &local, const ReadingGuideView &view)
{
    piece.hasContent = !local.isEmpty();
    if (piece.hasContent) {
        // The band looks the same at every x.
        const double dx = layer == ReadingGuideView::BandLayer ? 0 : view.xPosition - local.left();
        const Key key{layer, local.size(), QPointF(dx, view.yPosition - local.top()), view.lineHeight};
        if (!(key == piece.shown)) {
            piece.surface->setImage(picture(key, local, view));
            piece.shown = key;
        }
        piece.surface->setGeometry(local.translated(m_display.frame.topLeft()));
    }
    piece.surface->setVisible(m_visible && piece.hasContent);
}

void DisplayGuide::placeShade(const QRectF &clear, const QColor &color)
{
    Piece &piece = m_shade;
    piece.hasContent = color.alpha() > 0;
    if (piece.hasContent) {
        if (color != piece.color) {
            piece.surface->setColor(color);
            piece.surface->setGeometry(m_display.frame);
            piece.color = color;
        }
        piece.surface->setClearRect(clear.translated(m_display.frame.topLeft()));
    }
    piece.surface->setVisible(m_visible && piece.hasContent);
}

QImage DisplayGuide::picture(const Key &key, const QRectF &local, const ReadingGuideView &view)
{
    auto it = std::find_if(m_pictures.begin(), m_pictures.end(), [&](const auto &p) { return p.first == key; });
    if (it != m_pictures.end()) {
        std::rotate(m_pictures.begin(), it, it + 1);
        return m_pictures.front().second;
    }
    const qreal dpr = m_display.devicePixelRatio > 0 ? m_display.devicePixelRatio : 1.0;
    QImage image = paintPiece(view, m_display.frame.size(), dpr, local, key.layer);
    ++m_draws;
    if (m_pictures.size() >= kKeptPictures)
        m_pictures.pop_back();
    m_pictures.insert(m_pictures.begin(), {key, image});
    return image;
}

QImage DisplayGuide::paintPiece(const ReadingGuideView &view, const QSizeF &size, qreal dpr, const QRectF &local,
                                int layer)
{
    QImage image((local.size() * dpr).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-local.topLeft());
    view.paint(painter, size, layer);
    return image;
}
