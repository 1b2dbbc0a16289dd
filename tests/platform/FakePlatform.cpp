#include "platform/FakePlatform.h"

#include <QPainter>
#include <QPainterPath>

namespace platform {

void FakeDisplays::setFrames(const QList<QRectF> &frames)
{
    QList<Display> displays;
    for (int i = 0; i < frames.size(); ++i)
        displays.append({frames[i], 1.0, QStringLiteral("FAKE%1").arg(i)});
    setDisplays(displays);
}

// --- guide surfaces ---------------------------------------------------------

FakeSurface::~FakeSurface()
{
    owner.surfaces.removeOne(this);
}

std::unique_ptr<GuideSurface> FakeSurfaces::create(const Display &display)
{
    auto surface = std::make_unique<FakeSurface>(*this, display);
    surfaces.append(surface.get());
    return surface;
}

QImage FakeSurfaces::compose(const Display &display) const
{
    QImage out((display.frame.size() * display.devicePixelRatio).toSize(),
               QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(display.devicePixelRatio);
    out.fill(Qt::transparent);
    QPainter p(&out);
    for (const FakeSurface *s : surfaces) {
        if (!s->visible || s->display.frame != display.frame) continue;
        const QPointF at = s->geometry.topLeft() - display.frame.topLeft();
        if (!s->image.isNull())
            p.drawImage(at, s->image);
        else
            p.fillPath(
                [&] {
                    QPainterPath path;
                    path.addRect(QRectF(at, s->geometry.size()));
                    QPainterPath hole;
                    hole.addRect(s->clear.translated(-display.frame.topLeft()));
                    return s->clear.isEmpty() ? path : path.subtracted(hole);
                }(),
                s->color);
    }
    return out;
}

// --- hot keys ---------------------------------------------------------------

bool FakeHotkeys::registerHotkey(int id, const Key &key)
{
    m_registered.remove(id);
    if (m_taken.contains(key.xkbKeyName)) return false;
    m_registered.insert(id, key);
    return true;
}

// --- capture ----------------------------------------------------------------

std::unique_ptr<ScreenCapture> FakePlatform::createScreenCapture()
{
    auto capture = std::make_unique<FakeCapture>();
    capture->setupError = captureError;
    capture->excludes = captureExcludes;
    captures.append(capture.get());
    return capture;
}

} // namespace platform
