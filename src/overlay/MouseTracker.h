#pragma once

// Follows the pointer across the whole desktop while tracking, and hands its
// position (global coordinates) to a callback at most once per display frame
// (see FramePacer): the first move after a rest at once, the moves of a burst
// merged, and always the last position in the end. Moves inside Tovani's own
// windows that take input (preferences, About) are not reported, as they are
// not moves made in other applications.

#include "overlay/FramePacer.h"

#include <QMetaObject>
#include <QObject>

#include <functional>

namespace platform {
class PointerMonitor;
}

class MouseTracker : public QObject
{
    Q_OBJECT
public:
    using Callback = std::function<void(double x, double y)>;

    // Created idle; nothing is reported until startTracking(). The frames
    // are timed by `clock` (see FramePacer).
    MouseTracker(Callback onMouseMove, platform::PointerMonitor &pointer, QObject *parent = nullptr,
                 FramePacer::Clock clock = {});
    ~MouseTracker() override;

    // Registers for pointer moves made anywhere. When the platform cannot
    // follow the pointer the tracker stays idle and the guide does not move.
    void startTracking();
    // Ends the registration, if any.
    void stopTracking();
    bool isTracking() const { return bool(m_eventMonitor); }

    // The refresh rate of the display the pointer is on.
    void setFrameRate(double hz) { m_pacer.setFrameRate(hz); }
    const FramePacer &pacer() const { return m_pacer; }

private:
    void frame();

    platform::PointerMonitor &m_pointer;
    QMetaObject::Connection m_eventMonitor;
    Callback m_onMouseMove;
    FramePacer m_pacer;
};
