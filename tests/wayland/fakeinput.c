/* A long-lived input client for the compositors of the tests, which start
 * without input devices. On a wlroots compositor (sway) it makes one virtual
 * pointer, which gives the seat a pointer: without one neither moves
 * (`swaymsg seat seat0 cursor ...`) nor clicks reach any client. On KWin
 * (org_kde_kwin_fake_input, built when plasma-wayland-protocols is there)
 * KWin has a pointer only while such a client is connected, and the tests
 * drive it through its standard input, one command a line:
 *   move X Y        the pointer to X,Y (global logical coordinates)
 *   click           left button press and release
 *   key CODE...     press CODE... (evdev key codes) in order, release them in
 *                   reverse order: "key 29 42 19" is Ctrl+Shift+R
 *   stream N HZ W H N moves on a fixed schedule of HZ a second, each to
 *                   another row of a W x H area (for the benchmarks)
 * It prints "ready" once connected, answers every line with "ok" once KWin
 * has handled it (a round trip), or "error ..." for a line it does not
 * understand, and exits at the end of its input or when the compositor goes
 * away. */
#ifdef FAKEINPUT_KWIN
#include "fake-input-client-protocol.h"
#endif
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input *fake;
static struct zwlr_virtual_pointer_manager_v1 *pointers;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version)
{
    (void)data;
    (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        pointers = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
#ifdef FAKEINPUT_KWIN
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
#endif
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

/* One line of input for KWin: false if it is not understood. */
static int command(struct wl_display *display, char *line)
{
#ifdef FAKEINPUT_KWIN
    double x, y, hz;
    int n, w, h;
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
        n = 0;
        for (char *tok = strtok(line + 4, " \n"); tok && n < 8; tok = strtok(NULL, " \n"))
            codes[n++] = (unsigned)strtoul(tok, NULL, 10);
        for (int i = 0; i < n; ++i)
            org_kde_kwin_fake_input_keyboard_key(fake, codes[i], 1);
        for (int i = n - 1; i >= 0; --i)
            org_kde_kwin_fake_input_keyboard_key(fake, codes[i], 0);
    } else {
        return 0;
    }
    return fake != NULL;
#else
    (void)display;
    (void)line;
    return 0;
#endif
}

int main(void)
{
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "fakeinput: no Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registry_listener, NULL);
    wl_display_roundtrip(display);
#ifdef FAKEINPUT_KWIN
    if (fake)
        org_kde_kwin_fake_input_authenticate(fake, "tovani tests", "drive the pointer and the keyboard");
#endif
    if (pointers && !fake)
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, NULL);
    else if (!fake) {
        fprintf(stderr, "fakeinput: the compositor offers neither org_kde_kwin_fake_input 4 nor a virtual pointer\n");
        return 1;
    }
    wl_display_roundtrip(display);
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("ready\n");

    char line[512];
    while (fgets(line, sizeof line, stdin)) {
        if (!command(display, line)) {
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
