#pragma once

// The guide on one display, made of surfaces the window system moves: the
// band (the style's pixels around the line), for the focus window a shade
// over the display with the band left clear, and the two brackets. Moving the guide places
// the surfaces again; their pixels are drawn only when the settings or the
// compositing change, or when the part that shows changes (at the display's
// edges). Drawing is ReadingGuideView's, so the surfaces show exactly what it
// paints.

#include "overlay/ReadingGuideView.h"
#include "platform/Platform.h"

#include <QObject>
#include <QPointF>

#include <array>
#include <memory>
#include <vector>

class AppSettings;

class DisplayGuide : public QObject
{
    Q_OBJECT
public:
    // Hidden, with the guide at the display's lower-left corner, where it
    // stays until the pointer first moves over this display. With a
    // compositor the pieces are translucent; without one they show opaque,
    // and the focus window's shades only near the line (not a screen gone
    // black).
    DisplayGuide(const platform::Display &display, AppSettings &settings, platform::GuideSurfaces &surfaces,
                 bool compositing, QObject *parent = nullptr);
    ~DisplayGuide() override;

    const platform::Display &display() const { return m_display; }

    // Moves the guide to a position in global coordinates. Not finite: ignored.
    // With a line height (> 0) the guide stands on a line of text whose top
    // is at the position's y (see ReadingGuideView::onLine); the pictures are
    // drawn again only when the height changes.
    void moveTo(const QPointF &global, double lineHeight = 0);
    QPointF position() const { return m_position; }
    double lineHeight() const { return m_lineHeight; }

    void setVisible(bool visible);
    bool isVisible() const { return m_visible; }

    void setCompositing(bool compositing);
    bool isCompositing() const { return m_compositing; }

    // How many pictures were drawn so far.
    int drawCount() const { return m_draws; }

    // The picture of `local` (points of a display of `size`) in `layer`,
    // at `dpr` device pixels per point.
    static QImage paintPiece(const ReadingGuideView &view, const QSizeF &size, qreal dpr, const QRectF &local,
                             int layer);

private:
    struct Piece;
    struct Key
    {
        int layer = 0;
        QSizeF size;
        QPointF offset; // the guide's position relative to the piece
        double lineHeight = 0;
        bool operator==(const Key &o) const = default;
    };

    void place();
    void placePiece(Piece &piece, int layer, const QRectF &local, const ReadingGuideView &view);
    void placeShade(const QRectF &clear, const QColor &color);
    QImage picture(const Key &key, const QRectF &local, const ReadingGuideView &view);
    void settingsChanged();
    QRectF opaqueBand(const ReadingGuideView &view) const;

    platform::Display m_display;
    AppSettings &m_settings;
    platform::GuideSurfaces &m_surfaces;
    QPointF m_position;
    double m_lineHeight = 0;
    bool m_visible = false;
    bool m_compositing;
    int m_draws = 0;

    struct Piece
    {
        std::unique_ptr<platform::GuideSurface> surface;
        Key shown;             // the picture it shows
        QColor color;          // or its colour
        bool hasContent = false;
    };
    Piece m_shade, m_band, m_left, m_right;
    // Bottom to top, the order they stack in.
    std::array<Piece *, 4> pieces() { return {&m_shade, &m_band, &m_left, &m_right}; }
    // The last pictures drawn, most recent first.
    std::vector<std::pair<Key, QImage>> m_pictures;
};
