#include "platform/FakePlatform.h"

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
        Q_EMIT moved(p);
}

// --- hot keys ---------------------------------------------------------------

bool FakeHotkeys::registerHotkey(int id, const Key &key)
{
    ++m_registerCalls;
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
    captures.append(capture.get());
    return capture;
}

// --- windows ----------------------------------------------------------------

void FakePlatform::prepareWindow(QWidget *window, WindowRole role)
{
    if (!window)
        return;
    window->setWindowFlags(portableWindowFlags(role));
    preparedWindows.append({window, role});
}

std::optional<WindowRole> FakePlatform::roleOf(const QWidget *window) const
{
    for (auto it = preparedWindows.crbegin(); it != preparedWindows.crend(); ++it)
        if (window && it->first == window)
            return it->second;
    return std::nullopt;
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
