// Window roles on X11: Qt's flags plus the two things Qt has no flag for, a
// window the compositor draws no shadow around and a window kept above every
// other one.

#include "platform/x11/X11WindowHints.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/Xcb.h"

#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace platform {

X11StackKeeper::X11StackKeeper(X11Connection &x) : m_x(x)
{
    // Added to nothing: this connection selects nothing else on the root.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x.get(), x.root(), XCB_CW_EVENT_MASK, &mask);
    x.flush();
    x.addHandler([this](const xcb_generic_event_t *ev) { handle(ev); });
    m_window.start();
}

void X11StackKeeper::keep(xcb_window_t window, int layer)
{
    if (!m_kept.contains(window))
        m_kept.insert(window, Kept{layer, m_next++, false});
}

void X11StackKeeper::forget(xcb_window_t window) { m_kept.remove(window); }

void X11StackKeeper::handle(const xcb_generic_event_t *ev)
{
    if (m_kept.isEmpty())
        return;
    const xcb_window_t root = m_x.root();
    switch (ev->response_type & 0x7f) {
    case XCB_MAP_NOTIFY: {
        auto *e = reinterpret_cast<const xcb_map_notify_event_t *>(ev);
        if (e->event != root)
            break;
        // Ours keeps the place in the stack it had when hidden, under
        // whatever appeared meanwhile; a new window starts at the top.
        auto it = m_kept.find(e->window);
        if (it != m_kept.end())
            it->mapped = true;
        raiseKept(it != m_kept.end());
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        auto *e = reinterpret_cast<const xcb_unmap_notify_event_t *>(ev);
        auto it = m_kept.find(e->window);
        if (e->event == root && it != m_kept.end())
            it->mapped = false;
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        auto *e = reinterpret_cast<const xcb_destroy_notify_event_t *>(ev);
        if (e->event == root)
            m_kept.remove(e->window);
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        auto *e = reinterpret_cast<const xcb_configure_notify_event_t *>(ev);
        // Restacked directly above one of ours (a raise to the top lands
        // right above ours, which is on top). A move of ours says nothing.
        if (e->event != root || m_kept.contains(e->window))
            break;
        auto below = m_kept.constFind(e->above_sibling);
        if (below != m_kept.cend() && below->mapped)
            raiseKept(false);
        break;
    }
    case XCB_CIRCULATE_NOTIFY: {
        auto *e = reinterpret_cast<const xcb_circulate_notify_event_t *>(ev);
        if (e->event == root && !m_kept.contains(e->window) && e->place == XCB_PLACE_ON_TOP)
            raiseKept(false);
        break;
    }
    default:
        break;
    }
}

void X11StackKeeper::raiseKept(bool ours)
{
    QList<xcb_window_t> order;
    for (auto it = m_kept.cbegin(); it != m_kept.cend(); ++it) {
        if (it->mapped)
            order.append(it.key());
    }
    if (order.isEmpty())
        return;
    // Two clients that both insist on the top would raise each other
    // forever: give up for the rest of the second after a few tries. Our own
    // windows being shown never count.
    if (!ours) {
        if (m_window.elapsed() > 1000) {
            m_window.restart();
            m_raises = 0;
        }
        if (++m_raises > 10)
            return;
    }
    // Lower layers first: each raise lands on top of the ones before.
    std::sort(order.begin(), order.end(), [this](xcb_window_t a, xcb_window_t b) {
        const Kept &ka = m_kept[a], &kb = m_kept[b];
        return ka.layer != kb.layer ? ka.layer < kb.layer : ka.order < kb.order;
    });
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    for (xcb_window_t w : std::as_const(order))
        xcb_configure_window(m_x.get(), w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    m_x.flush();
}

namespace {

// Asks the compositor to draw no shadow around the window (picom and its
// relatives honour _COMPTON_SHADOW = 0 whatever their configuration says). A
// shadow around a window covering a display would spill onto the next one.
void excludeFromShadows(xcb_connection_t *c, xcb_window_t window)
{
    const xcb_atom_t shadow = internAtom(c, "_COMPTON_SHADOW");
    if (shadow == XCB_ATOM_NONE)
        return;
    const uint32_t off = 0;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, shadow, XCB_ATOM_CARDINAL, 32, 1, &off);
    xcb_flush(c);
}

} // namespace

void prepareX11Window(QWidget *window, WindowRole role, xcb_connection_t *qtConn, X11StackKeeper *keeper)
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
    if (!qtConn)
        return;
    const auto id = xcb_window_t(window->winId());
    if (role != WindowRole::Hud)
        excludeFromShadows(qtConn, id);
    if (!keeper)
        return;
    switch (role) {
    case WindowRole::GuideOverlay:
        keeper->keep(id, GuideLayer);
        break;
    case WindowRole::Magnifier:
        // Above the guide: it shows the guide enlarged.
        keeper->keep(id, MagnifierLayer);
        break;
    case WindowRole::Hud:
        keeper->keep(id, HudLayer);
        break;
    }
    // A destroyed window leaves the keeper through its DestroyNotify.
}

} // namespace platform
