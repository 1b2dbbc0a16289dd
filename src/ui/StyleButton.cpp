#include "ui/StyleButton.h"

#include "ui/Preview.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr double padding = 8;
constexpr double nameGap = 6;
constexpr double radius = 8;

// Names are drawn on one line when they fit, otherwise wrapped between words;
// every tile reserves two lines so the row stays even.
constexpr int nameFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
} // namespace

void paintStyleTile(QPainter &painter, const QRectF &rect, LineStyle style, bool selected, const QColor &color,
                    const QPalette &palette, const QFont &nameFont)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor accent = theme::accent(palette);

    const QRectF shape = rect.adjusted(1, 1, -1, -1);
    if (selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme::withOpacity(accent, 0.1));
        painter.drawRoundedRect(shape, radius, radius);
    }

    const QRectF miniature(rect.center().x() - preview::miniatureWidth / 2, rect.top() + padding,
                           preview::miniatureWidth, preview::miniatureHeight);
    preview::paintStyleMiniature(painter, miniature, style, color, palette);

    painter.setFont(nameFont);
    painter.setPen(selected ? accent : theme::secondary(palette));
    const QRectF nameBox(rect.left() + 4, miniature.bottom() + nameGap, rect.width() - 8,
                         rect.bottom() - padding - miniature.bottom() - nameGap);
    painter.drawText(nameBox, nameFlags, LineStyles::rawValue(style));

    painter.setBrush(Qt::NoBrush);
    if (selected)
        painter.setPen(QPen(accent, 2));
    else
        painter.setPen(QPen(theme::withOpacity(theme::secondary(palette), 0.2), 1));
    painter.drawRoundedRect(shape, radius, radius);
    painter.restore();
}

StyleButton::StyleButton(LineStyle style, QWidget *parent) : QAbstractButton(parent), m_style(style)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFont(theme::font(theme::TextStyle::caption2));
    setText(LineStyles::rawValue(style));
    setAccessibleName(LineStyles::rawValue(style));
}

void StyleButton::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void StyleButton::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QSize StyleButton::sizeHint() const
{
    const QFontMetrics fm(font());
    const int nameHeight = 2 * fm.lineSpacing();
    return {int(preview::miniatureWidth + 2 * padding),
            int(padding + preview::miniatureHeight + nameGap + nameHeight + padding)};
}

QSize StyleButton::minimumSizeHint() const { return sizeHint(); }

bool StyleButton::hitButton(const QPoint &pos) const { return rect().contains(pos); }

void StyleButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintStyleTile(p, rect(), m_style, m_selected, m_color, palette(), font());
    if (isDown()) {
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius, radius);
        p.fillPath(shape, QColor(0, 0, 0, 18));
    }
}
