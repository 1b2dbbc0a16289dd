// Screen capture on X11.
//
// The pictures are taken on a worker thread with its own xcb connection, so a
// slow server never stalls the main thread, and handed back as QImages through
// a queued signal.
//
// Leaving a window out of the picture. The magnifier sits over its own source
// area, so a plain screenshot of the root window would contain the magnifier's
// previous picture, which contains the one before, and so on. Instead the
// picture is composed the way a compositing manager composes the screen: the
// root's children in stacking order, bottom to top, each from its offscreen
// pixmap (XComposite NameWindowPixmap), skipping the excluded window. Offscreen
// pixmaps exist only for redirected windows, so on the first capture this
// connection asks for *automatic* redirection of the root's children. With a compositing
// manager running that changes nothing (it has redirected them already, and
// keeps painting the screen); without one the X server paints the screen from
// the pixmaps itself, which looks the same and costs one offscreen copy of each
// top-level window. It also keeps the pixmaps available when a compositing
// manager exits or unredirects. The redirection ends with this connection.
// Only when the server has no Composite extension is the root window read as it
// stands, and canExcludeWindows() is false. Once exclusion was promised, a
// capture that cannot keep the promise yields no picture rather than one that
// may contain the excluded window.
//
// Pixels come through MIT-SHM into one shared segment that is kept and grown
// when needed; without SHM (a remote server) through plain GetImage.

#include "platform/Backends.h"
#include "platform/x11/CaptureGeometry.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QThread>

#include <xcb/composite.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

template <typename T> struct FreeDeleter
{
    void operator()(T *p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter<T>>;

// Owns the worker's connection and everything tied to it. Lives on the worker
// thread; every method runs there.
class CaptureWorker : public QObject
{
    Q_OBJECT
public:
    ~CaptureWorker() override { shutdown(); }

public Q_SLOTS:
    void initialise(bool *ok, QString *error, bool *canExclude)
    {
        *ok = open(error);
        *canExclude = m_canRedirect;
        m_promisedExclusion = m_canRedirect;
    }

    void capture(quint64 requestId, QRect area, QSize outputPixels, quint32 exclude)
    {
        Q_EMIT captured(requestId, take(area, outputPixels, exclude));
    }

    void shutdown()
    {
        releaseSegment();
        if (m_connection) {
            xcb_disconnect(m_connection);
            m_connection = nullptr;
        }
    }

Q_SIGNALS:
    void captured(quint64 requestId, QImage image);

private:
    bool open(QString *error)
    {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (!m_connection || xcb_connection_has_error(m_connection)) {
            *error = QStringLiteral("cannot connect to the X server");
            shutdown();
            return false;
        }
        const xcb_setup_t *setup = xcb_get_setup(m_connection);
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
        for (int i = 0; i < screenNumber && it.rem; ++i)
            xcb_screen_next(&it);
        if (!it.rem) {
            *error = QStringLiteral("the X server has no screen %1").arg(screenNumber);
            shutdown();
            return false;
        }
        m_root = it.data->root;
        m_rootSize = QSize(it.data->width_in_pixels, it.data->height_in_pixels);

        // Only 32-bit little-endian pixels are read (depth 24 and 32, the
        // norm); anything else would need a converter we do not have.
        if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
            *error = QStringLiteral("the X server's pixel byte order is not supported");
            shutdown();
            return false;
        }
        for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
            if ((f.data->depth == 24 || f.data->depth == 32) && f.data->bits_per_pixel == 32)
                m_depthSupported[f.data->depth == 32] = true;
        }
        if (!m_depthSupported[0] || it.data->root_depth != 24) {
            *error = QStringLiteral("the X server's screen depth %1 is not supported").arg(it.data->root_depth);
            shutdown();
            return false;
        }

        const xcb_query_extension_reply_t *shm = xcb_get_extension_data(m_connection, &xcb_shm_id);
        if (shm && shm->present) {
            Reply<xcb_shm_query_version_reply_t> version(
                xcb_shm_query_version_reply(m_connection, xcb_shm_query_version(m_connection), nullptr));
            m_useShm = version != nullptr;
        }

        const xcb_query_extension_reply_t *composite = xcb_get_extension_data(m_connection, &xcb_composite_id);
        if (composite && composite->present) {
            Reply<xcb_composite_query_version_reply_t> version(xcb_composite_query_version_reply(
                m_connection, xcb_composite_query_version(m_connection, 0, 4), nullptr));
            // NameWindowPixmap arrived in 0.2. Automatic redirection cannot
            // clash with another client's, so it is not tried until needed.
            m_canRedirect = version && (version->major_version > 0 || version->minor_version >= 2);
        }
        return true;
    }

    // Redirects the root's children on the first capture, so a desktop on
    // which the magnifier is never used pays nothing. The X server copies
    // each window's visible part into its new pixmap and exposes the rest, so
    // a window lying under the magnifier at that moment repaints its own
    // pixels. Kept until the connection closes.
    bool ensureRedirected()
    {
        if (m_redirected || !m_canRedirect)
            return m_redirected;
        xcb_generic_error_t *failure = xcb_request_check(
            m_connection,
            xcb_composite_redirect_subwindows_checked(m_connection, m_root, XCB_COMPOSITE_REDIRECT_AUTOMATIC));
        m_redirected = failure == nullptr;
        std::free(failure);
        if (!m_redirected) {
            m_canRedirect = false;
            return false;
        }
        // Without a compositor the parts just exposed (under the magnifier,
        // as a rule) stay black until their windows repaint them: the first
        // picture waits a moment for that, on this thread, not the main one.
        QThread::msleep(kFirstRepaintMs);
        return true;
    }

    // --- the shared-memory segment ------------------------------------------

    bool ensureSegment(size_t bytes)
    {
        if (m_segmentAddress && m_segmentSize >= bytes)
            return true;
        releaseSegment();
        // Grow with some headroom so a slowly growing area does not reattach
        // on every frame.
        const size_t size = std::max<size_t>(bytes + bytes / 4, size_t(64) * 1024);
        const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
        if (id < 0)
            return false;
        void *address = shmat(id, nullptr, 0);
        if (address == reinterpret_cast<void *>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return false;
        }
        const xcb_shm_seg_t segment = xcb_generate_id(m_connection);
        xcb_generic_error_t *failure =
            xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, segment, id, 0));
        // Marked for removal now: it disappears once both sides detach, even
        // if this process dies.
        shmctl(id, IPC_RMID, nullptr);
        if (failure) {
            std::free(failure);
            shmdt(address);
            m_useShm = false; // e.g. a server on another machine
            return false;
        }
        m_segment = segment;
        m_segmentAddress = address;
        m_segmentSize = size;
        return true;
    }

    void releaseSegment()
    {
        if (!m_segmentAddress)
            return;
        if (m_connection && !xcb_connection_has_error(m_connection))
            xcb_shm_detach(m_connection, m_segment);
        shmdt(m_segmentAddress);
        m_segmentAddress = nullptr;
        m_segmentSize = 0;
    }

    // --- reading pixels -----------------------------------------------------

    // Reads `rect` of `drawable` and paints it at `at` on the painter. False
    // when the server refused (the drawable is gone, for instance).
    bool paintDrawable(QPainter &painter, const QPoint &at, xcb_drawable_t drawable, const QRect &rect)
    {
        const size_t bytes = size_t(rect.width()) * size_t(rect.height()) * 4;
        if (m_useShm && ensureSegment(bytes)) {
            xcb_generic_error_t *failure = nullptr;
            Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
                m_connection,
                xcb_shm_get_image(m_connection, drawable, rect.x(), rect.y(), rect.width(), rect.height(), ~0u,
                                  XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0),
                &failure));
            std::free(failure);
            if (!reply || reply->size < bytes)
                return false;
            paintPixels(painter, at, static_cast<uchar *>(m_segmentAddress), rect.size(), reply->depth);
            return true;
        }
        xcb_generic_error_t *failure = nullptr;
        Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, rect.x(), rect.y(), rect.width(),
                          rect.height(), ~0u),
            &failure));
        std::free(failure);
        if (!reply || size_t(xcb_get_image_data_length(reply.get())) < bytes)
            return false;
        paintPixels(painter, at, xcb_get_image_data(reply.get()), rect.size(), reply->depth);
        return true;
    }

    void paintPixels(QPainter &painter, const QPoint &at, uchar *pixels, const QSize &size, int depth)
    {
        if (depth == 32 && m_depthSupported[1]) {
            // ARGB visuals hold premultiplied alpha, which is what the
            // compositor blends with.
            const QImage image(pixels, size.width(), size.height(), qsizetype(size.width()) * 4,
                               QImage::Format_ARGB32_Premultiplied);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.drawImage(at, image);
        } else if (depth == 24) {
            // The fourth byte of a depth-24 pixel is undefined: make it opaque.
            auto *p = reinterpret_cast<quint32 *>(pixels);
            const qsizetype count = qsizetype(size.width()) * size.height();
            for (qsizetype i = 0; i < count; ++i)
                p[i] |= 0xff000000u;
            const QImage image(pixels, size.width(), size.height(), qsizetype(size.width()) * 4,
                               QImage::Format_ARGB32_Premultiplied);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(at, image);
        }
        // Other depths are left out (black), see open().
    }

    // The child of the root that holds `window` (the window itself when a
    // window manager has not reparented it).
    xcb_window_t topLevelOf(xcb_window_t window)
    {
        if (window == XCB_NONE)
            return XCB_NONE;
        if (auto cached = m_topLevels.constFind(window); cached != m_topLevels.constEnd())
            return *cached;
        xcb_window_t current = window;
        for (int depth = 0; depth < 64; ++depth) {
            Reply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, current), nullptr));
            if (!tree)
                return window; // gone: nothing to skip, but do not remember it
            if (tree->parent == m_root || tree->parent == XCB_NONE)
                break;
            current = tree->parent;
        }
        if (m_topLevels.size() > 64)
            m_topLevels.clear();
        m_topLevels.insert(window, current);
        return current;
    }

    // The root's children, bottom to top, painted into `image` which shows
    // `area` of the root.
    bool composeWindows(QPainter &painter, const QRect &area, xcb_window_t exclude)
    {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
        if (!tree)
            return false;
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());

        // Ask for every child's state at once: one round trip, not 2n.
        std::vector<xcb_get_window_attributes_cookie_t> attributeCookies(count);
        std::vector<xcb_get_geometry_cookie_t> geometryCookies(count);
        for (int i = 0; i < count; ++i) {
            attributeCookies[i] = xcb_get_window_attributes(m_connection, children[i]);
            geometryCookies[i] = xcb_get_geometry(m_connection, children[i]);
        }
        struct Visible
        {
            xcb_window_t window;
            QRect rect; // outer rectangle, border included, root pixels
        };
        std::vector<Visible> visible;
        for (int i = 0; i < count; ++i) {
            Reply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(m_connection, attributeCookies[i], nullptr));
            Reply<xcb_get_geometry_reply_t> geometry(
                xcb_get_geometry_reply(m_connection, geometryCookies[i], nullptr));
            if (!attributes || !geometry || children[i] == exclude)
                continue;
            if (attributes->map_state != XCB_MAP_STATE_VIEWABLE
                || attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
                continue;
            const int border = geometry->border_width;
            const QRect rect(geometry->x, geometry->y, geometry->width + 2 * border,
                             geometry->height + 2 * border);
            if (rect.intersects(area))
                visible.push_back({children[i], rect});
        }

        for (const Visible &v : visible) {
            const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
            xcb_generic_error_t *failure = xcb_request_check(
                m_connection, xcb_composite_name_window_pixmap_checked(m_connection, v.window, pixmap));
            if (failure) {
                // Not redirected: the compositor's own overlay window, or a
                // window that went away meanwhile. Neither belongs in the picture.
                std::free(failure);
                continue;
            }
            const QRect part = v.rect.intersected(area);
            paintDrawable(painter, part.topLeft() - area.topLeft(), pixmap, part.translated(-v.rect.topLeft()));
            xcb_free_pixmap(m_connection, pixmap);
        }
        return true;
    }

    QImage take(const QRect &area, const QSize &outputPixels, xcb_window_t exclude)
    {
        if (!m_connection || xcb_connection_has_error(m_connection) || area.isEmpty() || outputPixels.isEmpty())
            return {};
        // Whatever lies outside the screen stays black.
        const QRect onScreen = area.intersected(QRect(QPoint(0, 0), m_rootSize));
        QImage composed(onScreen.isEmpty() ? QSize(1, 1) : onScreen.size(), QImage::Format_ARGB32_Premultiplied);
        composed.fill(Qt::black);
        if (!onScreen.isEmpty()) {
            QPainter painter(&composed);
            bool ok;
            if (m_canRedirect || m_redirected)
                ok = ensureRedirected() && composeWindows(painter, onScreen, topLevelOf(exclude));
            else if (m_promisedExclusion)
                ok = false; // never fall back to a picture that may show the excluded window
            else
                ok = paintDrawable(painter, QPoint(0, 0), m_root, onScreen);
            if (!ok)
                return {};
        }

        QImage output(outputPixels, QImage::Format_ARGB32_Premultiplied);
        output.fill(Qt::black);
        if (!onScreen.isEmpty()) {
            const qreal sx = qreal(outputPixels.width()) / area.width();
            const qreal sy = qreal(outputPixels.height()) / area.height();
            const QRectF target((onScreen.x() - area.x()) * sx, (onScreen.y() - area.y()) * sy,
                                onScreen.width() * sx, onScreen.height() * sy);
            if (target.toRect() == output.rect()) {
                output = composed.scaled(outputPixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            } else {
                QPainter painter(&output);
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                painter.drawImage(target, composed);
            }
        }
        return output;
    }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    QSize m_rootSize;
    bool m_depthSupported[2] = {false, false};
    bool m_useShm = false;
    bool m_canRedirect = false;       // Composite 0.2 or later
    bool m_redirected = false;        // the root's children are redirected
    static constexpr unsigned long kFirstRepaintMs = 150;
    bool m_promisedExclusion = false; // canExcludeWindows() said yes
    xcb_shm_seg_t m_segment = 0;
    void *m_segmentAddress = nullptr;
    size_t m_segmentSize = 0;
    QHash<xcb_window_t, xcb_window_t> m_topLevels;
};

class X11Capture : public ScreenCapture
{
    Q_OBJECT
public:
    // Sources are read in `displays`' coordinates.
    explicit X11Capture(const Displays &displays) : m_displays(displays) {}
    ~X11Capture() override
    {
        if (m_worker) {
            QMetaObject::invokeMethod(m_worker, &CaptureWorker::shutdown, Qt::BlockingQueuedConnection);
            m_thread.quit();
            m_thread.wait();
            delete m_worker;
        }
    }

    bool setup(QString *error) override
    {
        if (m_setupDone) {
            if (!m_ready && error)
                *error = m_setupError;
            return m_ready;
        }
        m_setupDone = true;
        m_ready = prepare(&m_setupError);
        if (!m_ready && error)
            *error = m_setupError;
        return m_ready;
    }

    void capture(quint64 requestId, const QRectF &source, const QSize &outputPixels, WId exclude) override
    {
        const auto area = m_ready ? sourceAreaInRootPixels(m_displays, source) : std::nullopt;
        if (!area || outputPixels.isEmpty()) {
            // Answer anyway, later, like a real capture would.
            QMetaObject::invokeMethod(
                this, [this, requestId] { Q_EMIT captured(requestId, QImage()); }, Qt::QueuedConnection);
            return;
        }
        QMetaObject::invokeMethod(m_worker, "capture", Qt::QueuedConnection, Q_ARG(quint64, requestId),
                                  Q_ARG(QRect, *area), Q_ARG(QSize, outputPixels),
                                  Q_ARG(quint32, quint32(exclude)));
    }

    bool canExcludeWindows() const override { return m_canExclude; }

private:
    bool prepare(QString *error)
    {
        if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
            || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            *error = QStringLiteral("this is a Wayland session, where an X11 program sees only other X11 "
                                    "windows, not the desktop");
            return false;
        }
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            *error = QStringLiteral("not running on X11 (Qt platform \"%1\")").arg(QGuiApplication::platformName());
            return false;
        }
        m_worker = new CaptureWorker;
        m_worker->moveToThread(&m_thread);
        m_thread.setObjectName(QStringLiteral("tovani-capture"));
        connect(m_worker, &CaptureWorker::captured, this, &ScreenCapture::captured, Qt::QueuedConnection);
        m_thread.start();
        bool ok = false;
        QMetaObject::invokeMethod(
            m_worker, [&] { m_worker->initialise(&ok, error, &m_canExclude); }, Qt::BlockingQueuedConnection);
        return ok;
    }

    QThread m_thread;
    const Displays &m_displays;
    CaptureWorker *m_worker = nullptr;
    bool m_setupDone = false;
    bool m_ready = false;
    bool m_canExclude = false;
    QString m_setupError;
};

} // namespace

std::unique_ptr<ScreenCapture> createX11Capture(const Displays &displays)
{
    return std::make_unique<X11Capture>(displays);
}

} // namespace platform

#include "X11Capture.moc"
