// A second X client for the hot-key tests: grabs key combinations on the root
// window and reports what it got and what it receives.
//   grabber [--any] [--exit] KEYNAME:MODS...
// KEYNAME is an XKB key name (AD05 is the US T key), MODS is "none" or names
// joined by "+" (ctrl, shift, alt, super). --any grabs the key with every
// modifier state (AnyModifier), which the server refuses while any other client
// holds any grab of that key. Prints "grabbed NAME" or "refused NAME" per key,
// then "ready"; then "press NAME" for every press of a grabbed key, until
// killed (or exits at once with --exit; status 1 if anything was refused).

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<std::string> combos(argv + 1, argv + argc);
    const auto option = [&combos](const char *name) { return std::erase(combos, name) > 0; };
    const bool any = option("--any"), exitAtOnce = option("--exit");
    xcb_connection_t *conn = xcb_connect(nullptr, nullptr); // the servers of the tests have one screen
    if (combos.empty() || xcb_connection_has_error(conn)
        || !xkb_x11_setup_xkb_extension(conn, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                        XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        std::fprintf(stderr, "usage: grabber [--any] [--exit] KEYNAME:MODS... (on an X server with XKB)\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    const std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS),
                                                                             xkb_context_unref);
    const std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
        xkb_x11_keymap_new_from_device(context.get(), conn, xkb_x11_get_core_keyboard_device_id(conn),
                                       XKB_KEYMAP_COMPILE_NO_FLAGS),
        xkb_keymap_unref);

    const std::pair<const char *, uint16_t> modifierNames[] = {
        {"ctrl", XCB_MOD_MASK_CONTROL}, {"shift", XCB_MOD_MASK_SHIFT}, {"alt", XCB_MOD_MASK_1}, {"super", XCB_MOD_MASK_4}};
    bool allHeld = true;
    for (const std::string &combo : combos) {
        const std::string name = combo.substr(0, combo.find(':'));
        uint16_t mask = any ? uint16_t(XCB_MOD_MASK_ANY) : 0;
        for (const auto &[word, bit] : modifierNames)
            mask |= !any && combo.find(word, name.size()) != std::string::npos ? bit : 0;
        const xkb_keycode_t key = keymap ? xkb_keymap_key_by_name(keymap.get(), name.c_str()) : XKB_KEYCODE_INVALID;
        if (key == XKB_KEYCODE_INVALID || key > 255)
            return std::fprintf(stderr, "grabber: no key %s\n", name.c_str()), 2;
        xcb_generic_error_t *error = xcb_request_check(
            conn, xcb_grab_key_checked(conn, 0, root, mask, xcb_keycode_t(key), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::printf("%s %s\n", error ? "refused" : "grabbed", name.c_str());
        allHeld = allHeld && !error;
        std::free(error);
    }
    std::printf("ready\n");
    // Only the keys grabbed here send presses to this client.
    while (xcb_generic_event_t *event = exitAtOnce ? nullptr : xcb_wait_for_event(conn)) {
        const auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS)
            std::printf("press %s\n", xkb_keymap_key_get_name(keymap.get(), press->detail));
        std::free(event);
    }
    xcb_disconnect(conn);
    return allHeld ? 0 : 1;
}
