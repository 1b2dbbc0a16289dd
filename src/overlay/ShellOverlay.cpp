#include "overlay/ShellOverlay.h"

#include "overlay/DisplayGuide.h"
#include "overlay/ReadingGuideView.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cmath>

ShellOverlay::ShellOverlay(platform::ShellGuide &shell, platform::Displays &displays, AppSettings &settings,
                           QObject *parent)
    : QObject(parent), m_shell(shell), m_displays(displays), m_settings(settings)
{
    connect(&m_settings, &AppSettings::changed, this, &ShellOverlay::update);
    connect(&m_displays, &platform::Displays::displaysChanged, this, &ShellOverlay::update);
    update();
}

void ShellOverlay::setVisible(bool visible)
{
    m_visible = visible;
    m_shell.setVisible(visible);
}

void ShellOverlay::setMagnifierVisible(bool visible)
{
    m_magnifier = visible;
    update();
}

bool ShellOverlay::hold(const QPointF &at, double lineHeight, platform::ShellGuide::Until until)
{
    lineHeight = lineHeight > 0 && std::isfinite(lineHeight) ? lineHeight : 0;
    const QList<platform::Display> displays = m_displays.displays();
    const QPointF middle(at.x(), at.y() + lineHeight / 2);
    if (std::none_of(displays.cbegin(), displays.cend(),
                     [&](const platform::Display &d) { return platform::holds(d.frame, middle); }))
        return false;
    if (lineHeight != m_lineHeight) {
        m_lineHeight = lineHeight;
        update();
    }
    m_shell.hold(at.y(), lineHeight, until);
    return true;
}

void ShellOverlay::follow()
{
    m_shell.release();
    if (m_lineHeight != 0) {
        m_lineHeight = 0;
        update();
    }
}

void ShellOverlay::update()
{
    QColor shade;
    const QList<platform::ShellGuide::Piece> list =
        pieces(m_displays.displays(), m_settings, &shade, m_lineHeight);
    // The shell keeps what it has when nothing changed.
    m_shell.setPieces(list, shade);

    // As wide as the span between the brackets on the main display, the
    // guide's thickness and a margin tall.
    QSizeF size;
    if (const std::optional<platform::Display> main = m_displays.mainDisplay())
        size = QSizeF(std::round(2 * main->frame.width() * (m_settings.verticalGuideMargin() / 100)),
                      std::round(m_settings.customThickness() + 60));
    m_shell.setMagnifier(m_magnifier, m_settings.magnifierZoom(), size, m_settings.currentColor().toColor());
}

QList<platform::ShellGuide::Piece> ShellOverlay::pieces(const QList<platform::Display> &displays,
                                                        const AppSettings &settings, QColor *shade,
                                                        double lineHeight)
{
    using Piece = platform::ShellGuide::Piece;
    using Anchor = platform::ShellGuide::Anchor;
    QList<Piece> list;
    *shade = QColor(Qt::transparent);
    for (int index = 0; index < displays.size(); ++index) {
        const platform::Display &display = displays.at(index);
        const QSizeF size = display.frame.size();
        // At whole points in the middle, where no piece is cut by an edge;
        // the shell cuts them at the edges itself. On a line, the row is the
        // line's top.
        const QPointF pointer(std::round(size.width() / 2), std::round(size.height() / 2));
        const ReadingGuideView view = ReadingGuideView::onLine(pointer.x(), pointer.y(), lineHeight, settings);
        const ReadingGuideView::Parts parts = view.parts(size);
        *shade = parts.outside;
        const qreal dpr = display.devicePixelRatio > 0 ? display.devicePixelRatio : 1.0;
        const auto add = [&](const QRectF &local, int layer, Anchor anchor) {
            if (local.isEmpty()) return;
            const QPointF from = anchor == Anchor::Row ? QPointF(0, pointer.y()) : pointer;
            list.append({index, anchor, local.topLeft() - from,
                         DisplayGuide::paintPiece(view, size, dpr, local, layer)});
        };
        add(parts.band, ReadingGuideView::BandLayer, Anchor::Row);
        add(parts.left, ReadingGuideView::BracketLayer, Anchor::Pointer);
        add(parts.right, ReadingGuideView::BracketLayer, Anchor::Pointer);
    }
    return list;
}
