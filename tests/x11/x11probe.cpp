// x11probe: a small X11 client the end-to-end tests use to look at the screen
// and to put known windows on it.
//
//   x11probe pixel X Y                     "R G B" of the root window pixel
//   x11probe count-not R G B TOL X Y W H   how many pixels of the rectangle differ
//                                          from R G B by more than TOL in a channel
//   x11probe bbox-not R G B TOL X Y W H    "X Y W H" bounding box of those pixels
//                                          ("none" when there are none)
//   x11probe find-run R G B TOL MINLEN X Y W H
//                                          the first horizontal run (top row first,
//                                          then leftmost) of at least MINLEN pixels
//                                          within TOL of R G B inside the rectangle:
//                                          prints "X Y LEN" (root coordinates, the
//                                          whole run), or "none" with exit status 1
//   x11probe selection-owned NAME          exit 0 when the selection has an owner
//                                          (e.g. _NET_WM_CM_S0, _NET_SYSTEM_TRAY_S0)
//   x11probe wait-window NAME [TIMEOUT_S]  wait until a mapped window titled NAME
//                                          exists (whole seconds, 10 by default);
//                                          prints its id and geometry
//   x11probe windows                       mapped windows: id, geometry (root
//                                          coordinates), override/managed, title
//   x11probe pattern X Y W H R G B [NAME [top]]
//                                          shows an opaque window of that colour,
//                                          at the bottom of the stack (at the top
//                                          with "top"); prints "ready ID", then
//                                          "click X Y BUTTON" (window-local) for
//                                          every press, until killed
//   x11probe held-sweep N Y FINAL_Y        grabs the server, makes N XTest moves
//                                          along row Y, releases it, and a moment
//                                          later moves to (screen width / 2,
//                                          FINAL_Y): a client that asked where the
//                                          pointer is during the sweep is answered
//                                          only after it, then works through the
//                                          moves it was sent while the final one
//                                          arrives behind them
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

template <typename T> std::unique_ptr<T, decltype(&free)> reply(T *p) { return {p, &free}; }

xcb_connection_t *g_conn = nullptr;
xcb_screen_t *g_screen = nullptr;

int num(const char *text) { return std::atoi(text); }

xcb_atom_t atom(const char *name)
{
    auto r = reply(xcb_intern_atom_reply(g_conn, xcb_intern_atom(g_conn, 0, std::strlen(name), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Pixels of a root-window rectangle, row by row. Exits when the rectangle
// cannot be read. The servers of the tests have a depth-24 TrueColor root,
// 32 bits a pixel: red in bits 16-23, green in 8-15, blue in 0-7.
std::vector<uint32_t> grab(int x, int y, int w, int h)
{
    auto r = reply(xcb_get_image_reply(
        g_conn, xcb_get_image(g_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, g_screen->root, x, y, w, h, ~0u), nullptr));
    if (w <= 0 || h <= 0 || !r || r->depth != 24 || xcb_get_image_data_length(r.get()) != w * h * 4) {
        std::fprintf(stderr, "x11probe: cannot read %dx%d+%d+%d of the root window\n", w, h, x, y);
        std::exit(1);
    }
    std::vector<uint32_t> out(size_t(w) * h);
    std::memcpy(out.data(), xcb_get_image_data(r.get()), out.size() * 4);
    return out;
}

// The pixels of the rectangle "X Y W H" at rect, each marked whether every
// channel is within TOL of "R G B TOL" at colour.
struct Match
{
    int x, y, w, h;
    std::vector<bool> same;
};

Match match(char **colour, char **rect)
{
    Match m{num(rect[0]), num(rect[1]), num(rect[2]), num(rect[3]), {}};
    for (const uint32_t px : grab(m.x, m.y, m.w, m.h)) {
        bool same = true;
        for (int c = 0; c < 3; ++c)
            same = same && std::abs(int(px >> (16 - 8 * c) & 0xff) - num(colour[c])) <= num(colour[3]);
        m.same.push_back(same);
    }
    return m;
}

// Qt's windows and x11probe's own have a _NET_WM_NAME.
std::string windowTitle(xcb_window_t w)
{
    static const xcb_atom_t netWmName = atom("_NET_WM_NAME");
    auto r = reply(xcb_get_property_reply(
        g_conn, xcb_get_property(g_conn, 0, w, netWmName, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
    return r ? std::string(static_cast<const char *>(xcb_get_property_value(r.get())),
                           size_t(xcb_get_property_value_length(r.get())))
             : std::string();
}

struct WindowInfo
{
    xcb_window_t id;
    int x, y, w, h;
    bool overrideRedirect;
    std::string title;
};

// Mapped windows, children of the root and their children (a window manager
// or toolkit may reparent), with root coordinates.
std::vector<WindowInfo> mappedWindows()
{
    std::vector<WindowInfo> out;
    std::vector<xcb_window_t> todo{g_screen->root};
    while (!todo.empty()) {
        auto tree = reply(xcb_query_tree_reply(g_conn, xcb_query_tree(g_conn, todo.back()), nullptr));
        todo.pop_back();
        const xcb_window_t *children = tree ? xcb_query_tree_children(tree.get()) : nullptr;
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t w = children[i];
            auto attrs = reply(xcb_get_window_attributes_reply(g_conn, xcb_get_window_attributes(g_conn, w), nullptr));
            auto geom = reply(xcb_get_geometry_reply(g_conn, xcb_get_geometry(g_conn, w), nullptr));
            auto tr = reply(xcb_translate_coordinates_reply(
                g_conn, xcb_translate_coordinates(g_conn, w, g_screen->root, 0, 0), nullptr));
            if (!attrs || attrs->map_state != XCB_MAP_STATE_VIEWABLE || !geom || !tr) continue;
            out.push_back({w, tr->dst_x, tr->dst_y, geom->width, geom->height, bool(attrs->override_redirect),
                           windowTitle(w)});
            todo.push_back(w);
        }
    }
    return out;
}

int cmdNot(char **argv, bool bbox)
{
    const Match m = match(argv, argv + 4);
    long count = 0;
    int x0 = m.w, y0 = m.h, x1 = -1, y1 = -1;
    for (size_t i = 0; i < m.same.size(); ++i) {
        const int col = int(i % m.w), row = int(i / m.w);
        if (!m.same[i])
            ++count, x0 = std::min(x0, col), x1 = std::max(x1, col), y0 = std::min(y0, row), y1 = std::max(y1, row);
    }
    if (!bbox || count == 0) return std::printf(bbox ? "none\n" : "%ld\n", count) < 0;
    return std::printf("%d %d %d %d\n", m.x + x0, m.y + y0, x1 - x0 + 1, y1 - y0 + 1) < 0;
}

// Finding a drawing by its colour: the end-to-end tests of the preferences
// window locate a control by the picture it draws, since another process's
// widgets cannot be asked where they are.
int cmdFindRun(int, char **argv)
{
    const Match m = match(argv, argv + 5);
    const int minLen = std::max(1, num(argv[4]));
    for (int row = 0; row < m.h; ++row) {
        const auto begin = m.same.begin() + ptrdiff_t(row) * m.w, end = begin + m.w;
        const auto start = std::search_n(begin, end, minLen, true);
        if (start != end)
            return std::printf("%d %d %d\n", m.x + int(start - begin), m.y + row, int(std::find(start, end, false) - start)) < 0;
    }
    std::printf("none\n");
    return 1;
}

int cmdWaitWindow(int argc, char **argv)
{
    for (int tries = argc == 2 ? std::atoi(argv[1]) * 20 : 200;; --tries) {
        for (const WindowInfo &w : mappedWindows())
            if (w.title == argv[0]) return std::printf("0x%x %d %d %d %d\n", w.id, w.x, w.y, w.w, w.h) < 0;
        if (tries <= 0) return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

int cmdPattern(int argc, char **argv)
{
    const std::string name = argc >= 8 ? argv[7] : "x11probe-pattern";
    const uint32_t colour = (uint32_t(num(argv[4])) << 16) | (uint32_t(num(argv[5])) << 8) | uint32_t(num(argv[6]));
    const xcb_window_t win = xcb_generate_id(g_conn);
    // Override-redirect so it lands exactly where asked with or without a
    // window manager; it still receives the presses that reach it.
    const uint32_t values[] = {colour, 1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(g_conn, XCB_COPY_FROM_PARENT, win, g_screen->root, int16_t(num(argv[0])), int16_t(num(argv[1])),
                      uint16_t(num(argv[2])), uint16_t(num(argv[3])), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      g_screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_change_property(g_conn, XCB_PROP_MODE_REPLACE, win, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, name.size(),
                        name.data());
    xcb_map_window(g_conn, win);
    const uint32_t stack = argc == 9 && std::string(argv[8]) == "top" ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
    xcb_configure_window(g_conn, win, XCB_CONFIG_WINDOW_STACK_MODE, &stack);
    xcb_flush(g_conn);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("ready 0x%x\n", win);
    while (xcb_generic_event_t *ev = xcb_wait_for_event(g_conn)) {
        if ((ev->response_type & 0x7f) == XCB_BUTTON_PRESS) {
            const auto *bp = reinterpret_cast<xcb_button_press_event_t *>(ev);
            std::printf("click %d %d %d\n", bp->event_x, bp->event_y, bp->detail);
        }
        free(ev);
    }
    return 0;
}

int cmdHeldSweep(int, char **argv)
{
    const int n = num(argv[0]), y = num(argv[1]), w = g_screen->width_in_pixels;
    const auto move = [](int x, int row) {
        xcb_test_fake_input(g_conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, g_screen->root, int16_t(x), int16_t(row), 0);
    };
    const auto roundTrip = [] { free(xcb_get_input_focus_reply(g_conn, xcb_get_input_focus(g_conn), nullptr)); };
    xcb_grab_server(g_conn);
    move(20, y);
    roundTrip();
    // Time for the follower to ask where the pointer is: its question waits
    // for the release, and the moves below queue up behind it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int i = 0; i < n; ++i) move(20 + (i * 7) % (w - 40), y);
    roundTrip();
    xcb_ungrab_server(g_conn);
    roundTrip();
    // The follower's next question is answered at once; the final move comes
    // while it is still working through the queued ones.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    move(w / 2, num(argv[2]));
    roundTrip();
    return 0;
}

struct Command
{
    const char *name;
    int minArgs, maxArgs;
    int (*run)(int argc, char **argv);
};

const Command commands[] = {
    {"pixel", 2, 2, [](int, char **a) {
         const uint32_t px = grab(num(a[0]), num(a[1]), 1, 1).front();
         return std::printf("%u %u %u\n", px >> 16 & 0xff, px >> 8 & 0xff, px & 0xff) < 0 ? 1 : 0;
     }},
    {"count-not", 8, 8, [](int, char **a) { return cmdNot(a, false); }},
    {"bbox-not", 8, 8, [](int, char **a) { return cmdNot(a, true); }},
    {"find-run", 9, 9, cmdFindRun},
    {"selection-owned", 1, 1, [](int, char **a) {
         auto r = reply(xcb_get_selection_owner_reply(g_conn, xcb_get_selection_owner(g_conn, atom(a[0])), nullptr));
         return r && r->owner != XCB_NONE ? 0 : 1;
     }},
    {"wait-window", 1, 2, cmdWaitWindow},
    {"windows", 0, 0, [](int, char **) {
         for (const WindowInfo &w : mappedWindows())
             std::printf("0x%x %d %d %d %d %s %s\n", w.id, w.x, w.y, w.w, w.h, w.overrideRedirect ? "override" : "managed",
                         w.title.c_str());
         return 0;
     }},
    {"pattern", 7, 9, cmdPattern},
    {"held-sweep", 3, 3, cmdHeldSweep},
};

} // namespace

int main(int argc, char **argv)
{
    const int n = argc - 2;
    for (const Command &c : commands) {
        if (argc < 2 || std::strcmp(argv[1], c.name) != 0 || n < c.minArgs || n > c.maxArgs) continue;
        g_conn = xcb_connect(nullptr, nullptr); // the servers of the tests have one screen
        if (xcb_connection_has_error(g_conn)) {
            std::fprintf(stderr, "x11probe: cannot connect to the X server\n");
            return 3;
        }
        g_screen = xcb_setup_roots_iterator(xcb_get_setup(g_conn)).data;
        const int rc = c.run(n, argv + 2);
        xcb_disconnect(g_conn);
        return rc;
    }
    std::fprintf(stderr, "usage: x11probe COMMAND ARGS... (the commands are listed in x11probe.cpp)\n");
    return 2;
}
