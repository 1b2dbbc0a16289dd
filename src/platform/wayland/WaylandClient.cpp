#include "platform/wayland/WaylandClient.h"

#include "platform/wayland/Protocols.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>

Q_LOGGING_CATEGORY(lcWayland, "tovani.wayland")

namespace platform::wayland {

namespace {

// The versions this code knows; a compositor offering less gets what it has.
constexpr uint32_t kCompositorVersion = 4;
constexpr uint32_t kOutputVersion = 4;
constexpr uint32_t kXdgOutputVersion = 3;
constexpr uint32_t kLayerShellVersion = 3;

template <typename T>
T *bind(wl_registry *registry, uint32_t name, const wl_interface *interface, uint32_t offered, uint32_t known)
{
    return static_cast<T *>(wl_registry_bind(registry, name, interface, std::min(offered, known)));
}

} // namespace

double Output::scale() const
{
    if (preferredScale > 0)
        return preferredScale;
    // Turned a quarter, the mode's width lies along the logical height.
    const bool sideways = (transform & 1) != 0;
    const int modeWidth = sideways ? modePixels.height() : modePixels.width();
    if (modeWidth > 0 && logical.width() > 0)
        return double(modeWidth) / logical.width();
    return std::max(1, integerScale);
}

Client::Client(wl_display *display) : m_display(display) {}

std::unique_ptr<Client> Client::connect()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<Client> client(new Client(display));
    if (!client->setUp())
        return nullptr;
    return client;
}

bool Client::setUp()
{
    static const wl_registry_listener listener{&Client::global, &Client::globalRemove};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    // The globals, then the outputs' first properties, then the xdg-outputs
    // bound for them.
    for (int i = 0; i < 3; ++i) {
        if (wl_display_roundtrip(m_display) < 0)
            return false;
    }
    if (!m_compositor || !m_shm || !m_layerShell) {
        qCInfo(lcWayland) << "the compositor offers no layer-shell; not using the Wayland backend";
        return false;
    }
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, &Client::dispatch);
    return true;
}

Client::~Client()
{
    delete m_notifier;
    delete m_writable;
    for (const auto &o : m_outputs) {
        if (o->xdgOutput)
            zxdg_output_v1_destroy(o->xdgOutput);
        if (o->output)
            wl_output_destroy(o->output);
    }
    m_outputs.clear();
    if (m_xdgOutputManager)
        zxdg_output_manager_v1_destroy(m_xdgOutputManager);
    if (m_fractionalScale)
        wp_fractional_scale_manager_v1_destroy(m_fractionalScale);
    if (m_viewporter)
        wp_viewporter_destroy(m_viewporter);
    if (m_layerShell)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

void Client::global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    auto *self = static_cast<Client *>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        self->m_compositor = bind<wl_compositor>(registry, name, &wl_compositor_interface, version, kCompositorVersion);
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        self->m_shm = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        self->m_layerShellVersion = int(std::min(version, kLayerShellVersion));
        self->m_layerShell =
            bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, kLayerShellVersion);
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
        self->m_viewporter = bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0) {
        self->m_fractionalScale = bind<wp_fractional_scale_manager_v1>(
            registry, name, &wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        self->m_xdgOutputManager = bind<zxdg_output_manager_v1>(registry, name, &zxdg_output_manager_v1_interface,
                                                                version, kXdgOutputVersion);
        for (const auto &o : self->m_outputs)
            self->watchOutput(*o);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        self->addOutput(name, version);
    }
}

void Client::globalRemove(void *data, wl_registry *, uint32_t name)
{
    static_cast<Client *>(data)->removeOutput(name);
}

void Client::addOutput(uint32_t name, uint32_t version)
{
    auto o = std::make_unique<Output>();
    o->globalName = name;
    o->client = this;
    o->output = bind<wl_output>(m_registry, name, &wl_output_interface, version, kOutputVersion);
    static const wl_output_listener listener{
        .geometry = [](void *data, wl_output *, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char *,
                       const char *, int32_t transform) {
            auto *o = static_cast<Output *>(data);
            o->transform = transform;
            // Only where xdg-output does not say better.
            if (!o->xdgOutput)
                o->logical.moveTopLeft(QPoint(x, y));
        },
        .mode = [](void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t refresh) {
            auto *o = static_cast<Output *>(data);
            if (!(flags & WL_OUTPUT_MODE_CURRENT))
                return;
            if (o->modePixels != QSize(width, height))
                o->forgetPreferredScale();
            o->modePixels = QSize(width, height);
            if (refresh > 0)
                o->refreshRate = refresh / 1000.0;
        },
        .done = [](void *data, wl_output *) {
            auto *o = static_cast<Output *>(data);
            o->done = true;
            o->client->scheduleOutputsChanged();
        },
        .scale = [](void *data, wl_output *, int32_t factor) {
            auto *o = static_cast<Output *>(data);
            if (o->integerScale != factor)
                o->forgetPreferredScale();
            o->integerScale = factor;
        },
        .name = [](void *data, wl_output *, const char *name) { static_cast<Output *>(data)->name = QString::fromUtf8(name); },
        .description = [](void *, wl_output *, const char *) {},
    };
    wl_output_add_listener(o->output, &listener, o.get());
    Output &ref = *o;
    m_outputs.push_back(std::move(o));
    watchOutput(ref);
    scheduleOutputsChanged();
}

void Client::watchOutput(Output &o)
{
    if (!m_xdgOutputManager || o.xdgOutput)
        return;
    o.xdgOutput = zxdg_output_manager_v1_get_xdg_output(m_xdgOutputManager, o.output);
    static const zxdg_output_v1_listener listener{
        .logical_position = [](void *data, zxdg_output_v1 *, int32_t x, int32_t y) {
            static_cast<Output *>(data)->logical.moveTopLeft(QPoint(x, y));
        },
        .logical_size = [](void *data, zxdg_output_v1 *, int32_t width, int32_t height) {
            auto *o = static_cast<Output *>(data);
            if (o->logical.size() != QSize(width, height))
                o->forgetPreferredScale();
            o->logical.setSize(QSize(width, height));
        },
        .done = [](void *data, zxdg_output_v1 *) {
            // Sent before version 3 only; later ones end with wl_output.done.
            auto *o = static_cast<Output *>(data);
            o->done = true;
            o->client->scheduleOutputsChanged();
        },
        .name = [](void *data, zxdg_output_v1 *, const char *name) {
            auto *o = static_cast<Output *>(data);
            if (o->name.isEmpty())
                o->name = QString::fromUtf8(name);
        },
        .description = [](void *, zxdg_output_v1 *, const char *) {},
    };
    zxdg_output_v1_add_listener(o.xdgOutput, &listener, &o);
}

void Client::removeOutput(uint32_t name)
{
    auto it = std::find_if(m_outputs.begin(), m_outputs.end(), [name](const auto &o) { return o->globalName == name; });
    if (it == m_outputs.end())
        return;
    if ((*it)->xdgOutput)
        zxdg_output_v1_destroy((*it)->xdgOutput);
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy *>((*it)->output)) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release((*it)->output);
    else
        wl_output_destroy((*it)->output);
    m_outputs.erase(it);
    scheduleOutputsChanged();
}

QList<const Output *> Client::outputs() const
{
    QList<const Output *> list;
    for (const auto &o : m_outputs) {
        // Without xdg-output a logical size is what the mode and the scale
        // give.
        if (o->done && (o->logical.isValid() || o->modePixels.isValid()))
            list.append(o.get());
    }
    return list;
}

Output *Client::output(uint32_t globalName)
{
    for (const auto &o : m_outputs) {
        if (o->globalName == globalName)
            return o.get();
    }
    return nullptr;
}

void Client::setPreferredScale(uint32_t globalName, double scale)
{
    Output *o = output(globalName);
    if (!o || !(scale > 0) || qFuzzyCompare(o->preferredScale, scale))
        return;
    o->preferredScale = scale;
    scheduleOutputsChanged();
}

void Client::scheduleOutputsChanged()
{
    // Several events make one change; the listeners hear of it once, after
    // the batch.
    if (m_changePending)
        return;
    m_changePending = true;
    QTimer::singleShot(0, this, [this] {
        m_changePending = false;
        for (const auto &o : m_outputs) {
            if (!o->xdgOutput && o->modePixels.isValid()) {
                const int s = std::max(1, o->integerScale);
                const bool sideways = (o->transform & 1) != 0;
                const QSize size = sideways ? o->modePixels.transposed() : o->modePixels;
                o->logical.setSize(size / s);
            }
        }
        Q_EMIT outputsChanged();
    });
}

void Client::dispatch()
{
    if (!m_alive)
        return;
    if (wl_display_prepare_read(m_display) == 0) {
        if (wl_display_read_events(m_display) < 0 && errno != EAGAIN) {
            checkAlive();
            if (!m_alive)
                return;
        }
    }
    wl_display_dispatch_pending(m_display);
    flush();
}

bool Client::flush()
{
    if (!m_alive)
        return false;
    if (wl_display_flush(m_display) < 0 && errno == EAGAIN) {
        // The socket is full: the rest goes out once the compositor has read.
        if (!m_writable) {
            m_writable = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Write, this);
            QObject::connect(m_writable, &QSocketNotifier::activated, this, [this] {
                m_writable->setEnabled(false);
                flush();
            });
        }
        m_writable->setEnabled(true);
    }
    checkAlive();
    return m_alive;
}

bool Client::roundtrip()
{
    if (m_alive && wl_display_roundtrip(m_display) < 0)
        checkAlive();
    return m_alive;
}

void Client::checkAlive()
{
    if (!m_alive || wl_display_get_error(m_display) == 0)
        return;
    m_alive = false;
    qCWarning(lcWayland) << "lost the connection to the compositor:" << std::strerror(wl_display_get_error(m_display));
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (m_writable)
        m_writable->setEnabled(false);
    Q_EMIT lost();
}

QStringList probeGlobals()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return {};
    QStringList names;
    static const wl_registry_listener listener{
        .global = [](void *data, wl_registry *, uint32_t, const char *interface, uint32_t) {
            static_cast<QStringList *>(data)->append(QString::fromUtf8(interface));
        },
        .global_remove = [](void *, wl_registry *, uint32_t) {},
    };
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &names);
    if (wl_display_roundtrip(display) < 0)
        names.clear();
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return names;
}

} // namespace platform::wayland
