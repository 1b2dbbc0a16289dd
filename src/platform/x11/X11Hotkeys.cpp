// Global hot keys on X11: passive key grabs on the root window of Qt's own
// xcb connection, found by physical key position (XKB key name), so that the
// same keys work whatever layout is active.
//
// One combination becomes up to eight grabs: X matches grabs on the exact
// modifier state, and NumLock, CapsLock and ScrollLock are modifiers too, so
// each lock combination needs its own grab. Presses come back as KeyPress
// events on the root window through Qt's native event filter.

#include "platform/Backends.h"
#include "platform/x11/Xcb.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QTimer>

#include <xcb/xcb.h>
// xkb.h names a structure member "explicit".
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace platform {

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template<typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

struct KeymapDeleter
{
    void operator()(xkb_keymap *k) const { xkb_keymap_unref(k); }
};
struct ContextDeleter
{
    void operator()(xkb_context *c) const { xkb_context_unref(c); }
};

// The eight core modifier bits; everything above (pointer buttons, XKB group)
// plays no part in a combination.
constexpr uint16_t CoreModifierBits = 0xff;

uint16_t x11Modifiers(Qt::KeyboardModifiers m)
{
    uint16_t mask = 0;
    if (m & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (m & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (m & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (m & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

class X11Hotkeys;
// Services alive while the application object exists: when it goes, they
// stop using its connection (which dies with it).
std::set<X11Hotkeys *> &liveServices()
{
    static std::set<X11Hotkeys *> services;
    return services;
}
void detachAllServices();
// Post routines run once, when the application object goes; a later one
// needs its own.
bool g_postRoutineAdded = false;

class X11Hotkeys final : public HotkeyService, public QAbstractNativeEventFilter
{
public:
    X11Hotkeys();
    ~X11Hotkeys() override;

    bool isAvailable() const override { return m_conn != nullptr; }
    bool registerHotkey(int id, const Key &key) override;
    void unregisterHotkey(int id) override;
    bool isRegistered(int id) const override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Releases every grab and forgets the connection (the application is
    // going away).
    void detach();

private:
    struct Entry
    {
        Key key;
        // What is grabbed now; empty when the combination is not held.
        xcb_keycode_t keycode = 0;
        uint16_t modifiers = 0;                // without lock modifiers
        std::vector<uint16_t> grabbedVariants; // full modifier states grabbed
        bool registered = false;
    };
    struct KeyState
    {
        bool down = false;
        bool released = false;
        xcb_timestamp_t releasedAt = 0;
    };

    bool readKeyboard();
    // The keycode and core modifiers of `key` on the current keyboard; false
    // when no key sits at that position or a modifier doubles as a lock.
    bool resolve(const Key &key, xcb_keycode_t *keycode, uint16_t *modifiers) const;
    uint16_t modifierMaskOfKeysym(xkb_keysym_t keysym) const;
    std::vector<uint16_t> lockVariants() const;
    uint16_t lockMask() const { return XCB_MOD_MASK_LOCK | m_numLockMask | m_scrollLockMask; }
    // Grabs the combination of entry `id` on the current keymap; true when
    // every variant is held. On failure nothing of it stays grabbed.
    bool grab(int id, Entry &entry);
    void release(Entry &entry);
    void keyboardChanged();
    void handleKey(const xcb_key_press_event_t *event, bool press);

    xcb_connection_t *m_conn = nullptr;
    xcb_window_t m_root = XCB_NONE;
    uint8_t m_xkbEventBase = 0;
    bool m_hasXkb = false;
    int32_t m_deviceId = -1;
    std::unique_ptr<xkb_context, ContextDeleter> m_context;
    std::unique_ptr<xkb_keymap, KeymapDeleter> m_keymap;
    std::vector<xcb_keycode_t> m_modifierMap; // 8 * keycodesPerModifier
    int m_keycodesPerModifier = 0;
    uint16_t m_numLockMask = 0;
    uint16_t m_scrollLockMask = 0;
    std::map<int, Entry> m_entries;
    QHash<xcb_keycode_t, KeyState> m_keyStates;
    QTimer m_regrabTimer;
};

X11Hotkeys::X11Hotkeys()
{
    m_regrabTimer.setSingleShot(true);
    m_regrabTimer.setInterval(0);
    QObject::connect(&m_regrabTimer, &QTimer::timeout, this, [this] { keyboardChanged(); });

    if (!qGuiApp)
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t *conn = x11->connection();
    if (xcb_connection_has_error(conn))
        return;

    uint8_t eventBase = 0;
    if (xkb_x11_setup_xkb_extension(conn, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &eventBase, nullptr)) {
        m_hasXkb = true;
        m_xkbEventBase = eventBase;
        m_deviceId = xkb_x11_get_core_keyboard_device_id(conn);
        // Ask for the keymap change notifications (Qt asks for the same ones;
        // selecting them again only adds to the selection).
        const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
        const uint16_t parts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP
            | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_KEY_BEHAVIORS
            | XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
        xcb_xkb_select_events(conn, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, parts, parts, nullptr);
    }
    m_context.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!m_context)
        return;

    // Grabs go on the root window of the screen Qt opened its connection on:
    // the one DISPLAY names (":0.1" is screen 1).
    const int screenNumber = displayScreen();
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber && it.rem > 1; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return;
    m_root = it.data->root;
    m_conn = conn;
    readKeyboard();

    qGuiApp->installNativeEventFilter(this);
    liveServices().insert(this);
    if (!g_postRoutineAdded) {
        qAddPostRoutine(detachAllServices);
        g_postRoutineAdded = true;
    }
}

X11Hotkeys::~X11Hotkeys()
{
    detach();
}

void X11Hotkeys::detach()
{
    m_regrabTimer.stop();
    if (!m_conn)
        return;
    for (auto &[id, entry] : m_entries)
        release(entry);
    m_entries.clear();
    xcb_flush(m_conn);
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
    liveServices().erase(this);
    m_conn = nullptr;
}

void detachAllServices()
{
    // detach() removes the service from the set.
    while (!liveServices().empty())
        (*liveServices().begin())->detach();
    g_postRoutineAdded = false;
}

bool X11Hotkeys::readKeyboard()
{
    m_keymap.reset();
    m_numLockMask = 0;
    m_scrollLockMask = 0;
    m_modifierMap.clear();
    m_keycodesPerModifier = 0;

    if (m_hasXkb) {
        if (m_deviceId < 0)
            m_deviceId = xkb_x11_get_core_keyboard_device_id(m_conn);
        if (m_deviceId >= 0)
            m_keymap.reset(xkb_x11_keymap_new_from_device(m_context.get(), m_conn, m_deviceId,
                                                          XKB_KEYMAP_COMPILE_NO_FLAGS));
    }

    XcbReply<xcb_get_modifier_mapping_reply_t> modmap(
        xcb_get_modifier_mapping_reply(m_conn, xcb_get_modifier_mapping(m_conn), nullptr));
    if (modmap) {
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(modmap.get());
        const int count = xcb_get_modifier_mapping_keycodes_length(modmap.get());
        m_keycodesPerModifier = modmap->keycodes_per_modifier;
        m_modifierMap.assign(codes, codes + count);
    }
    if (m_keymap) {
        m_numLockMask = modifierMaskOfKeysym(XKB_KEY_Num_Lock);
        m_scrollLockMask = modifierMaskOfKeysym(XKB_KEY_Scroll_Lock);
        // A lock key sharing a modifier with Shift or Control would make every
        // combination match that modifier; treat it as not a lock then.
        const uint16_t reserved = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_LOCK;
        m_numLockMask &= ~reserved;
        m_scrollLockMask &= ~reserved;
    }
    return m_keymap != nullptr;
}

// The modifier bits whose keys in the modifier map produce `keysym` at any
// level of any layout.
uint16_t X11Hotkeys::modifierMaskOfKeysym(xkb_keysym_t keysym) const
{
    struct Search
    {
        xkb_keysym_t keysym;
        std::vector<xcb_keycode_t> codes;
    } search{keysym, {}};
    xkb_keymap_key_for_each(
        m_keymap.get(),
        [](xkb_keymap *keymap, xkb_keycode_t key, void *data) {
            auto *s = static_cast<Search *>(data);
            const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, key);
            for (xkb_layout_index_t layout = 0; layout < layouts; ++layout) {
                const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, key, layout);
                for (xkb_level_index_t level = 0; level < levels; ++level) {
                    const xkb_keysym_t *syms = nullptr;
                    const int n = xkb_keymap_key_get_syms_by_level(keymap, key, layout, level, &syms);
                    for (int i = 0; i < n; ++i) {
                        if (syms[i] == s->keysym && key <= 255) {
                            s->codes.push_back(static_cast<xcb_keycode_t>(key));
                            return;
                        }
                    }
                }
            }
        },
        &search);

    uint16_t mask = 0;
    for (int mod = 0; mod < 8 && m_keycodesPerModifier > 0; ++mod) {
        for (int i = 0; i < m_keycodesPerModifier; ++i) {
            const size_t index = size_t(mod) * size_t(m_keycodesPerModifier) + size_t(i);
            if (index >= m_modifierMap.size())
                break;
            const xcb_keycode_t code = m_modifierMap[index];
            if (code && std::find(search.codes.begin(), search.codes.end(), code) != search.codes.end())
                mask |= uint16_t(1u << mod);
        }
    }
    return mask;
}

std::vector<uint16_t> X11Hotkeys::lockVariants() const
{
    const uint16_t locks[] = {XCB_MOD_MASK_LOCK, m_numLockMask, m_scrollLockMask};
    std::vector<uint16_t> variants;
    for (int combo = 0; combo < 8; ++combo) {
        uint16_t mask = 0;
        for (int bit = 0; bit < 3; ++bit)
            if (combo & (1 << bit))
                mask |= locks[bit];
        if (std::find(variants.begin(), variants.end(), mask) == variants.end())
            variants.push_back(mask);
    }
    return variants;
}

bool X11Hotkeys::resolve(const Key &key, xcb_keycode_t *keycode, uint16_t *modifiers) const
{
    if (!m_keymap)
        return false;
    const QByteArray name = key.xkbKeyName.toLatin1();
    const xkb_keycode_t code = name.isEmpty() ? XKB_KEYCODE_INVALID : xkb_keymap_key_by_name(m_keymap.get(), name.constData());
    // The core protocol grabs only keycodes 8 to 255.
    if (code == XKB_KEYCODE_INVALID || code < 8 || code > 255)
        return false;
    *keycode = static_cast<xcb_keycode_t>(code);
    *modifiers = x11Modifiers(key.modifiers);
    // A modifier that is also a lock here (NumLock on Mod4, say) cannot be
    // told apart from the lock.
    return !(*modifiers & lockMask());
}

bool X11Hotkeys::grab(int id, Entry &entry)
{
    entry.registered = false;
    entry.grabbedVariants.clear();
    if (!m_conn || !m_keymap)
        return false;

    xcb_keycode_t keycode = 0;
    uint16_t modifiers = 0;
    if (!resolve(entry.key, &keycode, &modifiers))
        return false;

    // Another id of ours on the same combination: grabbing again would steal
    // it silently and releasing either would release both.
    for (const auto &[otherId, other] : m_entries) {
        if (otherId != id && other.registered && other.keycode == keycode && other.modifiers == modifiers)
            return false;
    }

    const std::vector<uint16_t> variants = lockVariants();
    std::vector<xcb_void_cookie_t> cookies;
    cookies.reserve(variants.size());
    for (uint16_t lock : variants)
        cookies.push_back(xcb_grab_key_checked(m_conn, /*owner_events*/ 0, m_root, uint16_t(modifiers | lock), keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool refused = false;
    for (size_t i = 0; i < cookies.size(); ++i) {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(m_conn, cookies[i]));
        if (error)
            refused = true; // BadAccess: another client holds it; anything else: unusable too
        else
            entry.grabbedVariants.push_back(uint16_t(modifiers | variants[i]));
    }
    entry.keycode = keycode;
    entry.modifiers = modifiers;
    if (refused) {
        release(entry);
        xcb_flush(m_conn);
        return false;
    }
    entry.registered = true;
    xcb_flush(m_conn);
    return true;
}

void X11Hotkeys::release(Entry &entry)
{
    if (m_conn) {
        for (uint16_t mods : entry.grabbedVariants)
            xcb_ungrab_key(m_conn, entry.keycode, m_root, mods);
    }
    entry.grabbedVariants.clear();
    entry.registered = false;
}

bool X11Hotkeys::registerHotkey(int id, const Key &key)
{
    if (!m_conn)
        return false;
    auto existing = m_entries.find(id);
    if (existing != m_entries.end()) {
        release(existing->second);
        xcb_flush(m_conn);
        m_entries.erase(existing);
    }
    // The entry stays even when the grab fails: a later keyboard change (a
    // new layout, a keyboard plugged in) tries again.
    Entry &entry = m_entries[id];
    entry.key = key;
    return grab(id, entry);
}

void X11Hotkeys::unregisterHotkey(int id)
{
    auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    release(it->second);
    if (m_conn)
        xcb_flush(m_conn);
    m_entries.erase(it);
}

bool X11Hotkeys::isRegistered(int id) const
{
    auto it = m_entries.find(id);
    return it != m_entries.end() && it->second.registered;
}

void X11Hotkeys::keyboardChanged()
{
    if (!m_conn)
        return;
    std::map<int, bool> before;
    for (const auto &[id, entry] : m_entries)
        before[id] = entry.registered;

    readKeyboard();
    // Grabs still right for the new keyboard stay (a new layout usually keeps
    // the keycodes and the modifier map); the others are released before any
    // is taken again, so a combination that moved from one id's keycode to
    // another's is free when the other grabs it.
    const std::vector<uint16_t> locks = lockVariants();
    for (auto &[id, entry] : m_entries) {
        xcb_keycode_t keycode = 0;
        uint16_t modifiers = 0;
        bool keep = entry.registered && resolve(entry.key, &keycode, &modifiers) && keycode == entry.keycode
            && modifiers == entry.modifiers && entry.grabbedVariants.size() == locks.size();
        for (size_t i = 0; keep && i < locks.size(); ++i)
            keep = entry.grabbedVariants[i] == uint16_t(modifiers | locks[i]);
        if (!keep)
            release(entry);
    }
    for (auto &[id, entry] : m_entries) {
        if (!entry.registered)
            grab(id, entry);
    }
    xcb_flush(m_conn);
    m_keyStates.clear();

    for (const auto &[id, entry] : m_entries) {
        if (entry.registered != before[id])
            Q_EMIT registrationChanged(id, entry.registered);
    }
}

void X11Hotkeys::handleKey(const xcb_key_press_event_t *event, bool press)
{
    KeyState &state = m_keyStates[event->detail];
    if (!press) {
        state.down = false;
        state.released = true;
        state.releasedAt = event->time;
        return;
    }
    // A repeat: the key is still down (detectable auto-repeat), or the server
    // sent its synthetic release together with this press (same time).
    const bool repeat = state.down || (state.released && xcb_timestamp_t(event->time - state.releasedAt) <= 1);
    state.down = true;
    state.released = false;

    const uint16_t modifiers = event->state & CoreModifierBits & ~lockMask();
    for (const auto &[id, entry] : m_entries) {
        if (entry.registered && entry.keycode == event->detail && entry.modifiers == modifiers) {
            Q_EMIT activated(id, repeat);
            return;
        }
    }
}

bool X11Hotkeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!m_conn || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    switch (type) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE: {
        const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
        // Grabbed keys are reported to the root window only (owner_events off).
        if (key->event != m_root)
            return false;
        bool ours = false;
        for (const auto &[id, entry] : m_entries)
            ours = ours || (entry.registered && entry.keycode == key->detail);
        if (!ours)
            return false;
        handleKey(key, type == XCB_KEY_PRESS);
        return true;
    }
    case XCB_MAPPING_NOTIFY: {
        const auto *mapping = reinterpret_cast<const xcb_mapping_notify_event_t *>(event);
        if (mapping->request == XCB_MAPPING_KEYBOARD || mapping->request == XCB_MAPPING_MODIFIER)
            m_regrabTimer.start();
        return false;
    }
    default:
        break;
    }
    if (m_hasXkb && type == m_xkbEventBase) {
        // Every XKB event carries its own kind in the second byte.
        const uint8_t xkbType = reinterpret_cast<const uint8_t *>(event)[1];
        if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY) {
            m_deviceId = -1; // read the core keyboard's id again
            m_regrabTimer.start();
        } else if (xkbType == XCB_XKB_MAP_NOTIFY) {
            m_regrabTimer.start();
        }
    }
    return false;
}

} // namespace

std::unique_ptr<HotkeyService> createX11Hotkeys()
{
    return std::make_unique<X11Hotkeys>();
}

} // namespace platform
