// The X11 platform: the pointer through XInput 2 and the compositor watched
// through XFixes, both on the backend's own connection; displays from Qt.
#include "platform/Backends.h"
#include "platform/qt/QtDisplays.h"
#include "platform/qt/QtSurfaces.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Surfaces.h"
#include "platform/x11/X11WindowAt.h"
#include "platform/x11/X11WindowHints.h"
#include "platform/x11/Xcb.h"

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
// motion anywhere on the desktop, whichever client has the pointer. The events
// arrive on the backend's own connection, on the main thread. The first
// motion after a position read is reported as moved(), and then the backend
// stops listening until someone reads the position again (the guide does, once
// per frame): a mouse sending a thousand motions a second wakes Tovani about
// once per frame, not a thousand times. Listening starts again before the
// position is read, so no motion falls between the two. The event carries
// device deltas only, so the position itself comes from one QueryPointer.
// Nothing runs while the pointer rests: no timer, no polling.
class X11Pointer : public PointerMonitor
{
public:
    X11Pointer(X11Connection *x, const QtDisplays &displays) : m_x(x), m_displays(displays)
    {
        if (!m_x)
            return;
        m_xiOpcode = queryXInput2(m_x->get());
        m_x->addHandler([this](const xcb_generic_event_t *ev) { handle(ev); });
        m_x->addBatchHandler([this] {
            if (!std::exchange(m_movedInBatch, false) || !m_running || m_reported)
                return;
            m_reported = true;
            listen(false);
            m_x->flush();
            Q_EMIT moved();
        });
    }
    ~X11Pointer() override { stop(); }

    int xiOpcode() const { return m_xiOpcode; }

    QPointF position() const override
    {
        if (!m_x || !m_x->isAlive())
            return m_lastPosition;
        if (m_running && m_reported) {
            // Listen first: motion the server handles after this request is
            // reported, motion before it is in the answer below.
            listen(true);
            m_reported = false;
        }
        const xcb_query_pointer_cookie_t cookie = xcb_query_pointer(m_x->get(), m_x->root());
        auto r = xcbReply(xcb_query_pointer_reply(m_x->get(), cookie, nullptr));
        m_answered = cookie.sequence;
        m_hasAnswer = true;
        // Events xcb read while waiting are not announced by the socket.
        m_x->readQueuedLater();
        if (r)
            m_lastPosition = m_displays.nativeToQt(QPoint(r->root_x, r->root_y));
        return m_lastPosition;
    }

    bool start() override
    {
        if (m_running)
            return true;
        if (m_xiOpcode < 0 || !listenChecked())
            return false;
        m_running = true;
        m_reported = false;
        return true;
    }

    void stop() override
    {
        if (!m_running)
            return;
        m_running = false;
        if (m_x->isAlive()) {
            listen(false);
            m_x->flush();
        }
    }

    bool isRunning() const override { return m_running; }

private:
    void handle(const xcb_generic_event_t *ev)
    {
        if ((ev->response_type & 0x7f) != XCB_GE_GENERIC)
            return;
        auto *ge = reinterpret_cast<const xcb_ge_generic_event_t *>(ev);
        if (ge->extension != m_xiOpcode || ge->event_type != XCB_INPUT_RAW_MOTION || !m_running)
            return;
        // An event carries the number of the last request of ours the server
        // had taken when it sent the event. Motion from before the last
        // position read is already in its answer.
        if (m_hasAnswer && int32_t(ge->full_sequence - m_answered) < 0)
            return;
        m_movedInBatch = true; // reported once for the whole batch
    }

    // The major opcode of XInput when the server speaks 2.0 or later, else -1.
    static int queryXInput2(xcb_connection_t *c)
    {
        const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_input_id);
        if (!ext || !ext->present)
            return -1;
        for (auto [major, minor] : {std::pair{2, 2}, std::pair{2, 0}}) {
            xcb_generic_error_t *rawError = nullptr;
            auto r = xcbReply(
                xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, major, minor), &rawError));
            auto error = xcbReply(rawError);
            if (r && r->major_version >= 2)
                return ext->major_opcode;
        }
        return -1;
    }

    // Raw events are selected for all master devices together, so a motion
    // is reported once whichever physical device made it.
    struct Mask
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    };
    static Mask mask(bool on) { return {{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION) : 0u}; }
    void listen(bool on) const
    {
        Mask m = mask(on);
        xcb_input_xi_select_events(m_x->get(), m_x->root(), 1, &m.head);
    }
    bool listenChecked()
    {
        Mask m = mask(true);
        auto err = xcbReply(
            xcb_request_check(m_x->get(), xcb_input_xi_select_events_checked(m_x->get(), m_x->root(), 1, &m.head)));
        return !err;
    }

    X11Connection *m_x;
    const QtDisplays &m_displays;
    int m_xiOpcode = -1;
    bool m_running = false;
    bool m_movedInBatch = false;
    // Reading the position is what re-arms the reports, so position() const
    // changes these.
    mutable bool m_reported = false; // moved() went out, the position was not read since
    mutable bool m_hasAnswer = false;
    mutable uint32_t m_answered = 0; // sequence number of the last position read
    mutable QPointF m_lastPosition;
};

// --- the X11 platform -----------------------------------------------------

class X11Platform : public Platform
{
public:
    X11Platform(xcb_connection_t *qtConn, std::unique_ptr<X11Connection> own)
        : m_qtConn(qtConn), m_x(std::move(own))
    {
        m_pointer = std::make_unique<X11Pointer>(m_x.get(), m_displays);
        m_hotkeys = createX11Hotkeys();
        m_loginItem = createXdgAutostart(QString(), QString());
        if (m_x) {
            m_stack = std::make_unique<X11StackKeeper>(*m_x);
            m_surfaces = createX11GuideSurfaces(*m_x, *m_stack, [this] { return m_compositor; });
            watchCompositor();
            // An X11 client inside a Wayland session sees the pointer and the
            // keys only over X11 windows.
            m_trusted = !hasExtension("XWAYLAND");
        } else {
            m_surfaces = createQtGuideSurfaces(
                [this](QWidget *w) { prepareX11Window(w, WindowRole::GuideOverlay, m_qtConn, nullptr); });
        }
        m_trusted = m_trusted && qEnvironmentVariable("XDG_SESSION_TYPE") != QLatin1String("wayland");
    }

    ~X11Platform() override
    {
        // The surfaces and the pointer speak through the connection: they go first.
        m_surfaces.reset();
        m_pointer.reset();
        m_stack.reset();
    }

    QString name() const override { return QStringLiteral("x11"); }
    QString pointerSource() const override
    {
        if (!hasXInput2())
            return QStringLiteral("none");
        return m_trusted ? QStringLiteral("xinput2") : QStringLiteral("xinput2 (over X11 windows only)");
    }
    Displays &displays() override { return m_displays; }
    PointerMonitor &pointer() override { return *m_pointer; }
    HotkeyService &hotkeys() override { return *m_hotkeys; }
    LoginItem &loginItem() override { return *m_loginItem; }
    GuideSurfaces &guideSurfaces() override { return *m_surfaces; }
    std::unique_ptr<ScreenCapture> createScreenCapture() override { return createX11Capture(m_displays); }
    void prepareWindow(QWidget *window, WindowRole role) override
    {
        prepareX11Window(window, role, m_qtConn, m_stack.get());
    }

    Capability capability(Feature feature) override
    {
        switch (feature) {
        case Feature::Pointer:
            if (m_trusted) return {};
            // Through XWayland the pointer and the keys are seen only over
            // other X11 windows.
            return Capability::missing(
                QCoreApplication::translate(
                    "AppDelegate",
                    "Tovani follows the pointer and answers its keyboard shortcuts only while the pointer "
                    "is over windows of X11 programs. Over other windows the guide stays where it was.\n\n"
                    "To use Tovani everywhere, log in with an X11 session (often called \"Xorg\" on the "
                    "login screen)."),
                true);
        case Feature::HoldGuide:
            return {};
        case Feature::Magnifier:
            return screenCaptureCapability();
        case Feature::ScreenCapture:
            return {};
        }
        return {};
    }
    bool hasXInput2() const override { return m_pointer->xiOpcode() >= 0; }
    bool hasCompositor() const override { return m_compositor; }
    bool canPlaceWindows() const override { return true; }
    bool isTrusted() const override { return m_trusted; }
    // Inside a Wayland session the X server knows only the X11 windows, not
    // the Wayland windows that may lie above them.
    bool canFindWindows() const override { return m_x && m_trusted; }
    std::optional<WindowAtPoint> windowAt(const QPointF &point) override
    {
        return canFindWindows() ? findX11WindowAt(*m_x, m_displays, point) : std::nullopt;
    }

private:
    bool hasExtension(const char *name) const
    {
        xcb_connection_t *c = m_x->get();
        auto r = xcbReply(
            xcb_query_extension_reply(c, xcb_query_extension(c, uint16_t(std::strlen(name)), name), nullptr));
        return r && r->present;
    }

    // A compositing manager owns the selection _NET_WM_CM_S<screen>. XFixes
    // reports every change of its owner, so the state follows a compositor
    // that starts or quits without asking again.
    void watchCompositor()
    {
        xcb_connection_t *c = m_x->get();
        const xcb_atom_t cmAtom = internAtom(c, "_NET_WM_CM_S" + QByteArray::number(displayScreen()));
        auto owner = xcbReply(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, cmAtom), nullptr));
        m_compositor = owner && owner->owner != XCB_NONE;

        const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_xfixes_id);
        if (!ext || !ext->present || cmAtom == XCB_ATOM_NONE)
            return;
        auto version = xcbReply(xcb_xfixes_query_version_reply(
            c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
        if (!version)
            return;
        const int notify = ext->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        xcb_xfixes_select_selection_input(c, m_x->root(), cmAtom,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        m_x->flush();
        m_x->addHandler([this, notify, cmAtom](const xcb_generic_event_t *ev) {
            if ((ev->response_type & 0x7f) != notify)
                return;
            auto *sn = reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(ev);
            if (sn->selection != cmAtom)
                return;
            const bool running =
                sn->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && sn->owner != XCB_NONE;
            if (running != m_compositor) {
                m_compositor = running;
                Q_EMIT m_displays.compositorChanged(running);
            }
        });
    }

    xcb_connection_t *m_qtConn;
    std::unique_ptr<X11Connection> m_x;
    QtDisplays m_displays;
    std::unique_ptr<X11Pointer> m_pointer;
    std::unique_ptr<HotkeyService> m_hotkeys;
    std::unique_ptr<LoginItem> m_loginItem;
    std::unique_ptr<X11StackKeeper> m_stack;
    std::unique_ptr<GuideSurfaces> m_surfaces;
    bool m_compositor = false;
    bool m_trusted = true;
};

} // namespace

std::unique_ptr<Platform> createX11Platform()
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return nullptr;
    // Qt connects to $DISPLAY's default screen; so does the backend's own
    // connection. Without it (the server refuses a second client) the pointer
    // cannot be followed, and the guide falls back to Qt's windows.
    return std::make_unique<X11Platform>(c, X11Connection::open());
}

} // namespace platform
