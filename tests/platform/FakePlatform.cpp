#include "platform/FakePlatform.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace platform {

// --- displays ---------------------------------------------------------------

std::optional<Display> FakeDisplays::mainDisplay() const
{
    if (m_displays.isEmpty())
        return std::nullopt;
    return m_displays.first();
}

void FakeDisplays::setDisplays(const QList<Display> &displays)
{
    m_displays = displays;
    Q_EMIT displaysChanged();
}

void FakeDisplays::setFrames(const QList<QRectF> &frames)
{
    QList<Display> displays;
    for (int i = 0; i < frames.size(); ++i)
        displays.append({frames[i], 1.0, QStringLiteral("FAKE%1").arg(i)});
    setDisplays(displays);
}

// --- pointer ----------------------------------------------------------------

bool FakePointer::start()
{
    ++m_startCount;
    m_running = m_startable;
    return m_running;
}

void FakePointer::moveTo(const QPointF &p)
{
    m_position = p;
    if (m_running)
        Q_EMIT moved();
}

// --- guide surfaces ---------------------------------------------------------

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
    for (const FakeSurface *s : surfaces) {
        if (!s->visible || s->display.frame != display.frame)
            continue;
        const QPointF at = s->geometry.topLeft() - display.frame.topLeft();
        if (!s->image.isNull())
            p.drawImage(at, s->image);
        else
            p.fillPath([&] {
                QPainterPath path;
                path.addRect(QRectF(at, s->geometry.size()));
                QPainterPath hole;
                hole.addRect(s->clear.translated(-display.frame.topLeft()));
                return s->clear.isEmpty() ? path : path.subtracted(hole);
            }(), s->color);
    }
    return out;
}

// --- hot keys ---------------------------------------------------------------

bool FakeHotkeys::registerHotkey(int id, const Key &key)
{
    m_registered.remove(id);
    if (m_taken.contains(key.xkbKeyName))
        return false;
    m_registered.insert(id, key);
    return true;
}

void FakeHotkeys::unregisterHotkey(int id) { m_registered.remove(id); }

void FakeHotkeys::setTaken(const QString &xkbKeyName, bool taken)
{
    if (taken)
        m_taken.insert(xkbKeyName);
    else
        m_taken.remove(xkbKeyName);
}

void FakeHotkeys::press(int id, bool autoRepeat)
{
    if (m_registered.contains(id))
        Q_EMIT activated(id, autoRepeat);
}

// --- capture ----------------------------------------------------------------

bool FakeCapture::setup(QString *error)
{
    if (m_setupError.isEmpty())
        return true;
    if (error)
        *error = m_setupError;
    return false;
}

void FakeCapture::capture(quint64 requestId, const QRectF &source, const QSize &outputPixels, WId exclude)
{
    m_requests.append({requestId, source, outputPixels, exclude});
}

void FakeCapture::finish(quint64 requestId, const QImage &image) { Q_EMIT captured(requestId, image); }

std::unique_ptr<ScreenCapture> FakePlatform::createScreenCapture()
{
    auto capture = std::make_unique<FakeCapture>();
    capture->setSetupError(captureError);
    capture->excludes = captureExcludes;
    captures.append(capture.get());
    return capture;
}

// --- windows ----------------------------------------------------------------

void FakePlatform::prepareWindow(QWidget *window, WindowRole role)
{
    if (!window)
        return;
    window->setWindowFlags(portableWindowFlags(role));
}

// --- login item -------------------------------------------------------------

bool FakeLoginItem::setEnabled(bool enabled, QString *error)
{
    if (!m_failure.isEmpty()) {
        if (error)
            *error = m_failure;
        return false;
    }
    m_enabled = enabled;
    return true;
}

} // namespace platform
