#pragma once

// What the guide tests compare: pictures of the guide as ReadingGuideView
// paints it, and how far two pictures differ.

#include "overlay/ReadingGuideView.h"
#include "platform/Platform.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

// The largest difference of any channel of any pixel; 256 for other sizes.
inline int maxDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(pa) - qRed(pb)), std::abs(qGreen(pa) - qGreen(pb)),
                              std::abs(qBlue(pa) - qBlue(pb)), std::abs(qAlpha(pa) - qAlpha(pb))});
        }
    }
    return worst;
}

// The whole display `d` as the painter paints it with the guide at `global`
// (on a line `lineHeight` tall when that is > 0).
inline QImage paintedGuide(const platform::Display &d, const AppSettings &s, QPointF global, double lineHeight = 0)
{
    QImage image((d.frame.size() * d.devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(d.devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const QPointF local = global - d.frame.topLeft();
    ReadingGuideView::onLine(local.x(), local.y(), lineHeight, s).paint(p, d.frame.size());
    return image;
}
