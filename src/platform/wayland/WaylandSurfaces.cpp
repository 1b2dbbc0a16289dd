// Each guide surface is made of layer-shell surfaces on the overlay layer of
// its output, anchored at the output's top-left corner and placed by their
// margins: moving one is a new margin and a commit, with no new buffer, and
// the compositor blends the pixels it already has.
//
// A picture is one layer surface whose buffer holds it. A plain colour is a
// 1x1 buffer that the viewporter stretches to the surface's size; with a
// clear rectangle, up to four such surfaces (above, below, left and right of
// the hole) cover the rest, so that moving the hole resizes and moves small
// surfaces, and the compositor never blends a translucent surface the size of
// the output (software compositors slow down a lot under one).
//
// Every surface takes no input (an empty input region), no keyboard, and
// reserves no room (exclusive zone -1). Hidden surfaces are destroyed, and
// made again when shown: a layer surface must be configured before it shows
// a buffer, so a shown surface appears once the compositor has answered.
// Nothing reaches the compositor before GuideSurfaces::commit(): the set*
// calls only note what is wanted.

#include "platform/wayland/WaylandSurfaces.h"

#include "platform/wayland/Protocols.h"
#include "platform/wayland/WaylandClient.h"

#include <QtEndian>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace platform::wayland {

namespace {

// A buffer in shared memory holding premultiplied ARGB8888. The compositor
// may read it until it releases it, so a buffer dropped while attached is
// destroyed at its release (or with the surfaces, whichever comes first).
class ShmBuffer
{
public:
    static ShmBuffer *create(wl_shm *shm, const QImage &image)
    {
        const int stride = image.width() * 4;
        const size_t size = size_t(stride) * size_t(image.height());
        const int fd = memfd_create("tovani-guide", MFD_CLOEXEC);
        if (fd < 0)
            return nullptr;
        if (ftruncate(fd, off_t(size)) < 0) {
            close(fd);
            return nullptr;
        }
        void *data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (data == MAP_FAILED) {
            close(fd);
            return nullptr;
        }
        // ARGB8888 is a little-endian 32-bit word per pixel.
        auto *out = static_cast<quint32 *>(data);
        for (int row = 0; row < image.height(); ++row) {
            const auto *in = reinterpret_cast<const quint32 *>(image.constScanLine(row));
            for (int col = 0; col < image.width(); ++col)
                out[row * image.width() + col] = qToLittleEndian(in[col]);
        }
        munmap(data, size);
        wl_shm_pool *pool = wl_shm_create_pool(shm, fd, int32_t(size));
        wl_buffer *buffer =
            wl_shm_pool_create_buffer(pool, 0, image.width(), image.height(), stride, WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        return new ShmBuffer(buffer, image.size());
    }

    ~ShmBuffer() { wl_buffer_destroy(m_buffer); }
    ShmBuffer(const ShmBuffer &) = delete;
    ShmBuffer &operator=(const ShmBuffer &) = delete;

    wl_buffer *get() const { return m_buffer; }
    QSize pixels() const { return m_pixels; }
    bool isBusy() const { return m_busy; }
    void setBusy() { m_busy = true; }
    // Destroyed now, or when the compositor releases it.
    void drop()
    {
        m_dropped = true;
        if (!m_busy)
            delete this;
    }

private:
    ShmBuffer(wl_buffer *buffer, QSize pixels) : m_buffer(buffer), m_pixels(pixels)
    {
        static const wl_buffer_listener listener{.release = [](void *data, wl_buffer *) {
            auto *self = static_cast<ShmBuffer *>(data);
            self->m_busy = false;
            if (self->m_dropped)
                delete self;
        }};
        wl_buffer_add_listener(m_buffer, &listener, this);
    }

    wl_buffer *m_buffer;
    QSize m_pixels;
    bool m_busy = false;
    bool m_dropped = false;
};

struct BufferDrop
{
    void operator()(ShmBuffer *b) const
    {
        if (b)
            b->drop();
    }
};
using BufferPtr = std::shared_ptr<ShmBuffer>;

BufferPtr makeBuffer(wl_shm *shm, const QImage &image)
{
    return BufferPtr(ShmBuffer::create(shm, image), BufferDrop());
}

// What one layer surface should show after the next commit.
struct Target
{
    QRect rect;        // global logical coordinates
    BufferPtr buffer;  // what it shows
    int bufferScale = 1; // without the viewporter: device pixels per logical pixel
    bool show = false;
};

class Surfaces;

// One layer surface.
class Layer
{
public:
    // `origin`: the output's top-left corner, where the margins count from.
    Layer(Surfaces &owner, uint32_t output, QPoint origin) : m_owner(owner), m_output(output), m_origin(origin) {}
    ~Layer() { destroy(); }
    Layer(const Layer &) = delete;
    Layer &operator=(const Layer &) = delete;

    // Makes the surface show `target` (created or destroyed as needed).
    void apply(const Target &target);

private:
    void make();
    void destroy();
    void show(const Target &target);

    Surfaces &m_owner;
    uint32_t m_output;
    QPoint m_origin;
    wl_surface *m_surface = nullptr;
    zwlr_layer_surface_v1 *m_layer = nullptr;
    wp_viewport *m_viewport = nullptr;
    wp_fractional_scale_v1 *m_fraction = nullptr;
    bool m_configured = false;
    Target m_wanted;  // shown once configured
    Target m_shown;   // what the compositor has
    bool m_hasShown = false;
};

class Surface : public GuideSurface
{
public:
    Surface(Surfaces &owner, const Display &display);
    ~Surface() override;

    void setImage(const QImage &image) override;
    void setColor(const QColor &color) override;
    void setClearRect(const QRectF &rect) override;
    void setGeometry(const QRectF &rect) override;
    void setVisible(bool visible) override;

    // Hands what changed since the last commit to the compositor.
    void commit();

private:
    static bool isFinite(const QRectF &r)
    {
        return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
    }
    static QRect toLogical(const QRectF &r)
    {
        const auto c = [](double v) { return int(std::lround(std::clamp(v, -1e6, 1e6))); };
        return QRect(QPoint(c(r.left()), c(r.top())), QPoint(c(r.right()) - 1, c(r.bottom()) - 1));
    }
    BufferPtr colorBuffer(QSize pixels);

    Surfaces &m_owner;
    Display m_display;
    uint32_t m_output = 0;
    std::array<std::unique_ptr<Layer>, 4> m_layers;

    bool m_visible = false;
    bool m_isImage = false;
    QImage m_image;
    BufferPtr m_imageBuffer; // made at the commit after setImage()
    int m_imageScale = 1;
    QSize m_imageLogical;
    QColor m_color;
    BufferPtr m_colorBuffer;
    QRectF m_geometry;
    QRectF m_clear;
    bool m_dirty = true;
};

class Surfaces : public GuideSurfaces
{
public:
    explicit Surfaces(Client &client) : client(client) {}
    ~Surfaces() override = default;

    std::unique_ptr<GuideSurface> create(const Display &display) override
    {
        return std::make_unique<Surface>(*this, display);
    }

    void commit() override
    {
        if (!client.isAlive())
            return;
        // In the order they were made, so that a layer surface made now
        // stacks above those of surfaces made before it.
        for (Surface *s : surfaces)
            s->commit();
        client.flush();
    }

    Client &client;
    std::vector<Surface *> surfaces;
};

// --- Layer ------------------------------------------------------------------

void Layer::apply(const Target &target)
{
    if (!target.show || !target.buffer) {
        destroy();
        return;
    }
    if (!m_surface)
        make();
    m_wanted = target;
    if (m_configured)
        show(target);
}

void Layer::make()
{
    Client &client = m_owner.client;
    m_surface = wl_compositor_create_surface(client.compositor());
    // Clicks, scrolls and hovering go to whatever lies beneath.
    wl_region *empty = wl_compositor_create_region(client.compositor());
    wl_surface_set_input_region(m_surface, empty);
    wl_region_destroy(empty);
    if (client.viewporter())
        m_viewport = wp_viewporter_get_viewport(client.viewporter(), m_surface);
    if (client.fractionalScale() && client.viewporter()) {
        m_fraction = wp_fractional_scale_manager_v1_get_fractional_scale(client.fractionalScale(), m_surface);
        static const wp_fractional_scale_v1_listener listener{
            .preferred_scale = [](void *data, wp_fractional_scale_v1 *, uint32_t scale) {
                auto *self = static_cast<Layer *>(data);
                self->m_owner.client.setPreferredScale(self->m_output, scale / 120.0);
            }};
        wp_fractional_scale_v1_add_listener(m_fraction, &listener, this);
    }
    const Output *output = client.output(m_output);
    m_layer = zwlr_layer_shell_v1_get_layer_surface(client.layerShell(), m_surface, output ? output->output : nullptr,
                                                    ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "tovani-guide");
    static const zwlr_layer_surface_v1_listener listener{
        .configure = [](void *data, zwlr_layer_surface_v1 *layer, uint32_t serial, uint32_t, uint32_t) {
            // The size is Tovani's own (nothing is anchored to two opposite
            // edges), so a configure never calls for a new picture.
            auto *self = static_cast<Layer *>(data);
            zwlr_layer_surface_v1_ack_configure(layer, serial);
            if (!self->m_configured) {
                self->m_configured = true;
                self->show(self->m_wanted);
            }
        },
        .closed = [](void *data, zwlr_layer_surface_v1 *) {
            // Its output went away or was switched off: made again when next
            // shown (an output that comes back keeps its name).
            static_cast<Layer *>(data)->destroy();
        },
    };
    zwlr_layer_surface_v1_add_listener(m_layer, &listener, this);
    zwlr_layer_surface_v1_set_anchor(m_layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_exclusive_zone(m_layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    const QRect r = m_wanted.rect.isValid() ? m_wanted.rect : QRect(0, 0, 1, 1);
    zwlr_layer_surface_v1_set_size(m_layer, uint32_t(r.width()), uint32_t(r.height()));
    // The first commit carries no buffer: it asks for the configure.
    wl_surface_commit(m_surface);
    m_configured = false;
    m_hasShown = false;
}

void Layer::show(const Target &target)
{
    if (!m_surface || !target.buffer)
        return;
    const QRect r = target.rect;
    bool changed = !m_hasShown;
    if (!m_hasShown || r.size() != m_shown.rect.size()) {
        zwlr_layer_surface_v1_set_size(m_layer, uint32_t(r.width()), uint32_t(r.height()));
        if (m_viewport)
            wp_viewport_set_destination(m_viewport, r.width(), r.height());
        changed = true;
    }
    if (!m_hasShown || r.topLeft() != m_shown.rect.topLeft()) {
        const QPoint margin = r.topLeft() - m_origin;
        zwlr_layer_surface_v1_set_margin(m_layer, margin.y(), 0, 0, margin.x());
        changed = true;
    }
    if (!m_hasShown || target.buffer != m_shown.buffer) {
        if (!m_viewport)
            wl_surface_set_buffer_scale(m_surface, target.bufferScale);
        target.buffer->setBusy();
        wl_surface_attach(m_surface, target.buffer->get(), 0, 0);
        const QSize px = target.buffer->pixels();
        wl_surface_damage_buffer(m_surface, 0, 0, px.width(), px.height());
        changed = true;
    }
    if (changed)
        wl_surface_commit(m_surface);
    m_shown = target;
    m_hasShown = true;
}

void Layer::destroy()
{
    if (m_fraction)
        wp_fractional_scale_v1_destroy(m_fraction);
    if (m_viewport)
        wp_viewport_destroy(m_viewport);
    if (m_layer)
        zwlr_layer_surface_v1_destroy(m_layer);
    if (m_surface)
        wl_surface_destroy(m_surface);
    m_fraction = nullptr;
    m_viewport = nullptr;
    m_layer = nullptr;
    m_surface = nullptr;
    m_configured = false;
    m_hasShown = false;
    m_shown = Target();
    m_wanted = Target();
}

// --- Surface ----------------------------------------------------------------

Surface::Surface(Surfaces &owner, const Display &display) : m_owner(owner), m_display(display)
{
    // The output of the display: by name, else the one at its place.
    const QList<const Output *> outputs = owner.client.outputs();
    auto it = std::find_if(outputs.begin(), outputs.end(),
                           [&](const Output *o) { return !o->name.isEmpty() && o->name == display.name; });
    if (it == outputs.end())
        it = std::find_if(outputs.begin(), outputs.end(),
                          [&](const Output *o) { return QRectF(o->logical) == display.frame; });
    if (it != outputs.end())
        m_output = (*it)->globalName;
    const QPoint origin = toLogical(display.frame).topLeft();
    for (auto &layer : m_layers)
        layer = std::make_unique<Layer>(owner, m_output, origin);
    owner.surfaces.push_back(this);
}

Surface::~Surface()
{
    std::erase(m_owner.surfaces, this);
    m_layers = {};
    m_owner.client.flush();
}

void Surface::setImage(const QImage &image)
{
    m_isImage = true;
    m_image = image.isNull() ? QImage(1, 1, QImage::Format_ARGB32_Premultiplied)
                             : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        m_image.fill(Qt::transparent);
    m_imageBuffer.reset();
    m_dirty = true;
}

void Surface::setColor(const QColor &color)
{
    if (m_isImage || color != m_color)
        m_colorBuffer.reset();
    m_isImage = false;
    m_image = QImage();
    m_imageBuffer.reset();
    m_color = color;
    m_dirty = true;
}

void Surface::setClearRect(const QRectF &rect)
{
    const QRectF clear = rect.isEmpty() || !isFinite(rect) ? QRectF() : rect;
    if (clear == m_clear)
        return;
    m_clear = clear;
    m_dirty = true;
}

void Surface::setGeometry(const QRectF &rect)
{
    if (!isFinite(rect) || rect == m_geometry)
        return;
    m_geometry = rect;
    m_dirty = true;
}

void Surface::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    m_dirty = true;
}

BufferPtr Surface::colorBuffer(QSize pixels)
{
    if (m_colorBuffer && m_colorBuffer->pixels() == pixels)
        return m_colorBuffer;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(m_color);
    m_colorBuffer = makeBuffer(m_owner.client.shm(), image);
    return m_colorBuffer;
}

void Surface::commit()
{
    if (!m_dirty)
        return;
    m_dirty = false;
    std::array<Target, 4> targets;
    wl_shm *shm = m_owner.client.shm();
    const bool stretch = m_owner.client.viewporter() != nullptr;
    if (m_visible && m_isImage) {
        if (!m_imageBuffer) {
            // The picture's size in logical pixels; the viewporter shows its
            // device pixels in there. Without it only a whole scale can be
            // told, and the buffer must be a multiple of it.
            const double dpr = m_image.devicePixelRatio() > 0 ? m_image.devicePixelRatio() : 1.0;
            m_imageLogical = QSize(std::max(1, int(std::lround(m_image.width() / dpr))),
                                   std::max(1, int(std::lround(m_image.height() / dpr))));
            QImage pixels = m_image;
            m_imageScale = 1;
            if (!stretch) {
                const int whole = int(std::lround(dpr));
                if (whole >= 1 && std::abs(dpr - whole) < 0.01) {
                    m_imageScale = whole;
                    pixels = m_image.copy(0, 0, m_imageLogical.width() * whole, m_imageLogical.height() * whole);
                } else {
                    pixels = m_image.scaled(m_imageLogical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                }
            }
            m_imageBuffer = makeBuffer(shm, pixels);
        }
        targets[0] = {QRect(toLogical(m_geometry).topLeft(), m_imageLogical), m_imageBuffer, m_imageScale, true};
    } else if (m_visible && m_color.alpha() > 0 && !m_geometry.isEmpty()) {
        const QRect whole = toLogical(m_geometry);
        const QRect hole = m_clear.isEmpty() ? QRect() : toLogical(m_clear) & whole;
        std::array<QRect, 4> rects;
        if (hole.isEmpty()) {
            rects[0] = whole;
        } else {
            rects[0] = QRect(QPoint(whole.left(), whole.top()), QPoint(whole.right(), hole.top() - 1));
            rects[1] = QRect(QPoint(whole.left(), hole.bottom() + 1), QPoint(whole.right(), whole.bottom()));
            rects[2] = QRect(QPoint(whole.left(), hole.top()), QPoint(hole.left() - 1, hole.bottom()));
            rects[3] = QRect(QPoint(hole.right() + 1, hole.top()), QPoint(whole.right(), hole.bottom()));
        }
        for (size_t i = 0; i < rects.size(); ++i) {
            if (rects[i].isEmpty())
                continue;
            // One pixel, stretched; without the viewporter a buffer of the
            // piece's size.
            BufferPtr buffer = stretch ? colorBuffer(QSize(1, 1)) : makeBuffer(shm, [&] {
                QImage image(rects[i].size(), QImage::Format_ARGB32_Premultiplied);
                image.fill(m_color);
                return image;
            }());
            targets[i] = {rects[i], buffer, 1, true};
        }
    }
    for (size_t i = 0; i < m_layers.size(); ++i)
        m_layers[i]->apply(targets[i]);
}

} // namespace

std::unique_ptr<GuideSurfaces> createGuideSurfaces(Client &client) { return std::make_unique<Surfaces>(client); }

} // namespace platform::wayland
