#pragma once

// The X11 side of Tovani's window roles: the stack keeper that holds Tovani's
// windows above the others, and X11Platform::prepareWindow().

#include "platform/Platform.h"

#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <QHash>
#include <QList>

namespace platform {

class X11Connection;

// Keeps windows above every other top-level window while they are shown: a
// window another client raises or maps over them is answered by raising them
// again (at most a few times a second, should someone fight back). X11 stacks
// override-redirect windows with all the others, so without this a window
// manager raising a clicked window would cover the guide. Kept windows stack
// by layer, then in the order they were first kept. Watches the root window's
// children on the backend's own connection, so it costs nothing while no
// other window is mapped or restacked.
class X11StackKeeper
{
public:
    explicit X11StackKeeper(X11Connection &x);

    // Window ids are the server's, so a window of Qt's connection can be kept
    // too. A window forgotten or destroyed is dropped.
    void keep(xcb_window_t window, int layer);
    void forget(xcb_window_t window);
    // Puts the kept windows in their order now (after mapping one of them).
    void restack() { raiseKept(true); }

private:
    void handle(const xcb_generic_event_t *ev);
    void raiseKept(bool ours);

    X11Connection &m_x;
    struct Kept
    {
        int layer;
        quint64 order;
        bool mapped;
    };
    QHash<xcb_window_t, Kept> m_kept;
    quint64 m_next = 0;
    QElapsedTimer m_window;
    int m_raises = 0;
};

// Sets the role's flags on `window` (not created yet), creates it, and adds
// the hints Qt has no flag for: no compositor shadow, kept above every other
// window (by `keeper`, when there is one).
void prepareX11Window(QWidget *window, WindowRole role, xcb_connection_t *qtConn, X11StackKeeper *keeper);

// Layers of the stack keeper: the guide's surfaces, then the magnifier that
// enlarges them, then on-screen messages.
enum X11Layer { GuideLayer = 0, MagnifierLayer = 1, HudLayer = 2 };

} // namespace platform
