// x11probe: a small X11 client the end-to-end tests use to look at the screen
// and to put known windows on it.
//
//   x11probe pixel X Y                     "R G B" of the root window pixel
//   x11probe count-not R G B TOL X Y W H   how many pixels of the rectangle differ
//                                          from R G B by more than TOL in a channel
//   x11probe bbox-not R G B TOL X Y W H    "X Y W H" bounding box of those pixels
//                                          ("none" when there are none)
//   x11probe selection-owned NAME          exit 0 when the selection has an owner
//                                          (e.g. _NET_WM_CM_S0, _NET_SYSTEM_TRAY_S0)
//   x11probe wait-window NAME [TIMEOUT_S]  wait until a mapped window titled NAME
//                                          exists; prints its id and geometry
//   x11probe windows                       mapped top-level windows: id, geometry,
//                                          override-redirect flag, title
//   x11probe pattern X Y W H R G B [NAME [top]]
//                                          shows an opaque window of that colour,
//                                          at the bottom of the stack (at the top
//                                          with "top"); prints "click X Y BUTTON"
//                                          (window-local) for every press, until killed
//   x11probe pointer                       "X Y" of the pointer on the root window
//   x11probe sweep N [TIMEOUT_MS]          N XTest moves over the screen in lock
//                                          step: after each move, waits until the
//                                          screen's middle column changed (the
//                                          guide was redrawn) before the next one;
//                                          prints "moves N redrawn R timeouts T"
//   x11probe held-sweep N Y FINAL_Y        grabs the server, makes N XTest moves
//                                          along row Y, releases it, and a moment
//                                          later moves to (screen width / 2,
//                                          FINAL_Y): a client that asked where the
//                                          pointer is during the sweep is answered
//                                          only after it, then works through the
//                                          moves it was sent while the final one
//                                          arrives behind them
//   x11probe find-run R G B TOL MINLEN X Y W H
//                                          the first horizontal run (top row first,
//                                          then leftmost) of at least MINLEN pixels
//                                          within TOL of R G B inside the rectangle:
//                                          prints "X Y LEN" (root coordinates, the
//                                          whole run), or "none" with exit status 1
#include <xcb/xcb.h>
#ifdef X11PROBE_XTEST
#include <xcb/xtest.h>
#endif

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

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;
template <typename T> Reply<T> reply(T *p) { return Reply<T>(p, &free); }

xcb_connection_t *g_conn = nullptr;
xcb_screen_t *g_screen = nullptr;

int usage()
{
    std::fprintf(stderr, "usage: x11probe pixel|count-not|bbox-not|selection-owned|wait-window|windows|pattern|pointer|sweep|held-sweep|find-run ...\n");
    return 2;
}

void connect()
{
    int screenNumber = 0;
    g_conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(g_conn)) {
        std::fprintf(stderr, "x11probe: cannot connect to the X server\n");
        std::exit(3);
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(g_conn));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    g_screen = it.data;
}

xcb_atom_t atom(const char *name)
{
    auto r = reply(xcb_intern_atom_reply(g_conn, xcb_intern_atom(g_conn, 0, std::strlen(name), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

struct Rgb
{
    int r, g, b;
};

// Pixels of a root-window rectangle, row by row. The root of a 24/32-bit
// TrueColor screen is read through its visual's channel masks.
struct Image
{
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
};

int shiftOf(uint32_t mask)
{
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

xcb_visualtype_t *rootVisual()
{
    for (auto d = xcb_screen_allowed_depths_iterator(g_screen); d.rem; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == g_screen->root_visual)
                return v.data;
    return nullptr;
}

bool grab(int x, int y, int w, int h, Image &out)
{
    auto r = reply(xcb_get_image_reply(
        g_conn, xcb_get_image(g_conn, XCB_IMAGE_FORMAT_Z_PIXMAP, g_screen->root, x, y, w, h, ~0u), nullptr));
    if (!r) {
        std::fprintf(stderr, "x11probe: GetImage failed (outside the screen?)\n");
        return false;
    }
    xcb_visualtype_t *visual = rootVisual();
    if (!visual || r->depth < 24) {
        std::fprintf(stderr, "x11probe: unsupported root depth %d\n", r->depth);
        return false;
    }
    const uint8_t *data = xcb_get_image_data(r.get());
    const int len = xcb_get_image_data_length(r.get());
    const int bpp = 32; // depth 24/32 is stored in 32 bits on every server we run
    const int stride = len / h;
    const int rs = shiftOf(visual->red_mask), gs = shiftOf(visual->green_mask), bs = shiftOf(visual->blue_mask);
    out.width = w;
    out.height = h;
    out.pixels.resize(size_t(w) * h);
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            uint32_t px;
            std::memcpy(&px, data + row * stride + col * (bpp / 8), 4);
            out.pixels[size_t(row) * w + col] = {int((px & visual->red_mask) >> rs),
                                                 int((px & visual->green_mask) >> gs),
                                                 int((px & visual->blue_mask) >> bs)};
        }
    }
    return true;
}

bool differs(const Rgb &a, const Rgb &b, int tol)
{
    return std::abs(a.r - b.r) > tol || std::abs(a.g - b.g) > tol || std::abs(a.b - b.b) > tol;
}

std::string windowTitle(xcb_window_t w)
{
    static const xcb_atom_t netWmName = atom("_NET_WM_NAME");
    static const xcb_atom_t utf8 = atom("UTF8_STRING");
    for (auto [prop, type] : {std::pair{netWmName, utf8}, std::pair{xcb_atom_t(XCB_ATOM_WM_NAME), xcb_atom_t(XCB_ATOM_STRING)}}) {
        auto r = reply(xcb_get_property_reply(g_conn, xcb_get_property(g_conn, 0, w, prop, type, 0, 1024), nullptr));
        if (r && xcb_get_property_value_length(r.get()) > 0)
            return std::string(static_cast<const char *>(xcb_get_property_value(r.get())),
                               xcb_get_property_value_length(r.get()));
    }
    return {};
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
        xcb_window_t parent = todo.back();
        todo.pop_back();
        auto tree = reply(xcb_query_tree_reply(g_conn, xcb_query_tree(g_conn, parent), nullptr));
        if (!tree)
            continue;
        xcb_window_t *children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            xcb_window_t w = children[i];
            auto attrs = reply(xcb_get_window_attributes_reply(g_conn, xcb_get_window_attributes(g_conn, w), nullptr));
            if (!attrs || attrs->map_state != XCB_MAP_STATE_VIEWABLE)
                continue;
            auto geom = reply(xcb_get_geometry_reply(g_conn, xcb_get_geometry(g_conn, w), nullptr));
            auto tr = reply(xcb_translate_coordinates_reply(
                g_conn, xcb_translate_coordinates(g_conn, w, g_screen->root, 0, 0), nullptr));
            if (!geom || !tr)
                continue;
            out.push_back({w, tr->dst_x, tr->dst_y, geom->width, geom->height, bool(attrs->override_redirect),
                           windowTitle(w)});
            todo.push_back(w);
        }
    }
    return out;
}

int cmdPixel(int argc, char **argv)
{
    if (argc != 2)
        return usage();
    Image img;
    if (!grab(std::atoi(argv[0]), std::atoi(argv[1]), 1, 1, img))
        return 1;
    std::printf("%d %d %d\n", img.pixels[0].r, img.pixels[0].g, img.pixels[0].b);
    return 0;
}

int cmdNot(int argc, char **argv, bool bbox)
{
    if (argc != 8)
        return usage();
    const Rgb ref{std::atoi(argv[0]), std::atoi(argv[1]), std::atoi(argv[2])};
    const int tol = std::atoi(argv[3]);
    const int x = std::atoi(argv[4]), y = std::atoi(argv[5]), w = std::atoi(argv[6]), h = std::atoi(argv[7]);
    Image img;
    if (!grab(x, y, w, h, img))
        return 1;
    long count = 0;
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            if (differs(img.pixels[size_t(row) * w + col], ref, tol)) {
                ++count;
                minX = std::min(minX, col);
                maxX = std::max(maxX, col);
                minY = std::min(minY, row);
                maxY = std::max(maxY, row);
            }
    if (!bbox)
        std::printf("%ld\n", count);
    else if (count == 0)
        std::printf("none\n");
    else
        std::printf("%d %d %d %d\n", x + minX, y + minY, maxX - minX + 1, maxY - minY + 1);
    return 0;
}

int cmdSelectionOwned(int argc, char **argv)
{
    if (argc != 1)
        return usage();
    auto r = reply(xcb_get_selection_owner_reply(g_conn, xcb_get_selection_owner(g_conn, atom(argv[0])), nullptr));
    return r && r->owner != XCB_NONE ? 0 : 1;
}

int cmdWaitWindow(int argc, char **argv)
{
    if (argc < 1 || argc > 2)
        return usage();
    const double timeout = argc == 2 ? std::atof(argv[1]) : 10.0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    do {
        for (const WindowInfo &w : mappedWindows())
            if (w.title == argv[0]) {
                std::printf("0x%x %d %d %d %d\n", w.id, w.x, w.y, w.w, w.h);
                return 0;
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return 1;
}

int cmdWindows()
{
    for (const WindowInfo &w : mappedWindows())
        std::printf("0x%x %d %d %d %d %s %s\n", w.id, w.x, w.y, w.w, w.h, w.overrideRedirect ? "override" : "managed",
                    w.title.c_str());
    return 0;
}

int cmdPointer()
{
    auto r = reply(xcb_query_pointer_reply(g_conn, xcb_query_pointer(g_conn, g_screen->root), nullptr));
    if (!r)
        return 1;
    std::printf("%d %d\n", r->root_x, r->root_y);
    return 0;
}

int cmdPattern(int argc, char **argv)
{
    if (argc < 7 || argc > 9)
        return usage();
    const bool top = argc == 9 && std::string(argv[8]) == "top";
    const int x = std::atoi(argv[0]), y = std::atoi(argv[1]), w = std::atoi(argv[2]), h = std::atoi(argv[3]);
    const uint32_t colour = (uint32_t(std::atoi(argv[4])) << 16) | (uint32_t(std::atoi(argv[5])) << 8) |
                            uint32_t(std::atoi(argv[6]));
    const std::string name = argc >= 8 ? argv[7] : "x11probe-pattern";
    xcb_window_t win = xcb_generate_id(g_conn);
    // Override-redirect so it lands exactly where asked with or without a
    // window manager; it still receives the presses that reach it.
    const uint32_t values[] = {colour, 1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(g_conn, XCB_COPY_FROM_PARENT, win, g_screen->root, x, y, w, h, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, g_screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_change_property(g_conn, XCB_PROP_MODE_REPLACE, win, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, name.size(),
                        name.data());
    xcb_change_property(g_conn, XCB_PROP_MODE_REPLACE, win, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        name.size(), name.data());
    xcb_map_window(g_conn, win);
    // Below everything else unless asked for the top.
    const uint32_t stack = top ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
    xcb_configure_window(g_conn, win, XCB_CONFIG_WINDOW_STACK_MODE, &stack);
    xcb_flush(g_conn);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("ready 0x%x\n", win);
    while (xcb_generic_event_t *ev = xcb_wait_for_event(g_conn)) {
        if ((ev->response_type & 0x7f) == XCB_BUTTON_PRESS) {
            auto *bp = reinterpret_cast<xcb_button_press_event_t *>(ev);
            std::printf("click %d %d %d\n", bp->event_x, bp->event_y, bp->detail);
        }
        free(ev);
    }
    return 0;
}

int cmdSweep(int argc, char **argv)
{
#ifndef X11PROBE_XTEST
    (void)argc;
    (void)argv;
    std::fprintf(stderr, "x11probe: built without xcb-xtest, no sweep\n");
    return 2;
#else
    if (argc < 1 || argc > 2)
        return usage();
    const int n = std::atoi(argv[0]);
    const int timeoutMs = argc == 2 ? std::atoi(argv[1]) : 100;
    const int w = g_screen->width_in_pixels, h = g_screen->height_in_pixels;
    const int column = w / 2;
    int redrawn = 0, timeouts = 0;
    Image before, now;
    for (int i = 0; i < n; ++i) {
        // Every move changes the row (the guide must move); x wanders too.
        const int x = (i * 37) % w, y = 40 + (i * 7) % (h - 80);
        if (!grab(column, 0, 1, h, before))
            return 1;
        xcb_test_fake_input(g_conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, g_screen->root, int16_t(x), int16_t(y), 0);
        xcb_flush(g_conn);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        bool changed = false;
        while (!changed && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            if (!grab(column, 0, 1, h, now))
                return 1;
            for (int k = 0; k < h && !changed; ++k)
                changed = differs(before.pixels[k], now.pixels[k], 0);
        }
        changed ? ++redrawn : ++timeouts;
    }
    std::printf("moves %d redrawn %d timeouts %d\n", n, redrawn, timeouts);
    return 0;
#endif
}

int cmdHeldSweep(int argc, char **argv)
{
#ifndef X11PROBE_XTEST
    (void)argc;
    (void)argv;
    std::fprintf(stderr, "x11probe: built without xcb-xtest, no held-sweep\n");
    return 2;
#else
    if (argc != 3)
        return usage();
    const int n = std::atoi(argv[0]), y = std::atoi(argv[1]), finalY = std::atoi(argv[2]);
    const int w = g_screen->width_in_pixels;
    const auto move = [](int x, int row) {
        xcb_test_fake_input(g_conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, g_screen->root, int16_t(x),
                            int16_t(row), 0);
    };
    const auto roundTrip = [] { free(xcb_get_input_focus_reply(g_conn, xcb_get_input_focus(g_conn), nullptr)); };
    xcb_grab_server(g_conn);
    move(20, y);
    roundTrip();
    // Time for the follower to ask where the pointer is: its question waits
    // for the release, and the moves below queue up behind it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int i = 0; i < n; ++i)
        move(20 + (i * 7) % (w - 40), y);
    roundTrip();
    xcb_ungrab_server(g_conn);
    roundTrip();
    // The follower's next question is answered at once; the final move comes
    // while it is still working through the queued ones.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    move(w / 2, finalY);
    roundTrip();
    return 0;
#endif
}

// Finding a drawing by its colour: the end-to-end tests of the preferences
// window locate a control by the picture it draws, since another process's
// widgets cannot be asked where they are.
int cmdFindRun(int argc, char **argv)
{
    if (argc != 9)
        return usage();
    const Rgb ref{std::atoi(argv[0]), std::atoi(argv[1]), std::atoi(argv[2])};
    const int tol = std::atoi(argv[3]), minLen = std::max(1, std::atoi(argv[4]));
    const int x = std::atoi(argv[5]), y = std::atoi(argv[6]), w = std::atoi(argv[7]), h = std::atoi(argv[8]);
    Image img;
    if (w <= 0 || h <= 0 || !grab(x, y, w, h, img))
        return 1;
    for (int row = 0; row < h; ++row) {
        int col = 0;
        while (col < w) {
            if (differs(img.pixels[size_t(row) * w + col], ref, tol)) {
                ++col;
                continue;
            }
            const int start = col;
            while (col < w && !differs(img.pixels[size_t(row) * w + col], ref, tol))
                ++col;
            if (col - start >= minLen) {
                std::printf("%d %d %d\n", x + start, y + row, col - start);
                return 0;
            }
        }
    }
    std::printf("none\n");
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string cmd = argv[1];
    connect();
    int rc;
    if (cmd == "pixel")
        rc = cmdPixel(argc - 2, argv + 2);
    else if (cmd == "count-not")
        rc = cmdNot(argc - 2, argv + 2, false);
    else if (cmd == "bbox-not")
        rc = cmdNot(argc - 2, argv + 2, true);
    else if (cmd == "selection-owned")
        rc = cmdSelectionOwned(argc - 2, argv + 2);
    else if (cmd == "wait-window")
        rc = cmdWaitWindow(argc - 2, argv + 2);
    else if (cmd == "windows")
        rc = cmdWindows();
    else if (cmd == "pointer")
        rc = cmdPointer();
    else if (cmd == "sweep")
        rc = cmdSweep(argc - 2, argv + 2);
    else if (cmd == "pattern")
        rc = cmdPattern(argc - 2, argv + 2);
    else if (cmd == "held-sweep")
        rc = cmdHeldSweep(argc - 2, argv + 2);
    else if (cmd == "find-run")
        rc = cmdFindRun(argc - 2, argv + 2);
    else
        rc = usage();
    xcb_disconnect(g_conn);
    return rc;
}
