#include "platform/x11/X11Connection.h"

#include <cstdlib>
#include <utility>

namespace platform {

std::unique_ptr<X11Connection> X11Connection::open()
{
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return nullptr;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem > 1; ++i)
        xcb_screen_next(&it);
    return std::unique_ptr<X11Connection>(new X11Connection(c, it.data));
}

X11Connection::X11Connection(xcb_connection_t *c, xcb_screen_t *screen) : m_conn(c), m_screen(screen)
{
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11Connection::readEvents);
}

void X11Connection::handle(xcb_generic_event_t *ev)
{
    for (const Handler &handler : m_handlers)
        handler(ev);
    std::free(ev);
}

X11Connection::~X11Connection()
{
    std::free(m_held);
    m_notifier.reset();
    xcb_disconnect(m_conn);
}

void X11Connection::readQueuedLater()
{
    if (m_readScheduled || m_held)
        return;
    // Looking is cheap; waking the event loop is not, so only when needed.
    m_held = xcb_poll_for_queued_event(m_conn);
    if (!m_held)
        return;
    m_readScheduled = true;
    QMetaObject::invokeMethod(this, &X11Connection::readEvents, Qt::QueuedConnection);
}

void X11Connection::flush()
{
    if (isAlive())
        xcb_flush(m_conn);
}

void X11Connection::readEvents()
{
    m_readScheduled = false;
    if (xcb_generic_event_t *held = std::exchange(m_held, nullptr))
        handle(held);
    while (xcb_generic_event_t *ev = xcb_poll_for_event(m_conn))
        handle(ev);
    for (const auto &handler : m_batchHandlers)
        handler();
    if (!isAlive()) {
        // The server went away: Qt's own connection ends the application;
        // until then this one stays quiet instead of waking on a dead socket.
        m_notifier->setEnabled(false);
    }
}

} // namespace platform
