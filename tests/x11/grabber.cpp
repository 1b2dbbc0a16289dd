// A second X client for the hot-key tests: grabs key combinations on the root
// window and reports what it got and what it receives.
//   grabber [--any] [--exit] KEYNAME:MODS...
// KEYNAME is an XKB key name (AD05 is the US T key), MODS is "none" or a list
// such as ctrl+shift (ctrl, shift, alt, super). --any grabs the key with every
// modifier state (AnyModifier), which the server refuses while any other client
// holds any grab of that key. Prints "grabbed NAME" or "refused NAME" per key,
// then "ready"; then "press NAME" for every press of a grabbed key, until
// killed (or exits at once with --exit; status 1 if anything was refused).

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Combo
{
    std::string name;
    xcb_keycode_t keycode = 0;
    uint16_t modifiers = 0;
    bool held = false;
};

bool parseModifiers(const std::string &text, uint16_t *out)
{
    *out = 0;
    if (text == "none")
        return true;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('+', start);
        const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part == "ctrl")
            *out |= XCB_MOD_MASK_CONTROL;
        else if (part == "shift")
            *out |= XCB_MOD_MASK_SHIFT;
        else if (part == "alt")
            *out |= XCB_MOD_MASK_1;
        else if (part == "super")
            *out |= XCB_MOD_MASK_4;
        else
            return false;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    bool any = false;
    bool exitAtOnce = false;
    std::vector<std::string> combinations;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--any"))
            any = true;
        else if (!std::strcmp(argv[i], "--exit"))
            exitAtOnce = true;
        else
            combinations.emplace_back(argv[i]);
    }
    if (combinations.empty()) {
        std::fprintf(stderr, "usage: grabber [--any] [--exit] KEYNAME:MODS...\n");
        return 2;
    }

    int screenNumber = 0;
    xcb_connection_t *conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "grabber: cannot connect to the X server\n");
        return 2;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;

    if (!xkb_x11_setup_xkb_extension(conn, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        std::fprintf(stderr, "grabber: no XKB\n");
        return 2;
    }
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap *keymap = xkb_x11_keymap_new_from_device(context, conn, xkb_x11_get_core_keyboard_device_id(conn),
                                                        XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        std::fprintf(stderr, "grabber: no keymap\n");
        return 2;
    }

    std::vector<Combo> combos;
    for (const std::string &combination : combinations) {
        const size_t colon = combination.find(':');
        Combo c;
        c.name = combination.substr(0, colon);
        if (colon == std::string::npos || !parseModifiers(combination.substr(colon + 1), &c.modifiers)) {
            std::fprintf(stderr, "grabber: bad combination %s\n", combination.c_str());
            return 2;
        }
        const xkb_keycode_t key = xkb_keymap_key_by_name(keymap, c.name.c_str());
        if (key == XKB_KEYCODE_INVALID || key > 255) {
            std::fprintf(stderr, "grabber: no key %s\n", c.name.c_str());
            return 2;
        }
        c.keycode = static_cast<xcb_keycode_t>(key);
        combos.push_back(c);
    }

    bool allHeld = true;
    for (Combo &c : combos) {
        const uint16_t mods = any ? uint16_t(XCB_MOD_MASK_ANY) : c.modifiers;
        xcb_generic_error_t *error = xcb_request_check(
            conn, xcb_grab_key_checked(conn, 0, root, mods, c.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        c.held = !error;
        allHeld = allHeld && c.held;
        std::free(error);
        std::printf("%s %s\n", c.held ? "grabbed" : "refused", c.name.c_str());
    }
    std::printf("ready\n");
    std::fflush(stdout);
    if (exitAtOnce) {
        xcb_disconnect(conn);
        return allHeld ? 0 : 1;
    }

    while (xcb_generic_event_t *event = xcb_wait_for_event(conn)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            const auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
            for (const Combo &c : combos) {
                if (c.held && c.keycode == press->detail) {
                    std::printf("press %s\n", c.name.c_str());
                    std::fflush(stdout);
                    break;
                }
            }
        }
        std::free(event);
    }
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    xcb_disconnect(conn);
    return 0;
}
