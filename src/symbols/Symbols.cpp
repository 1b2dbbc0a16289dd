#include "symbols/Symbols.h"

#include <QPainterPath>

#include <algorithm>
#include <array>

namespace symbols {

namespace {

QRectF squareIn(const QRectF &box)
{
    const double side = std::min(box.width(), box.height());
    return QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
}

QPen strokePen(const QColor &color, double width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void paintCheckmark(QPainter &p, const QRectF &s, const QColor &color)
{
    QPainterPath path;
    path.moveTo(s.left() + s.width() * 0.18, s.top() + s.height() * 0.54);
    path.lineTo(s.left() + s.width() * 0.41, s.top() + s.height() * 0.76);
    path.lineTo(s.left() + s.width() * 0.84, s.top() + s.height() * 0.26);
    p.setPen(strokePen(color, std::max(1.5, s.width() * 0.16)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void paintInfoCircle(QPainter &p, const QRectF &s, const QColor &color)
{
    const QRectF circle =
        s.adjusted(s.width() * 0.04, s.height() * 0.04, -s.width() * 0.04, -s.height() * 0.04);
    QPainterPath path;
    path.addEllipse(circle);
    // The "i": a dot and a stem, cut out of the disc.
    const double w = circle.width();
    const QPointF c = circle.center();
    QPainterPath letter;
    letter.addEllipse(QPointF(c.x(), circle.top() + w * 0.28), w * 0.075, w * 0.075);
    letter.addRoundedRect(QRectF(c.x() - w * 0.065, circle.top() + w * 0.42, w * 0.13, w * 0.36), w * 0.04,
                          w * 0.04);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(path.subtracted(letter));
}

void paintLines3(QPainter &p, const QRectF &s, const QColor &color)
{
    const double w = s.width();
    p.setPen(strokePen(color, std::max(1.2, w * 0.1)));
    for (double f : {0.28, 0.5, 0.72})
        p.drawLine(QPointF(s.left() + w * 0.14, s.top() + w * f),
                   QPointF(s.right() - w * 0.14, s.top() + w * f));
}

void paintPalette(QPainter &p, const QRectF &s, const QColor &color)
{
    const double w = s.width();
    const QRectF body = s.adjusted(w * 0.08, w * 0.14, -w * 0.08, -w * 0.14);
    // An oval with a thumb notch at the lower right, and four paint wells.
    QPainterPath shape;
    shape.addEllipse(body);
    QPainterPath notch;
    notch.addEllipse(QPointF(body.right() - body.width() * 0.18, body.bottom() - body.height() * 0.2),
                     body.width() * 0.16, body.height() * 0.16);
    QPainterPath wells;
    const QPointF c = body.center();
    const double r = w * 0.075;
    wells.addEllipse(QPointF(c.x() - body.width() * 0.26, c.y() + body.height() * 0.02), r, r);
    wells.addEllipse(QPointF(c.x() - body.width() * 0.1, c.y() - body.height() * 0.26), r, r);
    wells.addEllipse(QPointF(c.x() + body.width() * 0.14, c.y() - body.height() * 0.24), r, r);
    wells.addEllipse(QPointF(c.x() + body.width() * 0.28, c.y() + 0.0), r, r);
    p.setPen(strokePen(color, std::max(1.0, w * 0.08)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape.subtracted(notch));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(wells);
}

void paintKeyboard(QPainter &p, const QRectF &s, const QColor &color)
{
    const double w = s.width();
    const QRectF body(s.left() + w * 0.04, s.top() + w * 0.22, w * 0.92, w * 0.56);
    p.setPen(strokePen(color, std::max(1.0, w * 0.07)));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, w * 0.08, w * 0.08);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const double key = w * 0.09;
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 5; ++col) {
            const double x = body.left() + body.width() * (0.16 + 0.17 * col) - key / 2;
            const double y = body.top() + body.height() * (0.3 + 0.24 * row) - key / 2;
            p.drawRect(QRectF(x, y, key, key));
        }
    }
    // Space bar.
    p.drawRect(QRectF(body.left() + body.width() * 0.3, body.top() + body.height() * 0.74 - key / 2,
                      body.width() * 0.4, key));
}

void paintDisplays2(QPainter &p, const QRectF &s, const QColor &color)
{
    const double w = s.width();
    p.setPen(strokePen(color, std::max(1.0, w * 0.07)));
    p.setBrush(Qt::NoBrush);
    // Back monitor up and to the right, front monitor with a stand.
    const QRectF back(s.left() + w * 0.34, s.top() + w * 0.14, w * 0.6, w * 0.42);
    const QRectF front(s.left() + w * 0.06, s.top() + w * 0.3, w * 0.6, w * 0.42);
    QPainterPath backPath;
    backPath.addRoundedRect(back, w * 0.05, w * 0.05);
    QPainterPath frontArea;
    frontArea.addRect(front.adjusted(-w * 0.06, -w * 0.06, w * 0.06, w * 0.06));
    // Draw only the parts of the back monitor that the front one does not hide.
    QPainterPath clip;
    clip.addRect(s.adjusted(-w, -w, w, w));
    p.save();
    p.setClipPath(clip.subtracted(frontArea));
    p.drawPath(backPath);
    p.restore();
    p.drawRoundedRect(front, w * 0.05, w * 0.05);
    p.drawLine(QPointF(front.center().x(), front.bottom()),
               QPointF(front.center().x(), front.bottom() + w * 0.12));
    p.drawLine(QPointF(front.center().x() - w * 0.12, front.bottom() + w * 0.13),
               QPointF(front.center().x() + w * 0.12, front.bottom() + w * 0.13));
}

// The HUD's glyphs: line art in one colour, with strokes about as heavy as a
// medium-weight 28 pt glyph, drawn about a centre at a fixed scale.
constexpr qreal strokeWidth = 2.2;

void drawMinus(QPainter &p, const QPointF &c)
{
    QPen pen = p.pen();
    pen.setWidthF(2.6);
    p.setPen(pen);
    p.drawLine(QPointF(c.x() - 11, c.y()), QPointF(c.x() + 11, c.y()));
}

void drawHighlighter(QPainter &p, const QPointF &c, const QColor &color)
{
    // A marker pen leaning to the left, its tip on a short stroke of ink.
    p.save();
    p.translate(c.x() + 2, c.y() - 2);
    p.rotate(45);
    p.drawRoundedRect(QRectF(-4, -11, 8, 12), 1.5, 1.5);
    QPolygonF collar;
    collar << QPointF(-4, 1) << QPointF(-2.5, 5) << QPointF(2.5, 5) << QPointF(4, 1);
    p.drawPolyline(collar);
    QPolygonF tip;
    tip << QPointF(-2.5, 5) << QPointF(-1.5, 8.5) << QPointF(2.5, 7) << QPointF(2.5, 5);
    p.setBrush(color);
    p.drawPolygon(tip);
    p.restore();
    p.drawLine(QPointF(c.x() - 11, c.y() + 9.5), QPointF(c.x() - 2, c.y() + 9.5));
}

void drawCentreInsetFilled(QPainter &p, const QPointF &c, const QColor &color)
{
    p.drawRoundedRect(QRectF(c.x() - 13, c.y() - 10, 26, 20), 4, 4);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(c.x() - 7, c.y() - 4, 14, 8), 1.5, 1.5);
    p.restore();
}

void drawRuler(QPainter &p, const QPointF &c)
{
    const QRectF body(c.x() - 13, c.y() - 6, 26, 12);
    p.drawRoundedRect(body, 2, 2);
    // Ticks hang from the top edge, every other one longer.
    for (int i = 1; i <= 5; ++i) {
        const qreal x = body.left() + i * body.width() / 6;
        const qreal length = (i % 2 == 1) ? 4 : 6.5;
        p.drawLine(QPointF(x, body.top()), QPointF(x, body.top() + length));
    }
}

void drawSplit3x1(QPainter &p, const QPointF &c)
{
    const QRectF body(c.x() - 13, c.y() - 9, 26, 18);
    p.drawRoundedRect(body, 3, 3);
    for (int i = 1; i <= 2; ++i) {
        const qreal x = body.left() + i * body.width() / 3;
        p.drawLine(QPointF(x, body.top()), QPointF(x, body.bottom()));
    }
}

// One arrow along the diagonal from `from` to `to`, with its head at `to`
// drawn as two strokes parallel to the axes.
void drawCornerArrow(QPainter &p, const QPointF &from, const QPointF &to)
{
    p.drawLine(from, to);
    const qreal head = 6;
    const qreal dx = from.x() > to.x() ? head : -head;
    const qreal dy = from.y() > to.y() ? head : -head;
    p.drawLine(to, QPointF(to.x() + dx, to.y()));
    p.drawLine(to, QPointF(to.x(), to.y() + dy));
}

void drawExpand(QPainter &p, const QPointF &c)
{
    drawCornerArrow(p, c + QPointF(-2, -2), c + QPointF(-9, -9));
    drawCornerArrow(p, c + QPointF(2, 2), c + QPointF(9, 9));
}

void drawShrink(QPainter &p, const QPointF &c)
{
    drawCornerArrow(p, c + QPointF(-10, -10), c + QPointF(-2, -2));
    drawCornerArrow(p, c + QPointF(10, 10), c + QPointF(2, 2));
}

// A padlock, its shackle closed or swung open to the right.
void drawLock(QPainter &p, const QPointF &c, bool open)
{
    p.drawRoundedRect(QRectF(c.x() - 8, c.y() - 1, 16, 12), 2, 2);
    const double lift = open ? 4 : 0;
    QPainterPath shackle;
    shackle.moveTo(c.x() - 5, c.y() - 1 - (open ? lift : 0));
    shackle.lineTo(c.x() - 5, c.y() - 5 - lift);
    shackle.arcTo(QRectF(c.x() - 5, c.y() - 10 - lift, 10, 10), 180, -180);
    shackle.lineTo(c.x() + 5, c.y() - 1 - lift);
    p.drawPath(shackle);
}

// The names commands give the HUD's glyphs, in the order of the enum from
// Symbol::minus on.
constexpr std::array<QStringView, 9> hudNames{
    u"minus",
    u"highlighter",
    u"rectangle.center.inset.filled",
    u"ruler",
    u"rectangle.split.3x1",
    u"arrow.up.left.and.arrow.down.right",
    u"arrow.down.right.and.arrow.up.left",
    u"lock",
    u"lock.open",
};

} // namespace

void paint(QPainter &painter, const QRectF &box, Symbol symbol, const QColor &color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF s = squareIn(box);
    const QPointF c = box.center();
    if (symbol >= Symbol::minus) {
        painter.setPen(QPen(color, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
    }
    switch (symbol) {
    case Symbol::checkmark:
        paintCheckmark(painter, s, color);
        break;
    case Symbol::infoCircleFill:
        paintInfoCircle(painter, s, color);
        break;
    case Symbol::lines3:
        paintLines3(painter, s, color);
        break;
    case Symbol::palette:
        paintPalette(painter, s, color);
        break;
    case Symbol::keyboard:
        paintKeyboard(painter, s, color);
        break;
    case Symbol::displays2:
        paintDisplays2(painter, s, color);
        break;
    case Symbol::minus:
        drawMinus(painter, c);
        break;
    case Symbol::highlighter:
        drawHighlighter(painter, c, color);
        break;
    case Symbol::centreInsetFilled:
        drawCentreInsetFilled(painter, c, color);
        break;
    case Symbol::ruler:
        drawRuler(painter, c);
        break;
    case Symbol::split3x1:
        drawSplit3x1(painter, c);
        break;
    case Symbol::expand:
        drawExpand(painter, c);
        break;
    case Symbol::shrink:
        drawShrink(painter, c);
        break;
    case Symbol::lock:
        drawLock(painter, c, false);
        break;
    case Symbol::lockOpen:
        drawLock(painter, c, true);
        break;
    }
    painter.restore();
}

std::optional<Symbol> byName(QStringView name)
{
    const auto *found = std::ranges::find(hudNames, name);
    if (name.isEmpty() || found == hudNames.end()) return std::nullopt;
    return Symbol(int(Symbol::minus) + int(found - hudNames.begin()));
}

} // namespace symbols
