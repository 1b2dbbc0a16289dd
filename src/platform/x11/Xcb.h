#pragma once

// Small helpers shared by the X11 backend's files.

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform {

// Replies and errors of xcb are malloc'ed; this frees them on every path.
template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> XcbReply<T> xcbReply(T *reply) { return XcbReply<T>(reply, &std::free); }

inline xcb_atom_t internAtom(xcb_connection_t *c, const QByteArray &name)
{
    auto r = xcbReply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.constData()), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Qt's own connection to the X server, or null when Qt does not run on xcb.
inline xcb_connection_t *qtConnection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The screen Qt connects to: $DISPLAY's default screen.
inline int displayScreen()
{
    int screen = 0;
    char *host = nullptr;
    int display = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen))
        screen = 0;
    std::free(host);
    return screen;
}

} // namespace platform
