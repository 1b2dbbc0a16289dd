// Whether the X server named by DISPLAY answers, asked before Qt connects:
// Qt's xcb plugin aborts the process when it cannot.

#include "platform/Platform.h"

#include <xcb/xcb.h>

namespace platform {

QString Platform::checkDisplayServer()
{
    const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
    const QByteArray display = qgetenv("DISPLAY");
    // Tovani asks Qt for xcb whenever DISPLAY is set and the user chose no
    // platform of their own.
    const bool usesX11 = qpa.startsWith("xcb") || (qpa.isEmpty() && !display.isEmpty());
    if (!usesX11)
        return QString();
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error == 0)
        return QString();
    return QStringLiteral("cannot open the X display \"%1\" (is the X server running, and may this user use it?)")
        .arg(QString::fromLocal8Bit(display));
}

} // namespace platform
