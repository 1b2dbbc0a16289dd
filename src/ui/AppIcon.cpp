#include "ui/AppIcon.h"

#include "settings/Settings.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double design = 100; // the icon is laid out on a 100 x 100 square

QPainterPath iconShape(const QRectF &rect)
{
    const double s = rect.width() / design;
    QPainterPath path;
    path.addRoundedRect(rect, 22 * s, 22 * s);
    return path;
}

// One pass of a box blur on an 8-bit alpha plane, along rows (stride 1) or
// columns (stride = width). Three passes approximate a Gaussian.
void boxBlur(std::vector<float> &plane, int w, int h, int radius, bool horizontal)
{
    if (radius < 1) return;
    std::vector<float> out(plane.size());
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    const double norm = 1.0 / (2 * radius + 1);
    for (int line = 0; line < lines; ++line) {
        auto at = [&](int i) -> float & {
            return horizontal ? plane[size_t(line) * w + i] : plane[size_t(i) * w + line];
        };
        double sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < length) ? at(i) : 0.0f;
        for (int i = 0; i < length; ++i) {
            const size_t index = horizontal ? size_t(line) * w + i : size_t(i) * w + line;
            out[index] = float(sum * norm);
            const int add = i + radius + 1;
            const int drop = i - radius;
            if (add < length) sum += at(add);
            if (drop >= 0) sum -= at(drop);
        }
    }
    plane.swap(out);
}

void paintShadow(QPainter &painter, const QRectF &rect)
{
    const double s = rect.width() / design;
    const double blur = 10 * s;
    const double margin = appIconShadowMargin(rect.width());
    // Render the shape's coverage at device resolution, blur it, tint it black.
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QRectF area = rect.adjusted(-margin, -margin, margin, margin);
    const int w = std::max(1, int(std::ceil(area.width() * dpr)));
    const int h = std::max(1, int(std::ceil(area.height() * dpr)));

    QImage mask(w, h, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing, true);
        mp.scale(dpr, dpr);
        mp.fillPath(iconShape(QRectF(margin, margin, rect.width(), rect.height())), Qt::black);
    }
    std::vector<float> alpha(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
        for (int x = 0; x < w; ++x)
            alpha[size_t(y) * w + x] = float(qAlpha(line[x]));
    }
    // A blur radius of r spreads the edge over about r: three box passes whose
    // combined standard deviation is r / 2.
    const double sigma = blur * dpr / 2;
    const int box = std::max(0, int(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(alpha, w, h, box, true);
        boxBlur(alpha, w, h, box, false);
    }
    QImage shadow(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = std::clamp(int(std::lround(alpha[size_t(y) * w + x] * 0.2)), 0, 255);
            line[x] = qRgba(0, 0, 0, a); // premultiplied black is just alpha
        }
    }
    shadow.setDevicePixelRatio(dpr);
    painter.drawImage(area.topLeft() + QPointF(0, appIconShadowOffset(rect.width())), shadow);
}

} // namespace

double appIconShadowMargin(double side)
{
    return 20 * side / design;
}
double appIconShadowOffset(double side)
{
    return 5 * side / design;
}

void paintAppIcon(QPainter &painter, const QRectF &rect, bool withShadow)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (withShadow) paintShadow(painter, rect);

    const double s = rect.width() / design;
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, SystemColors::blue());
    gradient.setColorAt(1, SystemColors::purple());
    painter.fillPath(iconShape(rect), gradient);

    // Three bars 50 wide, 6 apart: 4 high at 40 %, 6 high at full white, 4 at 40 %.
    const double barWidth = 50 * s;
    const double x = rect.center().x() - barWidth / 2;
    const double total = (4 + 6 + 6 + 6 + 4) * s;
    double y = rect.center().y() - total / 2;
    painter.setPen(Qt::NoPen);
    const struct
    {
        double height;
        double alpha;
    } bars[] = {{4, 0.4}, {6, 1.0}, {4, 0.4}};
    for (const auto &bar : bars) {
        QColor white(Qt::white);
        white.setAlphaF(float(bar.alpha));
        painter.setBrush(white);
        painter.drawRoundedRect(QRectF(x, y, barWidth, bar.height * s), 2 * s, 2 * s);
        y += (bar.height + 6) * s;
    }
    painter.restore();
}

QImage appIconImage(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paintAppIcon(p, QRectF(0, 0, pixels, pixels));
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(appIconImage(size)));
    return icon;
}
