#pragma once

// The backend's own connection to the Wayland compositor, beside the one Qt
// keeps for its windows: its events are read and dispatched on the main
// thread from Qt's event loop, and what was asked is flushed before the loop
// sleeps. It binds the globals the guide needs and follows the outputs
// (their logical position and size through xdg-output, since wl_output's
// geometry is not in the compositor's global space everywhere).

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <memory>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct wp_fractional_scale_manager_v1;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

class QSocketNotifier;

namespace platform::wayland {

class Client;

struct Output
{
    Client *client = nullptr;
    uint32_t globalName = 0; // the registry's name of the wl_output
    wl_output *output = nullptr;
    zxdg_output_v1 *xdgOutput = nullptr;
    QString name;            // "DP-1", "HEADLESS-1"
    QRect logical;           // global logical coordinates
    QSize modePixels;        // the current mode, in device pixels
    int transform = 0;       // wl_output_transform
    int integerScale = 1;
    double preferredScale = 0; // from wp_fractional_scale, 0 until one says
    double refreshRate = 60;
    bool done = false;       // every property arrived at least once

    // Device pixels per logical pixel: what a surface's fractional scale
    // says, else what the mode and the logical size give, else the
    // integer scale.
    double scale() const;
    // The output changed its mode, scale or logical size: the preferred
    // scale told before is stale (sway tells a new one only to the surfaces
    // that are on the output then, and the guide's may all be gone), and
    // taken as the output's scale it would draw the guide at the old scale,
    // then make the displays change again when a new surface is told the
    // new one.
    void forgetPreferredScale() { preferredScale = 0; }
};

class Client : public QObject
{
    Q_OBJECT
public:
    // Connects to the compositor named by WAYLAND_DISPLAY and waits for its
    // globals and outputs. Null when there is none, or it offers no
    // layer-shell.
    static std::unique_ptr<Client> connect();
    ~Client() override;

    wl_display *display() const { return m_display; }
    wl_compositor *compositor() const { return m_compositor; }
    wl_shm *shm() const { return m_shm; }
    zwlr_layer_shell_v1 *layerShell() const { return m_layerShell; }
    wp_viewporter *viewporter() const { return m_viewporter; }
    wp_fractional_scale_manager_v1 *fractionalScale() const { return m_fractionalScale; }
    int layerShellVersion() const { return m_layerShellVersion; }

    // The outputs whose properties are all known, in the order the
    // compositor announced them.
    QList<const Output *> outputs() const;
    // The output of that registry name, or null when it is gone.
    Output *output(uint32_t globalName);

    // A wl_surface asks to be shown at this scale on `output`.
    void setPreferredScale(uint32_t globalName, double scale);
    // Tells of a change of the outputs once the events of this batch are in.
    void scheduleOutputsChanged();

    // Sends what was asked. False once the connection is lost.
    bool flush();
    bool isAlive() const { return m_alive; }

    // Runs the queue until the compositor has answered everything asked so
    // far. False once the connection is lost.
    bool roundtrip();

Q_SIGNALS:
    // An output came, went, moved, or changed size or scale.
    void outputsChanged();
    // The compositor closed the connection or sent a protocol error; every
    // object of it is gone.
    void lost();

private:
    explicit Client(wl_display *display);
    bool setUp();
    void dispatch();
    void checkAlive();
    void addOutput(uint32_t name, uint32_t version);
    void watchOutput(Output &output);
    void removeOutput(uint32_t name);

    static void global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version);
    static void globalRemove(void *data, wl_registry *registry, uint32_t name);

    wl_display *m_display = nullptr;
    wl_registry *m_registry = nullptr;
    wl_compositor *m_compositor = nullptr;
    wl_shm *m_shm = nullptr;
    zwlr_layer_shell_v1 *m_layerShell = nullptr;
    int m_layerShellVersion = 0;
    wp_viewporter *m_viewporter = nullptr;
    wp_fractional_scale_manager_v1 *m_fractionalScale = nullptr;
    zxdg_output_manager_v1 *m_xdgOutputManager = nullptr;
    std::vector<std::unique_ptr<Output>> m_outputs;
    QSocketNotifier *m_notifier = nullptr;
    QSocketNotifier *m_writable = nullptr; // while the socket is full
    bool m_alive = true;
    bool m_changePending = false;
};

// The interfaces of the globals the compositor named by WAYLAND_DISPLAY
// offers, asked on a short connection of its own; empty when none answers.
// For choosing the backend before Qt connects.
QStringList probeGlobals();

} // namespace platform::wayland
