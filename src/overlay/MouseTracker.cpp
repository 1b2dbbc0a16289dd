#include "overlay/MouseTracker.h"

#include "platform/Platform.h"

#include <QGuiApplication>
#include <QWindow>

namespace {
// True while the pointer is inside one of Tovani's own windows that take
// input (preferences, About). Decided from the position just read, not from
// Qt's enter and leave tracking, which may not have caught up yet with a
// pointer that jumped out of the window. Click-through windows (the
// overlays, the magnifier) never count.
bool pointerInOwnWindow(QPointF global)
{
    if (!qGuiApp)
        return false;
    const QPoint qtPoint = global.toPoint();
    // Top-level windows only: a handful, where walking the widgets would visit
    // every control of an open preferences window on each move.
    const auto windows = QGuiApplication::topLevelWindows();
    for (const QWindow *w : windows) {
        if (w->isVisible() && !w->flags().testFlag(Qt::WindowTransparentForInput) &&
            w->type() != Qt::Desktop && w->frameGeometry().contains(qtPoint))
            return true;
    }
    return false;
}
} // namespace

MouseTracker::MouseTracker(Callback onMouseMove, platform::PointerMonitor &pointer, QObject *parent,
                           FramePacer::Clock clock)
    : QObject(parent), m_pointer(pointer), m_onMouseMove(std::move(onMouseMove)),
      m_pacer([this] { frame(); }, std::move(clock))
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
    m_eventMonitor = connect(&m_pointer, &platform::PointerMonitor::moved, &m_pacer, &FramePacer::request);
}

void MouseTracker::frame()
{
    // Read once per frame, however many moves the frame merged.
    const QPointF p = m_pointer.position();
    if (m_onMouseMove && !pointerInOwnWindow(p))
        m_onMouseMove(p.x(), p.y());
}

void MouseTracker::stopTracking()
{
    if (!m_eventMonitor)
        return;
    disconnect(m_eventMonitor);
    m_eventMonitor = {};
    m_pacer.cancel();
    m_pointer.stop();
}
