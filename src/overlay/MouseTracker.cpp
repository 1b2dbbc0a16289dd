#include "overlay/MouseTracker.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QWidget>

namespace {
// True while the pointer is inside one of Tovani's own windows that take
// input (preferences, About). Qt follows the pointer into and out of its own
// windows, so this costs no request to the window system. Click-through
// windows (the overlays) never count.
bool pointerInOwnWindow()
{
    if (!qApp)
        return false;
    const auto widgets = QApplication::topLevelWidgets();
    for (const QWidget *w : widgets) {
        if (w->isVisible() && w->underMouse() && !w->testAttribute(Qt::WA_TransparentForMouseEvents) &&
            !w->windowFlags().testFlag(Qt::WindowTransparentForInput))
            return true;
    }
    return false;
}
} // namespace

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
    // Like a global monitor, it reports the moves other applications
    // receive: moves inside Tovani's own windows leave the guide where it is.
    m_eventMonitor = connect(&m_pointer, &platform::PointerMonitor::moved, this, [this](QPointF p) {
        if (m_onMouseMove && !pointerInOwnWindow())
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
