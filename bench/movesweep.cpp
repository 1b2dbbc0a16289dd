// movesweep: the lock-step pointer sweep of bench/bench_moves.sh.
//
//   movesweep N [TIMEOUT_MS]
//
// N XTest moves over the screen, every one changing the pointer's row: after
// each move, waits until the screen's middle column changed (the guide was
// redrawn), at most TIMEOUT_MS (100), before the next one. Every move is then
// read and drawn on its own. Prints "moves N redrawn R timeouts T".
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

// The screen's column x, as 0xRRGGBB pixels of a depth-24 root (empty when it
// cannot be read).
std::vector<uint32_t> column(xcb_connection_t *conn, const xcb_screen_t *screen, int x)
{
    const uint16_t h = screen->height_in_pixels;
    std::unique_ptr<xcb_get_image_reply_t, decltype(&free)> r(
        xcb_get_image_reply(conn, xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(x), 0, 1, h, ~0u),
                            nullptr),
        &free);
    if (!r || xcb_get_image_data_length(r.get()) != h * 4)
        return {};
    std::vector<uint32_t> pixels(h);
    std::memcpy(pixels.data(), xcb_get_image_data(r.get()), size_t(h) * 4);
    for (uint32_t &px : pixels)
        px &= 0xffffff;
    return pixels;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: movesweep N [TIMEOUT_MS]\n");
        return 2;
    }
    const int n = std::atoi(argv[1]);
    const auto timeout = std::chrono::milliseconds(argc == 3 ? std::atoi(argv[2]) : 100);
    xcb_connection_t *conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "movesweep: cannot connect to the X server\n");
        return 3;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const int w = screen->width_in_pixels, h = screen->height_in_pixels;
    int redrawn = 0, timeouts = 0;
    for (int i = 0; i < n; ++i) {
        const std::vector<uint32_t> before = column(conn, screen, w / 2);
        if (before.empty())
            return 1;
        // Every move changes the row (the guide must move); x wanders too.
        xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root, int16_t((i * 37) % w),
                            int16_t(40 + (i * 7) % (h - 80)), 0);
        xcb_flush(conn);
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        bool changed = false;
        while (!changed && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            changed = column(conn, screen, w / 2) != before;
        }
        changed ? ++redrawn : ++timeouts;
    }
    std::printf("moves %d redrawn %d timeouts %d\n", n, redrawn, timeouts);
    xcb_disconnect(conn);
    return 0;
}
