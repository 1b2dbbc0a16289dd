#include "platform/QtDisplays.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <limits>

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
    m_native.clear();
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
        const QSize nativeSize(int(std::lround(g.width() * dpr)), int(std::lround(g.height() * dpr)));
        m_native.append({g.topLeft(), QRect(g.topLeft(), nativeSize), dpr});
    }
}

std::optional<Display> QtDisplays::mainDisplay() const { return m_main; }

QPointF QtDisplays::nativeToQt(const QPoint &native) const
{
    const NativeScreen *best = nullptr;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const NativeScreen &s : m_native) {
        if (s.nativeRect.contains(native)) {
            best = &s;
            break;
        }
        // Between screens (a gap in the arrangement) the nearest one decides.
        const qint64 dx = native.x() < s.nativeRect.left()    ? s.nativeRect.left() - native.x()
                          : native.x() > s.nativeRect.right() ? native.x() - s.nativeRect.right()
                                                              : 0;
        const qint64 dy = native.y() < s.nativeRect.top()      ? s.nativeRect.top() - native.y()
                          : native.y() > s.nativeRect.bottom() ? native.y() - s.nativeRect.bottom()
                                                               : 0;
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = &s;
        }
    }
    if (!best)
        return QPointF(native);
    return QPointF(best->origin) + QPointF(native - best->origin) / best->dpr;
}

QPointF QtDisplays::qtToNative(const QPointF &global, qreal *devicePixelRatio) const
{
    const NativeScreen *best = nullptr;
    for (const NativeScreen &s : m_native) {
        const QRectF logical(QPointF(s.origin), QSizeF(s.nativeRect.size()) / s.dpr);
        if (logical.contains(global) || !best)
            best = &s;
        if (logical.contains(global))
            break;
    }
    const qreal dpr = best ? best->dpr : 1;
    if (devicePixelRatio)
        *devicePixelRatio = dpr;
    return best ? QPointF(best->origin) + (global - QPointF(best->origin)) * dpr : global;
}

} // namespace platform
