/* virtual_pointer: gives the seat of a wlroots compositor a pointer, for the
 * end-to-end tests: a compositor started without input devices has none, and
 * then neither moves (`swaymsg seat seat0 cursor ...`) nor clicks reach any
 * client. Connects to $WAYLAND_DISPLAY, makes one virtual pointer, prints
 * "ready", and keeps it until its standard input closes. */
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

static struct zwlr_virtual_pointer_manager_v1 *manager;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    (void)data;
    (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

int main(void)
{
    static const struct wl_registry_listener listener = {global, global_remove};
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtual_pointer: no compositor at WAYLAND_DISPLAY\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (!manager) {
        fprintf(stderr, "virtual_pointer: the compositor offers no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
    wl_display_roundtrip(display);
    printf("ready\n");
    fflush(stdout);
    struct pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {wl_display_get_fd(display), POLLIN, 0}};
    char buf[64];
    for (;;) {
        wl_display_flush(display);
        if (poll(fds, 2, -1) < 0)
            break;
        if (fds[0].revents && read(STDIN_FILENO, buf, sizeof buf) <= 0)
            break;
        if (fds[1].revents && wl_display_dispatch(display) < 0)
            break;
    }
    wl_display_disconnect(display);
    return 0;
}
