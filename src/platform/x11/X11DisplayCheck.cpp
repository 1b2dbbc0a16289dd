// Whether the X server named by DISPLAY answers, asked before Qt connects:
// Qt's xcb plugin aborts the process when it cannot.

#include "platform/Backends.h"

#include <QCoreApplication>
#include <xcb/xcb.h>

namespace platform {

QString x11DisplayProblem()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error == 0)
        return QString();
    return QCoreApplication::translate("Platform", "cannot open the X display \"%1\" (is the X server running, "
                                                   "and may this user use it?)")
        .arg(qEnvironmentVariable("DISPLAY"));
}

} // namespace platform
