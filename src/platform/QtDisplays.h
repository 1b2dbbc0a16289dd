#pragma once

// Displays read from Qt's screens. Shared by the X11 backend and the Qt-only
// fallback: Qt already follows RandR (or the compositor's outputs), so the
// screen list, the primary screen and every geometry change come from it.
//
// Global coordinates put (0, 0) at the bottom-left corner of the primary
// screen with y up; Qt's logical coordinates put it wherever the primary
// screen's top-left corner is, with y down. Both are in the same units (Qt's
// logical pixels, which are points), so converting is a translation and a flip
// about the primary screen's bottom edge. This class is the one place that
// does it.

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
    QPointF toQt(const QPointF &global) const override;
    QPointF fromQt(const QPointF &qtPoint) const override;
    using Displays::fromQt;
    using Displays::toQt;

    // A position in the windowing system's device pixels (X11 root
    // coordinates) in Qt's logical coordinates. Qt keeps every screen's
    // top-left corner at its device position and scales the rest of the
    // screen by its device pixel ratio, so the screen under the point decides.
    QPointF nativeToQt(const QPoint &native) const;

private:
    void watch(QScreen *screen);
    void refresh();
    void scheduleNotification();

    QList<Display> m_displays;
    std::optional<Display> m_main;
    QRectF m_primaryQt; // the primary screen's logical geometry
    struct NativeScreen
    {
        QPoint origin;      // top-left, shared by device and logical space
        QRect nativeRect;   // device pixels
        qreal dpr = 1;
    };
    QList<NativeScreen> m_native;
    bool m_notificationPending = false;
};

} // namespace platform
