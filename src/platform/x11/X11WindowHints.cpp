// Window roles on X11: Qt's flags plus the two things Qt has no flag for, a
// window the compositor draws no shadow around and a window kept above every
// other one.

#include "platform/x11/X11WindowHints.h"

#include "platform/x11/Xcb.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// Watches the stacking of the root window's children (SubstructureNotify on
// the root, added to whatever Qt selected there) and raises the kept windows
// again when another window lands above them. Costs nothing while no other
// window is mapped or restacked.
class StackKeeper : public QObject, public QAbstractNativeEventFilter
{
public:
    static StackKeeper *instance(xcb_connection_t *c)
    {
        static StackKeeper *keeper = new StackKeeper(c); // lives as long as Qt's connection
        return keeper;
    }

    void keep(QWindow *window, int layer)
    {
        const auto id = xcb_window_t(window->winId());
        m_kept.insert(id, layer);
        connect(window, &QObject::destroyed, this, [this, id] {
            m_kept.remove(id);
            m_mapped.remove(id);
        });
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t" || m_kept.isEmpty())
            return false;
        auto *ev = static_cast<xcb_generic_event_t *>(message);
        switch (ev->response_type & 0x7f) {
        case XCB_MAP_NOTIFY: {
            auto *e = reinterpret_cast<xcb_map_notify_event_t *>(ev);
            if (e->event != m_root)
                break;
            // Ours keeps the place in the stack it had when hidden, under
            // whatever appeared meanwhile; a new window starts at the top.
            if (m_kept.contains(e->window))
                m_mapped.insert(e->window);
            raiseKept();
            break;
        }
        case XCB_UNMAP_NOTIFY: {
            auto *e = reinterpret_cast<xcb_unmap_notify_event_t *>(ev);
            if (e->event == m_root)
                m_mapped.remove(e->window);
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            auto *e = reinterpret_cast<xcb_configure_notify_event_t *>(ev);
            // Restacked directly above one of ours (a raise to the top lands
            // right above ours, which is on top).
            if (e->event == m_root && !m_kept.contains(e->window) && m_mapped.contains(e->above_sibling))
                raiseKept();
            break;
        }
        case XCB_CIRCULATE_NOTIFY: {
            auto *e = reinterpret_cast<xcb_circulate_notify_event_t *>(ev);
            if (e->event == m_root && !m_kept.contains(e->window) && e->place == XCB_PLACE_ON_TOP)
                raiseKept();
            break;
        }
        default:
            break;
        }
        return false; // Qt follows its own windows through these too
    }

private:
    explicit StackKeeper(xcb_connection_t *c) : m_conn(c)
    {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0, screen = displayScreen(); i < screen && it.rem > 1; ++i)
            xcb_screen_next(&it);
        m_root = it.data->root;
        // Add to the client's selection on the root rather than replace it.
        auto attrs = xcbReply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, m_root), nullptr));
        const uint32_t mask = (attrs ? attrs->your_event_mask : 0) | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_window.start();
    }

    void raiseKept()
    {
        if (m_mapped.isEmpty())
            return;
        // Two clients that both insist on the top would raise each other
        // forever: give up for the rest of the second after a few tries.
        if (m_window.elapsed() > 1000) {
            m_window.restart();
            m_raises = 0;
        }
        if (++m_raises > 10)
            return;
        // Lower layers first: each raise lands on top of the ones before.
        QList<xcb_window_t> order(m_mapped.cbegin(), m_mapped.cend());
        std::stable_sort(order.begin(), order.end(),
                         [this](xcb_window_t a, xcb_window_t b) { return m_kept.value(a) < m_kept.value(b); });
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        for (xcb_window_t w : std::as_const(order))
            xcb_configure_window(m_conn, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_flush(m_conn);
    }

    xcb_connection_t *m_conn;
    xcb_window_t m_root = XCB_NONE;
    QHash<xcb_window_t, int> m_kept; // window -> layer
    QSet<xcb_window_t> m_mapped;
    QElapsedTimer m_window;
    int m_raises = 0;
};

// Keeps the window above every other top-level window while it is shown: a
// window that another client raises or maps over it is answered by raising
// it again (at most a few times a second, should someone fight back). X11
// stacks override-redirect windows with all the others, so without this a
// window manager raising a clicked window would cover the guide. Among the
// kept windows a higher layer stays above a lower one.
void keepOnTop(xcb_connection_t *c, QWindow *window, int layer) { StackKeeper::instance(c)->keep(window, layer); }

// Asks the compositor to draw no shadow around the window (picom and its
// relatives honour _COMPTON_SHADOW = 0 whatever their configuration says). A
// shadow around a window covering a display would spill onto the next one.
void excludeFromShadows(xcb_connection_t *c, QWindow *window)
{
    const xcb_atom_t shadow = internAtom(c, "_COMPTON_SHADOW");
    if (shadow == XCB_ATOM_NONE)
        return;
    const uint32_t off = 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), shadow, XCB_ATOM_CARDINAL, 32, 1,
                        &off);
    xcb_flush(c);
}

} // namespace

void prepareX11Window(QWidget *window, WindowRole role)
{
    if (!window)
        return;
    Qt::WindowFlags flags = Platform::portableWindowFlags(role);
    // Bypassing the window manager (override-redirect) keeps the window above
    // normal windows on every workspace, out of the taskbar and the pager, and
    // never decorated or moved. Qt makes a tooltip override-redirect anyway.
    if (role != WindowRole::Hud)
        flags |= Qt::X11BypassWindowManagerHint;
    // Qt creates the X window from these: override-redirect, an empty input
    // shape for transparent input, WM_HINTS input false for no focus.
    window->setWindowFlags(flags);
    if (role == WindowRole::Hud)
        return;

    xcb_connection_t *c = qtConnection();
    if (!c)
        return;
    window->winId();
    QWindow *handle = window->windowHandle();
    switch (role) {
    case WindowRole::GuideOverlay:
        excludeFromShadows(c, handle);
        keepOnTop(c, handle, 0);
        break;
    case WindowRole::Magnifier:
        // Above everything, the guide overlays included: it shows them enlarged.
        excludeFromShadows(c, handle);
        keepOnTop(c, handle, 1);
        break;
    case WindowRole::Hud:
        break;
    }
}

} // namespace platform
