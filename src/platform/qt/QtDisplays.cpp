#include "platform/qt/QtDisplays.h"

#include "platform/Geometry.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace platform {

QtDisplays::QtDisplays(QObject *parent) : Displays(parent)
{
    if (!qGuiApp)
        return;
    const auto screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watch(screen);
        refresh();
        scheduleNotification();
    });
    // screenRemoved fires while the screen is still listed; read the list once
    // the removal is complete.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen *) {
        QMetaObject::invokeMethod(this, [this] { refresh(); }, Qt::QueuedConnection);
        scheduleNotification();
    });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen *) {
        refresh();
        scheduleNotification();
    });
    refresh();
}

void QtDisplays::watch(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, [this] {
        refresh();
        scheduleNotification();
    });
    connect(screen, &QScreen::refreshRateChanged, this, [this] { refresh(); });
    // A new scale factor moves every logical rectangle of that screen.
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, [this] {
        refresh();
        scheduleNotification();
    });
}

// One notification per turn of the event loop, however many screen signals
// a single change (a RandR reconfiguration) produced. The list itself is
// already up to date by then.
void QtDisplays::scheduleNotification()
{
    if (m_notificationPending)
        return;
    m_notificationPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_notificationPending = false;
            refresh();
            Q_EMIT displaysChanged();
        },
        Qt::QueuedConnection);
}

void QtDisplays::refresh()
{
    m_displays.clear();
    m_main.reset();
    QScreen *primary = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    if (!primary)
        return;
    const auto screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        const QRect g = screen->geometry();
        if (g.isEmpty())
            continue; // a disconnected output Qt still lists
        const qreal dpr = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
        const qreal hz = screen->refreshRate();
        Display d{QRectF(g), dpr, screen->name(), std::isfinite(hz) && hz >= 1 ? hz : 60.0};
        m_displays.append(d);
        if (screen == primary)
            m_main = d;
    }
}

std::optional<Display> QtDisplays::mainDisplay() const { return m_main; }

QPointF QtDisplays::nativeToQt(const QPoint &native) const
{
    // Each screen's device rectangle; in a gap of the arrangement the nearest
    // one decides.
    QList<QRectF> deviceFrames;
    for (const Display &d : m_displays)
        deviceFrames.append(DevicePixels(d).toDevice(d.frame));
    const auto i = frameNearest(deviceFrames, QPointF(native));
    return i ? DevicePixels(m_displays[*i]).toLogical(QPointF(native)) : QPointF(native);
}

QPointF QtDisplays::qtToNative(const QPointF &global, qreal *devicePixelRatio) const
{
    const std::optional<Display> display = displayNearest(m_displays, global);
    const DevicePixels pixels = display ? DevicePixels(*display) : DevicePixels({}, {}, 1);
    if (devicePixelRatio)
        *devicePixelRatio = pixels.ratio();
    return pixels.toDevice(global);
}

} // namespace platform
