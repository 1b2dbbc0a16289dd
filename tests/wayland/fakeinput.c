/* A long-lived input client for headless KWin: KWin has a pointer only while
 * a client of org_kde_kwin_fake_input is connected, so the tests keep this one
 * running and drive it through its standard input, one command a line:
 *   move X Y        the pointer to X,Y (global logical coordinates)
 *   click           left button press and release
 *   key CODE...     press CODE... (evdev key codes) in order, release them in
 *                   reverse order: "key 29 42 19" is Ctrl+Shift+R
 *   stream N HZ W H N moves on a fixed schedule of HZ a second, each to
 *                   another row of a W x H area (for the benchmarks)
 * It answers every line with "ok" once KWin has handled it (a round trip), or
 * "error ..." for a line it does not understand, and exits at the end of its
 * input or when the compositor goes away. */
#include "fake-input-client-protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input *fake;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version)
{
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

int main(void)
{
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "fakeinput: no Wayland display\n");
        return 1;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!fake) {
        fprintf(stderr, "fakeinput: the compositor offers no org_kde_kwin_fake_input version 4\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake, "tovani tests", "drive the pointer and the keyboard");
    wl_display_roundtrip(display);
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[512];
    while (fgets(line, sizeof line, stdin)) {
        double x, y, hz;
        int n, w, h;
        char *rest;
        if (sscanf(line, "stream %d %lf %d %d", &n, &hz, &w, &h) == 4 && hz > 0 && w > 0 && h > 80) {
            struct timespec at;
            clock_gettime(CLOCK_MONOTONIC, &at);
            const long period = (long)(1e9 / hz);
            for (int i = 0; i < n; ++i) {
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, NULL);
                org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int((i * 37) % w),
                                                                wl_fixed_from_int(40 + (i * 7) % (h - 80)));
                wl_display_flush(display);
                at.tv_nsec += period;
                at.tv_sec += at.tv_nsec / 1000000000;
                at.tv_nsec %= 1000000000;
            }
        } else if (sscanf(line, "move %lf %lf", &x, &y) == 2) {
            org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_double(x), wl_fixed_from_double(y));
        } else if (strncmp(line, "click", 5) == 0) {
            org_kde_kwin_fake_input_button(fake, 0x110 /* BTN_LEFT */, 1);
            org_kde_kwin_fake_input_button(fake, 0x110, 0);
        } else if (strncmp(line, "key ", 4) == 0) {
            unsigned codes[8];
            int n = 0;
            rest = line + 4;
            for (char *tok = strtok(rest, " \n"); tok && n < 8; tok = strtok(NULL, " \n"))
                codes[n++] = (unsigned)strtoul(tok, NULL, 10);
            for (int i = 0; i < n; ++i)
                org_kde_kwin_fake_input_keyboard_key(fake, codes[i], 1);
            for (int i = n - 1; i >= 0; --i)
                org_kde_kwin_fake_input_keyboard_key(fake, codes[i], 0);
        } else {
            printf("error: %s", line);
            continue;
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "fakeinput: the compositor went away\n");
            return 1;
        }
        printf("ok\n");
    }
    wl_display_disconnect(display);
    return 0;
}
