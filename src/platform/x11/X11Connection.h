#pragma once

// The X11 backend's own connection to the X server, read on the main thread
// through a socket notifier. Pointer motion, the stacking of Tovani's windows
// and the guide's windows go through it, so none of that work passes through
// Qt's event reader thread or Qt's event queue.

#include <QObject>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class X11Connection : public QObject
{
public:
    // Connects to $DISPLAY; null when the server cannot be reached.
    static std::unique_ptr<X11Connection> open();
    ~X11Connection() override;

    xcb_connection_t *get() const { return m_conn; }
    xcb_screen_t *screen() const { return m_screen; }
    xcb_window_t root() const { return m_screen->root; }
    // False once the server has gone away; nothing is sent or read from then.
    bool isAlive() const { return xcb_connection_has_error(m_conn) == 0; }

    // Called with every event, on the main thread, in the order they came.
    using Handler = std::function<void(const xcb_generic_event_t *)>;
    void addHandler(Handler handler) { m_handlers.push_back(std::move(handler)); }
    // Called once the events waiting have all been handled.
    void addBatchHandler(std::function<void()> handler) { m_batchHandlers.push_back(std::move(handler)); }

    // After waiting for a reply: xcb may have read events while it waited,
    // and those no longer make the socket readable. When it did, they are
    // handled on the next turn of the event loop.
    void readQueuedLater();

    // Sends what has been asked so far.
    void flush();

private:
    X11Connection(xcb_connection_t *c, xcb_screen_t *screen);
    void readEvents();
    void handle(xcb_generic_event_t *ev);

    xcb_connection_t *m_conn;
    xcb_screen_t *m_screen;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<Handler> m_handlers;
    std::vector<std::function<void()>> m_batchHandlers;
    xcb_generic_event_t *m_held = nullptr; // taken from xcb's queue, handled first
    bool m_readScheduled = false;
};

} // namespace platform
