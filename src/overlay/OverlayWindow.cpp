#include "overlay/OverlayWindow.h"

#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

OverlayWindow::OverlayWindow(const QRect &qtGeometry, AppSettings &settings, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_view(0, qtGeometry.height(), settings)
{
    setGeometry(qtGeometry);
}

void OverlayWindow::setupAsOverlay()
{
    if (m_hasGuide)
        return;
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(false);
    setWindowTitle(QStringLiteral("Tovani Guide"));
    setFocusPolicy(Qt::NoFocus);
    // Click-through, above every window, never focused, no shadow: the window
    // system's own flags and hints for that come from the platform.
    platform::Platform::instance().prepareWindow(this, platform::WindowRole::GuideOverlay);

    m_view = ReadingGuideView(0, height(), m_settings);
    m_hasGuide = true;
    connect(&m_settings, &AppSettings::changed, this, &OverlayWindow::settingsChanged);
    updateShape();
}

void OverlayWindow::updateGuidePosition(double x, double y)
{
    if (!m_hasGuide || !std::isfinite(x) || !std::isfinite(y))
        return;
    if (x == m_view.xPosition && y == m_view.yPosition)
        return;
    const ReadingGuideView next(x, y, m_settings);
    if (!m_compositing) {
        const QRect before = m_shaped.isNull() ? QRect() : QRect(m_shapedOrigin, m_shaped.deviceIndependentSize().toSize());
        m_view = next;
        updateShape();
        const QRect after = m_shaped.isNull() ? QRect() : QRect(m_shapedOrigin, m_shaped.deviceIndependentSize().toSize());
        update(QRegion(before) | QRegion(after));
        return;
    }
    // Whatever the old guide covered is cleared, whatever the new one covers
    // is drawn; the rest of the window keeps its pixels. One pixel of margin
    // absorbs rounding at fractional scale factors.
    const QSizeF size(width(), height());
    const QRect before = m_view.coveredRect(size).toAlignedRect().adjusted(-1, -1, 1, 1);
    const QRect after = next.coveredRect(size).toAlignedRect().adjusted(-1, -1, 1, 1);
    m_view = next;
    update(before & rect());
    update(after & rect());
}

void OverlayWindow::setCompositing(bool compositing)
{
    if (compositing == m_compositing)
        return;
    m_compositing = compositing;
    if (m_compositing) {
        m_shaped = QImage();
        clearMask();
    } else {
        updateShape();
    }
    update();
}

void OverlayWindow::settingsChanged()
{
    updateShape();
    update();
}

void OverlayWindow::paintEvent(QPaintEvent *event)
{
    // A translucent window's backing store hands the update region over
    // already cleared to transparent: only the guide is drawn.
    Q_UNUSED(event);
    QPainter painter(this);
    if (!m_hasGuide)
        return;
    if (m_compositing) {
        m_view.paint(painter, QSizeF(width(), height()));
    } else if (!m_shaped.isNull()) {
        painter.drawImage(m_shapedOrigin, m_shaped);
    }
}

// Without a compositor only the band around the cursor line is kept: the
// guide's rectangles, and for the focus window the shade next to the clear
// band rather than a screen gone black.
QRect OverlayWindow::shapedArea(const ReadingGuideView &view) const
{
    const QSizeF size(width(), height());
    const double t = std::min(m_settings.customThickness(), size.height());
    const double yc = view.yPosition;
    const double half = t / 2 + std::max(t, 20.0) + 2;
    const QRectF band(0, yc - half, size.width(), 2 * half);
    return band.toAlignedRect() & rect();
}

void OverlayWindow::updateShape()
{
    if (m_compositing || !m_hasGuide)
        return;
    const QRect area = shapedArea(m_view);
    if (area.isEmpty()) {
        m_shaped = QImage();
        // An empty region would mean "no mask" (the whole window); a region
        // outside the window shows nothing.
        setMask(QRegion(-2, -2, 1, 1));
        return;
    }
    const qreal dpr = devicePixelRatioF();
    QImage image((QSizeF(area.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.translate(-area.topLeft());
        m_view.paint(p, QSizeF(width(), height()));
    }
    // Every painted pixel becomes opaque in its own colour, and the window's
    // shape is exactly those pixels.
    QList<QRect> rects;
    for (int row = 0; row < image.height(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        int runStart = -1;
        for (int col = 0; col <= image.width(); ++col) {
            const int a = col < image.width() ? qAlpha(line[col]) : 0;
            if (a > 0) {
                if (a < 255)
                    line[col] = qRgba(qRed(line[col]) * 255 / a, qGreen(line[col]) * 255 / a,
                                      qBlue(line[col]) * 255 / a, 255);
                if (runStart < 0)
                    runStart = col;
            } else if (runStart >= 0) {
                rects.append(QRect(runStart, row, col - runStart, 1));
                runStart = -1;
            }
        }
    }
    m_shaped = image;
    m_shapedOrigin = area.topLeft();
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    if (dpr != 1) {
        // Device rows back to points, rounding outwards.
        QRegion scaled;
        for (const QRect &r : region) {
            const int x0 = int(std::floor(r.left() / dpr)), y0 = int(std::floor(r.top() / dpr));
            const int x1 = int(std::ceil((r.right() + 1) / dpr)), y1 = int(std::ceil((r.bottom() + 1) / dpr));
            scaled += QRect(x0, y0, x1 - x0, y1 - y0);
        }
        region = scaled;
    }
    region.translate(area.topLeft());
    setMask(region.isEmpty() ? QRegion(-2, -2, 1, 1) : region);
}
