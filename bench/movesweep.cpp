// movesweep: the pointer driver of bench/bench_moves.sh, through XTest.
//
//   movesweep stream N HZ
//       N moves at HZ moves per second, on a fixed schedule (a late move does
//       not shift the ones after it), every one changing the pointer's row
//       while x wanders. Prints "stream N HZ SECONDS".
//   movesweep latency N PAUSE_MS X DY
//       N single moves, each after PAUSE_MS of rest, alternating between two
//       rows far apart. After each move, polls the screen pixel at (X, row +
//       DY) until it changes: the time from the move reaching the server to
//       the new picture on the (composited) screen. Prints "latency N
//       MEDIAN_MS P95_MS MAX_MS TIMEOUTS".
//   movesweep snap N PAUSE_MS X AWAY_Y PX Y:PROBE [Y:PROBE...]
//       N rests on lines of text: the pointer goes to (X, AWAY_Y), where no
//       line is, rests PAUSE_MS, then moves to (X, Y) of the next target.
//       Polls the pixel (PX, PROBE), a row of the line the guide covers only
//       once it snapped to it, until it changes: from the move to the guide
//       on the line, rest time included. Prints "snap N MEDIAN_MS P95_MS
//       MAX_MS TIMEOUTS".
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Screen
{
    xcb_connection_t *conn;
    const xcb_screen_t *screen;
    int w, h;
};

void move(const Screen &s, int x, int y)
{
    xcb_test_fake_input(s.conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, s.screen->root, int16_t(x), int16_t(y), 0);
    xcb_flush(s.conn);
}

// The server has handled everything sent so far.
void sync(const Screen &s) { std::free(xcb_get_input_focus_reply(s.conn, xcb_get_input_focus(s.conn), nullptr)); }

// One screen pixel as 0xRRGGBB, or ~0 when it cannot be read.
uint32_t pixel(const Screen &s, int x, int y)
{
    std::unique_ptr<xcb_get_image_reply_t, decltype(&free)> r(
        xcb_get_image_reply(
            s.conn, xcb_get_image(s.conn, XCB_IMAGE_FORMAT_Z_PIXMAP, s.screen->root, int16_t(x), int16_t(y), 1, 1, ~0u),
            nullptr),
        &free);
    if (!r || xcb_get_image_data_length(r.get()) < 4)
        return ~0u;
    uint32_t p;
    std::memcpy(&p, xcb_get_image_data(r.get()), 4);
    return p & 0xffffff;
}

int stream(const Screen &s, int n, double hz)
{
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hz));
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < n; ++i) {
        std::this_thread::sleep_until(start + i * period);
        move(s, (i * 37) % s.w, 40 + (i * 7) % (s.h - 80));
    }
    sync(s);
    std::printf("stream %d %g %.3f\n", n, hz, std::chrono::duration<double>(Clock::now() - start).count());
    return 0;
}

void report(const char *what, int n, std::vector<double> &ms, int timeouts)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms.empty() ? 0.0 : ms[std::min(ms.size() - 1, size_t(q * double(ms.size())))]; };
    std::printf("%s %d %.2f %.2f %.2f %d\n", what, n, at(0.5), at(0.95), ms.empty() ? 0.0 : ms.back(), timeouts);
}

// Until the pixel differs from `before`, at most `limit`: the time since `sent`.
bool waitForChange(const Screen &s, int x, int y, uint32_t before, Clock::time_point sent,
                   std::chrono::milliseconds limit, std::vector<double> &ms)
{
    while (Clock::now() - sent < limit) {
        if (pixel(s, x, y) != before) {
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return false;
}

int snap(const Screen &s, int n, int pauseMs, int x, int awayY, int px, const std::vector<std::pair<int, int>> &targets)
{
    std::vector<double> ms;
    int timeouts = 0;
    for (int i = 0; i < n; ++i) {
        const auto [y, probe] = targets[size_t(i) % targets.size()];
        move(s, x, awayY);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        const uint32_t before = pixel(s, px, probe);
        move(s, x, y);
        sync(s);
        if (!waitForChange(s, px, probe, before, Clock::now(), std::chrono::milliseconds(1000), ms))
            ++timeouts;
    }
    report("snap", n, ms, timeouts);
    return 0;
}

int latency(const Screen &s, int n, int pauseMs, int x, int dy)
{
    std::vector<double> ms;
    int timeouts = 0;
    const int rows[2] = {s.h / 4, 3 * s.h / 4};
    for (int i = 0; i < n; ++i) {
        const int y = rows[i % 2] + (i / 2) % 8; // a row the guide has not been on just before
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        const uint32_t before = pixel(s, x, y + dy);
        move(s, x, y);
        sync(s);
        if (!waitForChange(s, x, y + dy, before, Clock::now(), std::chrono::milliseconds(500), ms))
            ++timeouts;
    }
    report("latency", n, ms, timeouts);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const bool isStream = argc == 4 && std::strcmp(argv[1], "stream") == 0;
    const bool isLatency = argc == 6 && std::strcmp(argv[1], "latency") == 0;
    const bool isSnap = argc >= 8 && std::strcmp(argv[1], "snap") == 0;
    std::vector<std::pair<int, int>> targets;
    for (int i = 7; isSnap && i < argc; ++i) {
        int y = 0, probe = 0;
        if (std::sscanf(argv[i], "%d:%d", &y, &probe) == 2)
            targets.emplace_back(y, probe);
    }
    if (!isStream && !isLatency && (!isSnap || targets.empty())) {
        std::fprintf(stderr, "usage: movesweep stream N HZ | movesweep latency N PAUSE_MS X DY |\n"
                             "       movesweep snap N PAUSE_MS X AWAY_Y PX Y:PROBE [Y:PROBE...]\n");
        return 2;
    }
    xcb_connection_t *conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "movesweep: cannot connect to the X server\n");
        return 3;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const Screen s{conn, screen, screen->width_in_pixels, screen->height_in_pixels};
    const int result = isStream  ? stream(s, std::atoi(argv[2]), std::atof(argv[3]))
                       : isSnap  ? snap(s, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                                        std::atoi(argv[5]), std::atoi(argv[6]), targets)
                                 : latency(s, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                                           std::atoi(argv[5]));
    xcb_disconnect(conn);
    return result;
}
