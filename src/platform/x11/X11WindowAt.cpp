#include "platform/x11/X11WindowAt.h"

#include "platform/qt/QtDisplays.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/Xcb.h"

#include <QCoreApplication>

#include <xcb/shape.h>

#include <vector>

namespace platform {

namespace {

struct Candidate
{
    xcb_window_t window;
    QRect frame;   // root pixels, with the border
    QPoint inside; // the point, from the window's origin
};

// Whether the window would take a click at `c.inside`: its input shape
// holds the point. Windows of guides, messages and compositors take none.
std::vector<bool> takingInput(xcb_connection_t *c, const std::vector<Candidate> &candidates)
{
    std::vector<bool> taking(candidates.size(), true);
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_shape_id);
    if (!ext || !ext->present)
        return taking;
    std::vector<xcb_shape_get_rectangles_cookie_t> cookies;
    cookies.reserve(candidates.size());
    for (const Candidate &candidate : candidates)
        cookies.push_back(xcb_shape_get_rectangles(c, candidate.window, XCB_SHAPE_SK_INPUT));
    for (size_t i = 0; i < candidates.size(); ++i) {
        auto r = xcbReply(xcb_shape_get_rectangles_reply(c, cookies[i], nullptr));
        if (!r)
            continue;
        const xcb_rectangle_t *rects = xcb_shape_get_rectangles_rectangles(r.get());
        const int count = xcb_shape_get_rectangles_rectangles_length(r.get());
        bool inside = false;
        for (int k = 0; k < count && !inside; ++k)
            inside =
                QRect(rects[k].x, rects[k].y, rects[k].width, rects[k].height).contains(candidates[i].inside);
        taking[i] = inside;
    }
    return taking;
}

// _NET_WM_PID of each window, 0 where it has none. Asked all at once.
std::vector<qint64> pidsOf(xcb_connection_t *c, xcb_atom_t pidAtom, const std::vector<xcb_window_t> &windows)
{
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (xcb_window_t w : windows)
        cookies.push_back(xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1));
    std::vector<qint64> pids;
    pids.reserve(windows.size());
    for (xcb_get_property_cookie_t cookie : cookies) {
        auto r = xcbReply(xcb_get_property_reply(c, cookie, nullptr));
        const bool ok = r && r->format == 32 && xcb_get_property_value_length(r.get()) >= 4;
        pids.push_back(ok ? qint64(*static_cast<const uint32_t *>(xcb_get_property_value(r.get()))) : 0);
    }
    return pids;
}

std::vector<xcb_window_t> childrenOf(xcb_connection_t *c, xcb_window_t window)
{
    auto tree = xcbReply(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!tree)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

} // namespace

std::optional<WindowAtPoint> findX11WindowAt(X11Connection &x, const QtDisplays &displays,
                                             const QPointF &global)
{
    if (!x.isAlive())
        return std::nullopt;
    xcb_connection_t *c = x.get();
    static const xcb_atom_t pidAtom = internAtom(c, "_NET_WM_PID");
    qreal dpr = 1;
    const QPointF nativePoint = displays.qtToNative(global, &dpr);
    const QPoint native = nativePoint.toPoint();

    // Bottom to top, as the server stacks them.
    const std::vector<xcb_window_t> topLevels = childrenOf(c, x.root());
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    std::vector<xcb_get_geometry_cookie_t> geometries;
    for (xcb_window_t w : topLevels) {
        attributes.push_back(xcb_get_window_attributes(c, w));
        geometries.push_back(xcb_get_geometry(c, w));
    }
    std::vector<Candidate> under; // top first
    for (size_t i = 0; i < topLevels.size(); ++i) {
        auto a = xcbReply(xcb_get_window_attributes_reply(c, attributes[i], nullptr));
        auto g = xcbReply(xcb_get_geometry_reply(c, geometries[i], nullptr));
        if (!a || !g || a->map_state != XCB_MAP_STATE_VIEWABLE || a->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
            continue;
        const QRect frame(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
        if (frame.contains(native))
            under.insert(
                under.begin(),
                Candidate{topLevels[i], frame, native - QPoint(g->x, g->y) - QPoint(1, 1) * g->border_width});
    }
    // The pointer passes through the windows that take no input there.
    const std::vector<bool> taking = takingInput(c, under);
    for (size_t i = taking.size(); i-- > 0;) {
        if (!taking[i])
            under.erase(under.begin() + qsizetype(i));
    }

    if (under.empty()) {
        x.readQueuedLater();
        return std::nullopt;
    }
    const Candidate &top = under.front();
    qint64 pid = pidsOf(c, pidAtom, {top.window}).front();
    // A window manager's frame: the client window inside says.
    for (qint64 childPid : pid == 0 ? pidsOf(c, pidAtom, childrenOf(c, top.window)) : std::vector<qint64>()) {
        if (childPid != 0) {
            pid = childPid;
            break;
        }
    }
    x.readQueuedLater();
    // Tovani's own windows (its preferences) and windows that say no process
    // hide what lies below.
    if (pid == 0 || pid == QCoreApplication::applicationPid())
        return std::nullopt;
    WindowAtPoint w;
    w.pid = pid;
    w.coordinates = WindowAtPoint::Coordinates::Screen;
    w.devicePixelRatio = dpr;
    // Around the point, global and device coordinates differ by the
    // screen's scale about a corner they share.
    w.origin = global;
    w.nativeOrigin = nativePoint;
    w.frame = QRectF(displays.nativeToQt(top.frame.topLeft()),
                     displays.nativeToQt(top.frame.bottomRight() + QPoint(1, 1)));
    return w;
}

} // namespace platform
