#include "ui/StyleButton.h"

#include "ui/Accessibility.h"
#include "ui/Controls.h"
#include "ui/Preview.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {
constexpr double padding = 8;
constexpr double nameGap = 6;
constexpr double radius = 8;
// The focus ring lies inside the tile's border, clear of the miniature, so
// that it shows beside the border of the selected tile; the name keeps clear
// of it too.
constexpr double ringInset = 3;
constexpr double nameInset = ringInset + theme::focusRingWidth;

// Names are drawn on one line when they fit, otherwise wrapped between words;
// every tile reserves two lines so the row stays even.
constexpr int nameFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

// The tiles of a row are equally wide; so that all five names stay on one line
// in narrow tiles, the font may shrink a little (at most 15 %), the same for
// every tile because it is measured against the longest name.
QFont fittedNameFont(const QFont &font, double width)
{
    QFont f = font;
    const double smallest = font.pointSizeF() * 0.85;
    for (;;) {
        const QFontMetricsF fm(f);
        double widest = 0;
        for (LineStyle style : LineStyles::allCases)
            widest = std::max(widest, fm.horizontalAdvance(StyleButton::displayName(style)));
        if (widest <= width || f.pointSizeF() - 0.25 < smallest) return f;
        f.setPointSizeF(f.pointSizeF() - 0.25);
    }
}

// The widest word of all names in the smallest font fittedNameFont gives.
double longestWord(const QFont &font)
{
    QFont f = font;
    f.setPointSizeF(font.pointSizeF() * 0.85);
    const QFontMetricsF fm(f);
    double widest = 0;
    for (LineStyle style : LineStyles::allCases)
        for (const QString &word : StyleButton::displayName(style).split(u' ', Qt::SkipEmptyParts))
            widest = std::max(widest, fm.horizontalAdvance(word));
    return widest;
}

} // namespace

void paintStyleTile(QPainter &painter, const QRectF &rect, LineStyle style, bool selected,
                    const QColor &color, const QPalette &palette, const QFont &nameFont)
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
    preview::stylePreview(painter, miniature, style, color, palette);

    painter.setPen(selected ? accent : theme::secondary(palette));
    const QRectF nameBox(rect.left() + nameInset, miniature.bottom() + nameGap, rect.width() - 2 * nameInset,
                         rect.bottom() - padding - miniature.bottom() - nameGap);
    painter.setFont(fittedNameFont(nameFont, nameBox.width()));
    painter.drawText(nameBox, nameFlags, StyleButton::displayName(style));

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
    accessibility::install();
    setCheckable(true);
    setAutoExclusive(true);
    setFocusPolicy(Qt::StrongFocus);
    FocusRing::attach(this, FocusRing::Shape::rounded, radius - ringInset, ringInset);
    pressOnEnter(this);
    setCursor(Qt::PointingHandCursor);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setFont(theme::font(theme::TextStyle::caption2));
    setText(displayName(style));
    setAccessibleName(displayName(style));
}

QString StyleButton::displayName(LineStyle style) { return LineStyles::displayName(style); }

void StyleButton::setSelected(bool selected)
{
    if (selected == isChecked()) return;
    // A checked button of a radio group cannot be unchecked by itself.
    setAutoExclusive(false);
    setChecked(selected);
    setAutoExclusive(true);
}

void StyleButton::setColor(const QColor &color)
{
    if (color == m_color) return;
    m_color = color;
    update();
}

int StyleButton::heightForWidth(int width) const
{
    const double nameWidth = width - 2 * nameInset;
    const QFont f = fittedNameFont(font(), nameWidth);
    const QFontMetricsF fm(f);
    // As many lines as the longest name takes, so that the tiles of a row are
    // equally high.
    int lines = 1;
    for (LineStyle style : LineStyles::allCases) {
        const QRectF name = fm.boundingRect(QRectF(0, 0, nameWidth, 1000), nameFlags, displayName(style));
        lines = std::max(lines, int(std::lround(name.height() / fm.lineSpacing())));
    }
    return int(std::ceil(padding + preview::miniatureHeight + nameGap + lines * fm.lineSpacing() + padding));
}

QSize StyleButton::sizeHint() const
{
    return minimumSizeHint();
}

QSize StyleButton::minimumSizeHint() const
{
    const double inner = std::max(preview::miniatureWidth + 2 * padding, longestWord(font()) + 2 * nameInset);
    const int w = int(std::ceil(inner));
    return {w, heightForWidth(w)};
}

bool StyleButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void StyleButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintStyleTile(p, rect(), m_style, isChecked(), m_color, palette(), font());
    if (isDown()) {
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius, radius);
        p.fillPath(shape, QColor(0, 0, 0, 18));
    }
}
