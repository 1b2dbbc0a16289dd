// Each guide surface is an override-redirect window whose picture is its
// background pixmap, or whose colour is its background pixel. The server then
// draws it by itself whenever it must (exposure, compositing), and moving or
// resizing it is one ConfigureWindow: Tovani never draws it again until the
// picture changes. The windows take no input (an empty input shape), never
// take the focus (override-redirect), and cast no compositor shadow.

#include "platform/x11/X11Surfaces.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11WindowHints.h"
#include "platform/x11/Xcb.h"

#include <QSysInfo>
#include <QtEndian>

#include <xcb/shape.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {

struct Visual
{
    xcb_visualid_t id = 0;
    uint8_t depth = 0;
    bool alpha = false; // 32 bits with an alpha channel
};

// A 32-bit TrueColor visual when the server has one (it blends under a
// compositor), else the root window's.
Visual pickVisual(const xcb_screen_t *screen)
{
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        if (d.data->depth != 32)
            continue;
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000 &&
                v.data->green_mask == 0x00ff00 && v.data->blue_mask == 0x0000ff)
                return {v.data->visual_id, 32, true};
        }
    }
    return {screen->root_visual, screen->root_depth, false};
}

class X11Surfaces;

class X11Surface : public GuideSurface
{
public:
    X11Surface(X11Surfaces &owner, const Display &display);
    ~X11Surface() override;

    void setImage(const QImage &image) override;
    void setColor(const QColor &color) override;
    void setClearRect(const QRectF &rect) override;
    void setGeometry(const QRectF &rect) override;
    void setVisible(bool visible) override;

private:
    void configure(QRect device);
    void updateMapping();
    void setBoundingShape(const std::vector<xcb_rectangle_t> *rects);
    // Global points to root pixels; edges far off any screen are held at a
    // million points, so nothing overflows.
    QRect toDeviceRect(const QRectF &rect) const
    {
        const auto device = [this](double x, double y) {
            const QPointF held(std::clamp(x, -1e6, 1e6), std::clamp(y, -1e6, 1e6));
            const QPointF p = DevicePixels(m_display).toDevice(held);
            return QPoint(int(std::lround(p.x())), int(std::lround(p.y())));
        };
        return QRect(device(rect.left(), rect.top()), device(rect.right(), rect.bottom()) - QPoint(1, 1));
    }
    static bool isFinite(const QRectF &r)
    {
        return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
    }
    void fill(const QRect &windowRect, uint32_t pixel);
    void dropPixmap();

    X11Surfaces &m_owner;
    Display m_display;
    xcb_window_t m_window = XCB_NONE;
    QRect m_device{0, 0, 1, 1}; // where the window is, in root pixels
    bool m_isImage = false;
    bool m_visible = false;
    bool m_mapped = false;
    bool m_shaped = false;
    bool m_empty = false; // asked for an empty rectangle: unmapped
    // A colour with a clear rectangle: the window's background is a pixmap of
    // its size, in which the server fills the rectangle the hole leaves and
    // clears the one it enters.
    uint32_t m_pixel = 0;
    QRect m_hole; // window coordinates, device pixels
    xcb_pixmap_t m_pixmap = XCB_NONE;
    xcb_gcontext_t m_gc = XCB_NONE;
};

class X11Surfaces : public GuideSurfaces
{
public:
    X11Surfaces(X11Connection &x, X11StackKeeper &keeper, std::function<bool()> compositing)
        : x(x), keeper(keeper), compositing(std::move(compositing)), visual(pickVisual(x.screen()))
    {
        xcb_connection_t *c = x.get();
        const xcb_query_extension_reply_t *shapeExt = xcb_get_extension_data(c, &xcb_shape_id);
        hasShape = shapeExt && shapeExt->present;
        if (hasShape) {
            auto v = xcbReply(xcb_shape_query_version_reply(c, xcb_shape_query_version(c), nullptr));
            // Input shapes came with 1.1.
            hasInputShape = v && (v->major_version > 1 || v->minor_version >= 1);
        }
        if (visual.id != x.screen()->root_visual) {
            colormap = xcb_generate_id(c);
            xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, x.root(), visual.id);
        }
        nameAtom = internAtom(c, "_NET_WM_NAME");
        utf8Atom = internAtom(c, "UTF8_STRING");
        shadowAtom = internAtom(c, "_COMPTON_SHADOW");
    }
    ~X11Surfaces() override
    {
        if (colormap != XCB_NONE && x.isAlive())
            xcb_free_colormap(x.get(), colormap);
    }

    std::unique_ptr<GuideSurface> create(const Display &display) override
    {
        return std::make_unique<X11Surface>(*this, display);
    }
    void commit() override { x.flush(); }

    X11Connection &x;
    X11StackKeeper &keeper;
    std::function<bool()> compositing;
    Visual visual;
    xcb_colormap_t colormap = XCB_NONE;
    bool hasShape = false;
    bool hasInputShape = false;
    xcb_atom_t nameAtom = XCB_ATOM_NONE, utf8Atom = XCB_ATOM_NONE, shadowAtom = XCB_ATOM_NONE;
};

X11Surface::X11Surface(X11Surfaces &owner, const Display &display) : m_owner(owner), m_display(display)
{
    if (!owner.x.isAlive())
        return;
    xcb_connection_t *c = owner.x.get();
    m_window = xcb_generate_id(c);
    uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT;
    std::vector<uint32_t> values{0, 0, 1};
    if (owner.colormap != XCB_NONE) {
        mask |= XCB_CW_COLORMAP;
        values.push_back(owner.colormap);
    }
    xcb_create_window(c, owner.visual.depth, m_window, owner.x.root(), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      owner.visual.id, mask, values.data());
    const QByteArray name = "Tovani Guide";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, name.size(),
                        name.constData());
    if (owner.nameAtom != XCB_ATOM_NONE)
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, owner.nameAtom, owner.utf8Atom, 8, name.size(),
                            name.constData());
    static const char wmClass[] = "tovani\0Tovani";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass,
                        wmClass);
    if (owner.shadowAtom != XCB_ATOM_NONE) {
        const uint32_t off = 0;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, owner.shadowAtom, XCB_ATOM_CARDINAL, 32, 1, &off);
    }
    // Clicks, scrolls and hovering go to whatever lies beneath.
    if (owner.hasInputShape)
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, m_window, 0, 0, 0,
                             nullptr);
    owner.keeper.keep(m_window, GuideLayer);
}

X11Surface::~X11Surface()
{
    if (m_window == XCB_NONE)
        return;
    m_owner.keeper.forget(m_window);
    if (m_owner.x.isAlive()) {
        dropPixmap();
        xcb_destroy_window(m_owner.x.get(), m_window);
        m_owner.x.flush();
    }
}

void X11Surface::setImage(const QImage &source)
{
    if (m_window == XCB_NONE || !m_owner.x.isAlive())
        return;
    QImage image = source.isNull() ? QImage(1, 1, QImage::Format_ARGB32_Premultiplied)
                                   : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.isNull())
        image.fill(Qt::transparent);
    const bool opaque = !m_owner.compositing() || !m_owner.visual.alpha;
    std::vector<xcb_rectangle_t> shape;
    if (opaque) {
        // Without a compositor translucent pixels would show over black: every
        // pixel with some alpha shows in its own colour at full opacity, and
        // the window is cut to exactly those pixels.
        for (int row = 0; row < image.height(); ++row) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
            int runStart = -1;
            for (int col = 0; col <= image.width(); ++col) {
                const int a = col < image.width() ? qAlpha(line[col]) : 0;
                if (a > 0) {
                    line[col] = qRgba(qRed(line[col]) * 255 / a, qGreen(line[col]) * 255 / a,
                                      qBlue(line[col]) * 255 / a, 255);
                    if (runStart < 0)
                        runStart = col;
                } else if (runStart >= 0) {
                    shape.push_back({int16_t(runStart), int16_t(row), uint16_t(col - runStart), 1});
                    runStart = -1;
                }
            }
        }
    }

    xcb_connection_t *c = m_owner.x.get();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, m_owner.visual.depth, pixmap, m_window, uint16_t(image.width()), uint16_t(image.height()));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    // Premultiplied ARGB32 in memory is a 32-bit ZPixmap in the byte order
    // of this machine; a server that wants the other order gets it swapped.
    const bool serverLsb = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    if (serverLsb != (QSysInfo::ByteOrder == QSysInfo::LittleEndian)) {
        for (int row = 0; row < image.height(); ++row) {
            auto *line = reinterpret_cast<quint32 *>(image.scanLine(row));
            for (int col = 0; col < image.width(); ++col)
                line[col] = qbswap(line[col]);
        }
    }
    // As many rows per request as the server takes.
    const uint32_t maxBytes = xcb_get_maximum_request_length(c) * 4 - 64;
    const int rowBytes = int(image.bytesPerLine());
    const int rowsPerRequest = std::max(1, int(maxBytes / uint32_t(rowBytes)));
    for (int row = 0; row < image.height(); row += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, image.height() - row);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(image.width()), uint16_t(rows), 0,
                      int16_t(row), 0, m_owner.visual.depth, uint32_t(rowBytes * rows), image.constScanLine(row));
    }
    xcb_free_gc(c, gc);
    xcb_change_window_attributes(c, m_window, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_free_pixmap(c, pixmap); // the window keeps it as long as it needs it
    dropPixmap();
    m_hole = QRect();
    m_isImage = true;
    configure(QRect(m_device.topLeft(), image.size()));
    setBoundingShape(opaque ? &shape : nullptr);
    xcb_clear_area(c, 0, m_window, 0, 0, 0, 0);
    updateMapping();
}

void X11Surface::setColor(const QColor &color)
{
    if (m_window == XCB_NONE || !m_owner.x.isAlive())
        return;
    const QRgb rgba = color.rgba();
    m_pixel = m_owner.visual.alpha && m_owner.compositing() ? qPremultiply(rgba) : (rgba | 0xff000000u);
    m_isImage = false;
    setBoundingShape(nullptr);
    dropPixmap();
    m_hole = QRect();
    xcb_change_window_attributes(m_owner.x.get(), m_window, XCB_CW_BACK_PIXEL, &m_pixel);
    xcb_clear_area(m_owner.x.get(), 0, m_window, 0, 0, 0, 0);
}

void X11Surface::dropPixmap()
{
    if (m_pixmap == XCB_NONE)
        return;
    xcb_free_gc(m_owner.x.get(), m_gc);
    xcb_free_pixmap(m_owner.x.get(), m_pixmap);
    m_pixmap = XCB_NONE;
    m_gc = XCB_NONE;
}

void X11Surface::fill(const QRect &windowRect, uint32_t pixel)
{
    const QRect r = windowRect & QRect(QPoint(0, 0), m_device.size());
    if (r.isEmpty())
        return;
    xcb_connection_t *c = m_owner.x.get();
    xcb_change_gc(c, m_gc, XCB_GC_FOREGROUND, &pixel);
    const xcb_rectangle_t rect{int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())};
    xcb_poly_fill_rectangle(c, m_pixmap, m_gc, 1, &rect);
}

void X11Surface::setClearRect(const QRectF &rect)
{
    if (m_window == XCB_NONE || m_isImage || !m_owner.x.isAlive())
        return;
    const QRect hole = rect.isEmpty() || !isFinite(rect)
                           ? QRect()
                           : toDeviceRect(rect).translated(-m_device.topLeft()) & QRect(QPoint(0, 0), m_device.size());
    if (hole == m_hole)
        return;
    xcb_connection_t *c = m_owner.x.get();
    if (m_pixmap == XCB_NONE) {
        m_pixmap = xcb_generate_id(c);
        xcb_create_pixmap(c, m_owner.visual.depth, m_pixmap, m_window, uint16_t(m_device.width()),
                          uint16_t(m_device.height()));
        m_gc = xcb_generate_id(c);
        xcb_create_gc(c, m_gc, m_pixmap, 0, nullptr);
        fill(QRect(QPoint(0, 0), m_device.size()), m_pixel);
        m_hole = QRect();
    }
    const QRect old = m_hole;
    fill(old, m_pixel);
    fill(hole, 0);
    m_hole = hole;
    // Set again: a server may have copied the pixmap when it became the
    // background. Only the two rectangles are shown again.
    xcb_change_window_attributes(c, m_window, XCB_CW_BACK_PIXMAP, &m_pixmap);
    for (const QRect &r : {old, hole}) {
        if (!r.isEmpty())
            xcb_clear_area(c, 0, m_window, int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height()));
    }
}

void X11Surface::setBoundingShape(const std::vector<xcb_rectangle_t> *rects)
{
    if (!m_owner.hasShape || (!rects && !m_shaped))
        return;
    xcb_connection_t *c = m_owner.x.get();
    if (rects) {
        // An empty list leaves nothing visible, which is right for a picture
        // with no pixels.
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED, m_window, 0, 0,
                             uint32_t(rects->size()), rects->data());
    } else {
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, m_window, 0, 0, XCB_PIXMAP_NONE);
    }
    m_shaped = rects != nullptr;
}

void X11Surface::setGeometry(const QRectF &rect)
{
    if (m_window == XCB_NONE || !rect.isValid() || !isFinite(rect))
        return;
    QRect device = toDeviceRect(rect);
    if (m_isImage)
        device.setSize(m_device.size()); // a picture keeps its own size
    configure(device);
    updateMapping();
}

void X11Surface::configure(QRect device)
{
    // X has no empty windows: an empty rectangle keeps the last size and the
    // surface is unmapped instead (see updateMapping).
    const bool empty = device.width() < 1 || device.height() < 1;
    if (empty)
        device.setSize(m_device.size());
    device.setWidth(std::min(device.width(), 32767));
    device.setHeight(std::min(device.height(), 32767));
    uint16_t mask = 0;
    uint32_t values[4];
    int n = 0;
    if (device.x() != m_device.x()) {
        mask |= XCB_CONFIG_WINDOW_X;
        values[n++] = uint32_t(int32_t(device.x()));
    }
    if (device.y() != m_device.y()) {
        mask |= XCB_CONFIG_WINDOW_Y;
        values[n++] = uint32_t(int32_t(device.y()));
    }
    if (device.width() != m_device.width()) {
        mask |= XCB_CONFIG_WINDOW_WIDTH;
        values[n++] = uint32_t(device.width());
    }
    if (device.height() != m_device.height()) {
        mask |= XCB_CONFIG_WINDOW_HEIGHT;
        values[n++] = uint32_t(device.height());
    }
    if (mask && m_owner.x.isAlive())
        xcb_configure_window(m_owner.x.get(), m_window, mask, values);
    if ((mask & (XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT)) && m_pixmap != XCB_NONE) {
        // The picture of the hole was made for the old size.
        dropPixmap();
        m_hole = QRect();
        xcb_change_window_attributes(m_owner.x.get(), m_window, XCB_CW_BACK_PIXEL, &m_pixel);
        xcb_clear_area(m_owner.x.get(), 0, m_window, 0, 0, 0, 0);
    }
    m_device = device;
    m_empty = empty;
}

void X11Surface::setVisible(bool visible)
{
    m_visible = visible;
    updateMapping();
}

void X11Surface::updateMapping()
{
    const bool map = m_visible && !m_empty;
    if (map == m_mapped || m_window == XCB_NONE || !m_owner.x.isAlive())
        return;
    m_mapped = map;
    if (map)
        xcb_map_window(m_owner.x.get(), m_window);
    else
        xcb_unmap_window(m_owner.x.get(), m_window);
}

} // namespace

std::unique_ptr<GuideSurfaces> createX11GuideSurfaces(X11Connection &x, X11StackKeeper &keeper,
                                                      std::function<bool()> compositing)
{
    return std::make_unique<X11Surfaces>(x, keeper, std::move(compositing));
}

} // namespace platform
