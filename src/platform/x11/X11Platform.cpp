// The X11 platform, on Qt's own xcb connection: the pointer through XInput 2,
// the compositor watched through XFixes, displays from Qt.
#include "platform/Backends.h"
#include "platform/QtDisplays.h"
#include "platform/x11/X11WindowHints.h"
#include "platform/x11/Xcb.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

#include <cstring>
#include <memory>
#include <utility>

namespace platform {

namespace {

// --- pointer ----------------------------------------------------------------

// XInput 2 raw motion on the root window says "the pointer moved" for every
// motion anywhere on the desktop, whichever client has the pointer. The event
// carries device deltas only, so the position is read with one QueryPointer,
// asked for by the first raw event of a batch; the raw events handled while
// its answer travels are answered by it too, unless they report motion the
// server made after answering (see nativeEventFilter): then one more read
// follows. Nothing runs while the pointer rests: no timer, no polling.
class X11Pointer : public PointerMonitor, public QAbstractNativeEventFilter
{
public:
    X11Pointer(xcb_connection_t *c, xcb_window_t root, int xiOpcode, const QtDisplays &displays)
        : m_conn(c), m_root(root), m_xiOpcode(xiOpcode), m_displays(displays)
    {
    }
    ~X11Pointer() override
    {
        stop();
        if (m_readPending && connectionAlive())
            xcb_discard_reply(m_conn, m_pendingQuery.sequence);
    }

    QPointF position() const override
    {
        if (!connectionAlive())
            return m_lastPosition;
        auto r = xcbReply(xcb_query_pointer_reply(m_conn, xcb_query_pointer(m_conn, m_root), nullptr));
        if (!r)
            return m_lastPosition;
        m_lastPosition = m_displays.nativeToQt(QPoint(r->root_x, r->root_y));
        return m_lastPosition;
    }

    bool start() override
    {
        if (m_running)
            return true;
        if (m_xiOpcode < 0)
            return false;
        if (!select(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION))
            return false;
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_running = true;
        return true;
    }

    void stop() override
    {
        if (!m_running)
            return;
        m_running = false;
        // Qt closes its connection after the application object is gone; a
        // platform destroyed later (at exit) has nothing left to deselect.
        if (!connectionAlive())
            return;
        QCoreApplication::instance()->removeNativeEventFilter(this);
        select(0);
        xcb_flush(m_conn);
    }

    bool isRunning() const override { return m_running; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto *ev = static_cast<xcb_generic_event_t *>(message);
        if ((ev->response_type & 0x7f) != XCB_GE_GENERIC)
            return false;
        auto *ge = static_cast<xcb_ge_generic_event_t *>(message);
        if (ge->extension != m_xiOpcode || ge->event_type != XCB_INPUT_RAW_MOTION)
            return false;
        if (!m_running)
            return true;
        if (!m_readPending) {
            // Ask at once: the reply travels while the rest of the waiting
            // events are handled, and is there when the read runs.
            ask();
        } else if (int32_t(ge->full_sequence - m_pendingQuery.sequence) >= 0) {
            // An event carries the number of the last request of ours the
            // server had taken when it sent the event: this motion came after
            // the server answered the read on its way, so that answer is out
            // of date. It happens whenever a batch outlasts the round trip (a
            // backlog of moves worked through after a busy moment); dropped,
            // the last such motion of a sweep would leave the guide behind.
            m_movedSinceAnswer = true;
        }
        return true; // Qt has no use for raw events
    }

private:
    static bool connectionAlive() { return QCoreApplication::instance() != nullptr; }

    void ask()
    {
        m_pendingQuery = xcb_query_pointer(m_conn, m_root);
        xcb_flush(m_conn);
        m_readPending = true;
        QMetaObject::invokeMethod(this, &X11Pointer::readAndReport, Qt::QueuedConnection);
    }

    void readAndReport()
    {
        m_readPending = false;
        auto r = xcbReply(xcb_query_pointer_reply(m_conn, m_pendingQuery, nullptr));
        const bool outdated = std::exchange(m_movedSinceAnswer, false);
        if (!m_running)
            return;
        if (r)
            m_lastPosition = m_displays.nativeToQt(QPoint(r->root_x, r->root_y));
        // The answer is reported even when outdated: it is where the pointer
        // was a moment ago, and a pointer that never rests still moves the
        // guide. The next read brings the rest.
        Q_EMIT moved(r ? m_lastPosition : position());
        if (outdated && m_running && !m_readPending)
            ask();
    }

    // Raw events are selected for all master devices together, so a motion
    // is reported once whichever physical device made it. Qt's own XI2
    // selections on the root window use other device ids and stay untouched.
    bool select(uint32_t mask)
    {
        struct
        {
            xcb_input_event_mask_t head;
            uint32_t mask;
        } em{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, mask};
        auto err = xcbReply(
            xcb_request_check(m_conn, xcb_input_xi_select_events_checked(m_conn, m_root, 1, &em.head)));
        return !err;
    }

    xcb_connection_t *m_conn;
    xcb_window_t m_root;
    int m_xiOpcode;
    const QtDisplays &m_displays;
    bool m_running = false;
    bool m_readPending = false;
    bool m_movedSinceAnswer = false; // raw motion after the pending read was answered
    xcb_query_pointer_cookie_t m_pendingQuery{};
    mutable QPointF m_lastPosition;
};

// --- the X11 platform -----------------------------------------------------

class X11Platform : public Platform, public QAbstractNativeEventFilter
{
public:
    X11Platform(xcb_connection_t *c, int screenNumber) : m_conn(c)
    {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem > 1; ++i)
            xcb_screen_next(&it);
        m_root = it.data->root;

        m_xiOpcode = queryXInput2();
        m_pointer = std::make_unique<X11Pointer>(c, m_root, m_xiOpcode, m_displays);
        m_hotkeys = createX11Hotkeys();
        m_loginItem = createXdgAutostart(QString(), QString());

        // A compositing manager owns the selection _NET_WM_CM_S<screen>.
        m_cmAtom = internAtom(c, "_NET_WM_CM_S" + QByteArray::number(screenNumber));
        auto owner = xcbReply(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_cmAtom), nullptr));
        m_compositor = owner && owner->owner != XCB_NONE;
        watchCompositor();

        // An X11 client inside a Wayland session sees the pointer and the keys
        // only over X11 windows.
        m_trusted = !hasExtension("XWAYLAND") && qEnvironmentVariable("XDG_SESSION_TYPE") != QLatin1String("wayland");
    }

    ~X11Platform() override
    {
        if (m_watchingCompositor && QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    QString name() const override { return QStringLiteral("x11"); }
    Displays &displays() override { return m_displays; }
    PointerMonitor &pointer() override { return *m_pointer; }
    HotkeyService &hotkeys() override { return *m_hotkeys; }
    LoginItem &loginItem() override { return *m_loginItem; }
    std::unique_ptr<ScreenCapture> createScreenCapture() override { return createX11Capture(); }
    void prepareWindow(QWidget *window, WindowRole role) override { prepareX11Window(window, role); }

    bool isX11() const override { return true; }
    bool hasXInput2() const override { return m_xiOpcode >= 0; }
    bool hasCompositor() const override { return m_compositor; }
    bool isTrusted() const override { return m_trusted; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto *ev = static_cast<xcb_generic_event_t *>(message);
        if ((ev->response_type & 0x7f) != m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
            return false;
        auto *sn = static_cast<xcb_xfixes_selection_notify_event_t *>(message);
        if (sn->selection != m_cmAtom)
            return false;
        const bool running = sn->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && sn->owner != XCB_NONE;
        if (running != m_compositor) {
            m_compositor = running;
            Q_EMIT m_displays.compositorChanged(running);
        }
        return true;
    }

private:
    bool hasExtension(const char *name) const
    {
        auto r = xcbReply(xcb_query_extension_reply(
            m_conn, xcb_query_extension(m_conn, uint16_t(std::strlen(name)), name), nullptr));
        return r && r->present;
    }

    // The major opcode of XInput when the server speaks 2.0 or later, else -1.
    // Qt negotiated a version on this connection already; asking again for
    // the same or a lower one is harmless, a refusal only means trying lower.
    int queryXInput2() const
    {
        const xcb_query_extension_reply_t *ext = xcb_get_extension_data(m_conn, &xcb_input_id);
        if (!ext || !ext->present)
            return -1;
        for (auto [major, minor] : {std::pair{2, 4}, std::pair{2, 2}, std::pair{2, 0}}) {
            xcb_generic_error_t *rawError = nullptr;
            auto r = xcbReply(xcb_input_xi_query_version_reply(
                m_conn, xcb_input_xi_query_version(m_conn, major, minor), &rawError));
            auto error = xcbReply(rawError);
            if (r && r->major_version >= 2)
                return ext->major_opcode;
        }
        return -1;
    }

    // XFixes reports every change of the selection's owner, so the state
    // follows a compositor that starts or quits without asking again.
    void watchCompositor()
    {
        const xcb_query_extension_reply_t *ext = xcb_get_extension_data(m_conn, &xcb_xfixes_id);
        if (!ext || !ext->present || m_cmAtom == XCB_ATOM_NONE)
            return;
        auto version = xcbReply(xcb_xfixes_query_version_reply(
            m_conn, xcb_xfixes_query_version(m_conn, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
        if (!version)
            return;
        m_xfixesFirstEvent = ext->first_event;
        xcb_xfixes_select_selection_input(m_conn, m_root, m_cmAtom,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(m_conn);
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_watchingCompositor = true;
    }

    xcb_connection_t *m_conn;
    xcb_window_t m_root = XCB_NONE;
    int m_xiOpcode = -1;
    QtDisplays m_displays;
    std::unique_ptr<X11Pointer> m_pointer;
    std::unique_ptr<HotkeyService> m_hotkeys;
    std::unique_ptr<LoginItem> m_loginItem;
    xcb_atom_t m_cmAtom = XCB_ATOM_NONE;
    int m_xfixesFirstEvent = -1;
    bool m_compositor = false;
    bool m_watchingCompositor = false;
    bool m_trusted = true;
};

} // namespace

std::unique_ptr<Platform> createX11Platform()
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return nullptr;
    // Qt connects to $DISPLAY's default screen; so do we.
    return std::make_unique<X11Platform>(c, displayScreen());
}

} // namespace platform
