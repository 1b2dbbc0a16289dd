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

FakeSurface::~FakeSurface() { owner.surfaces.removeOne(this); }

std::unique_ptr<GuideSurface> FakeSurfaces::create(const Display &display)
{
    auto surface = std::make_unique<FakeSurface>(*this, display);
    surfaces.append(surface.get());
    return surface;
}

QImage FakeSurfaces::compose(const Display &display) const
{
    QImage out((display.frame.size() * display.devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(display.devicePixelRatio);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.translate(-display.frame.topLeft());
    for (const FakeSurface *s : surfaces) {
        if (!s->visible || s->display.frame != display.frame) continue;
        QPainterPath path, hole;
        path.addRect(s->geometry);
        hole.addRect(s->clear);
        s->image.isNull() ? p.fillPath(path.subtracted(hole), s->color) : p.drawImage(s->geometry.topLeft(), s->image);
    }
    return out;
}

bool FakeHotkeys::registerHotkey(int id, const Key &key)
{
    m_registered.remove(id);
    return !m_taken.contains(key.xkbKeyName) && (m_registered.insert(id, key), true);
}

std::unique_ptr<ScreenCapture> FakePlatform::createScreenCapture()
{
    auto capture = std::make_unique<FakeCapture>(captureError, captureExcludes);
    captures.append(capture.get());
    return capture;
}

Capability FakePlatform::capability(Feature feature)
{
    if (feature == Feature::Pointer || feature == Feature::HoldGuide) return {};
    if (!x11) return Capability::missing(QCoreApplication::translate("MagnifierView", "Needs an X11 session"));
    return feature == Feature::Magnifier ? screenCaptureCapability() : Capability();
}

} // namespace platform
