#pragma once

// Displays read from Qt's screens. Shared by the X11 backend and the Qt-only
// fallback: Qt already follows RandR (or the compositor's outputs), so the
// screen list, the primary screen and every geometry change come from it.
// Frames are the screens' logical geometries as Qt reports them.

#include "platform/Platform.h"

#include <QPoint>

class QScreen;

namespace platform {

class QtDisplays : public Displays
{
    Q_OBJECT
public:
    explicit QtDisplays(QObject *parent = nullptr);

    QList<Display> displays() const override { return m_displays; }
    std::optional<Display> mainDisplay() const override;

    // A position in the windowing system's device pixels (X11 root
    // coordinates) in Qt's logical coordinates. Qt keeps every screen's
    // top-left corner at its device position and scales the rest of the
    // screen by its device pixel ratio (DevicePixels), so the screen under
    // the point decides, or the nearest one.
    QPointF nativeToQt(const QPoint &native) const;
    // The other way: the device position of a global point, and the device
    // pixel ratio of the screen that decides.
    QPointF qtToNative(const QPointF &global, qreal *devicePixelRatio = nullptr) const;

private:
    void watch(QScreen *screen);
    void refresh();
    void scheduleNotification();

    QList<Display> m_displays;
    std::optional<Display> m_main;
    bool m_notificationPending = false;
};

} // namespace platform
