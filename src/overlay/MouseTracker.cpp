#include "overlay/MouseTracker.h"

#include "platform/Platform.h"

MouseTracker::MouseTracker(Callback onMouseMove, platform::PointerMonitor &pointer, QObject *parent)
    : QObject(parent), m_pointer(pointer), m_onMouseMove(std::move(onMouseMove))
{
}

MouseTracker::MouseTracker(Callback onMouseMove, QObject *parent)
    : MouseTracker(std::move(onMouseMove), platform::Platform::instance().pointer(), parent)
{
}

MouseTracker::~MouseTracker() { stopTracking(); }

void MouseTracker::startTracking()
{
    if (m_eventMonitor)
        return;
    if (!m_pointer.start())
        return; // no registration: the guide stays where it is
    // The connection dies with this tracker, so a late report never reaches
    // a destroyed one.
    m_eventMonitor = connect(&m_pointer, &platform::PointerMonitor::moved, this, [this](QPointF p) {
        if (m_onMouseMove)
            m_onMouseMove(p.x(), p.y());
    });
}

void MouseTracker::stopTracking()
{
    if (!m_eventMonitor)
        return;
    disconnect(m_eventMonitor);
    m_eventMonitor = {};
    m_pointer.stop();
}
