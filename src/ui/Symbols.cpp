#include "ui/Symbols.h"

#include <QPainterPath>

#include <algorithm>

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

} // namespace

void paint(QPainter &painter, const QRectF &box, Symbol symbol, const QColor &color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF s = squareIn(box);
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
    }
    painter.restore();
}

} // namespace symbols
