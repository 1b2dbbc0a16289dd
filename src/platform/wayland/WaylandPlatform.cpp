// The platform on a Wayland compositor that offers wlr layer-shell (KWin,
// sway, Hyprland, river, labwc, Wayfire): the displays are its outputs, the
// guide's surfaces are layer surfaces, both on a connection of the backend's
// own. Where the pointer and the hot keys come from is handed in: no core
// Wayland protocol tells a client where the pointer is, or lets it take a key
// for the whole desktop.

#include "platform/Backends.h"
#include "platform/wayland/WaylandClient.h"
#include "platform/wayland/WaylandSurfaces.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace platform {

namespace {

class WaylandDisplays : public Displays
{
public:
    explicit WaylandDisplays(wayland::Client &client) : m_client(client)
    {
        refresh();
        connect(&client, &wayland::Client::outputsChanged, this, [this] {
            if (refresh())
                Q_EMIT displaysChanged();
        });
        connect(&client, &wayland::Client::lost, this, [this] {
            m_displays.clear();
            Q_EMIT displaysChanged();
        });
    }

    QList<Display> displays() const override { return m_displays; }

    // Wayland has no primary output: the one Qt calls primary (the
    // compositor's first, or the one it names), else the first.
    std::optional<Display> mainDisplay() const override
    {
        if (m_displays.isEmpty())
            return std::nullopt;
        if (const QScreen *primary = QGuiApplication::primaryScreen()) {
            for (const Display &d : m_displays) {
                if (d.name == primary->name())
                    return d;
            }
        }
        return m_displays.first();
    }

private:
    // True when the list changed.
    bool refresh()
    {
        QList<Display> list;
        if (m_client.isAlive()) {
            for (const wayland::Output *o : m_client.outputs())
                list.append(Display{QRectF(o->logical), o->scale(), o->name, o->refreshRate});
        }
        const bool changed = list.size() != m_displays.size() ||
                             !std::equal(list.begin(), list.end(), m_displays.begin(), [](const auto &a, const auto &b) {
                                 return a.frame == b.frame && qFuzzyCompare(a.devicePixelRatio, b.devicePixelRatio) &&
                                        a.name == b.name && qFuzzyCompare(a.refreshRate, b.refreshRate);
                             });
        m_displays = list;
        return changed;
    }

    wayland::Client &m_client;
    QList<Display> m_displays;
};

class WaylandPlatform : public Platform
{
public:
    WaylandPlatform(std::unique_ptr<wayland::Client> client, PointerSource pointer,
                    std::unique_ptr<HotkeyService> hotkeys, std::function<std::unique_ptr<ScreenCapture>()> capture,
                    WindowSource windows, std::unique_ptr<DesktopMagnifier> magnifier)
        : m_client(std::move(client)), m_displays(*m_client), m_pointer(std::move(pointer)),
          m_hotkeys(std::move(hotkeys)), m_capture(std::move(capture)), m_windows(std::move(windows)),
          m_magnifier(std::move(magnifier))
    {
        m_loginItem = createXdgAutostart(QString(), QString());
        m_surfaces = wayland::createGuideSurfaces(*m_client);
    }
    ~WaylandPlatform() override
    {
        // The surfaces speak through the connection: they go first.
        m_surfaces.reset();
    }

    QString name() const override { return QStringLiteral("wayland"); }
    QString pointerSource() const override { return m_pointer.name; }
    Displays &displays() override { return m_displays; }
    PointerMonitor &pointer() override { return *m_pointer.monitor; }
    HotkeyService &hotkeys() override { return *m_hotkeys; }
    LoginItem &loginItem() override { return *m_loginItem; }
    GuideSurfaces &guideSurfaces() override { return *m_surfaces; }
    std::unique_ptr<ScreenCapture> createScreenCapture() override { return m_capture(); }

    Capability capability(Feature feature) override
    {
        switch (feature) {
        case Feature::Pointer:
            if (m_pointer.followsEverywhere) return {};
            // Nothing but the commands helps on a desktop that gives no
            // program the pointer.
            return Capability::missing(QCoreApplication::translate(
                "AppDelegate",
                "This desktop does not tell programs where the pointer is, so the guide cannot follow it. "
                "It starts in the middle third of the screen, and you move it a line at a time with the "
                "commands \"tovani next-line\" and \"tovani previous-line\".\n\n"
                "Bind them, and \"tovani toggle\", to keys in your desktop's settings: in sway, for "
                "example, add \"bindsym $mod+j exec tovani next-line\" to its configuration file."));
        case Feature::HoldGuide:
            return {};
        case Feature::Magnifier:
            if (m_magnifier)
                return m_magnifier->capability();
            [[fallthrough]];
        case Feature::ScreenCapture:
            // A picture of a Wayland desktop needs the desktop's permission,
            // which Tovani cannot ask for yet.
            return Capability::missing(
                QCoreApplication::translate("MagnifierView", "Unavailable on Wayland for now"));
        }
        return {};
    }
    bool hasXInput2() const override { return false; }
    // Every Wayland compositor blends.
    bool hasCompositor() const override { return true; }
    bool canPlaceWindows() const override { return false; }
    DesktopMagnifier *desktopMagnifier() override { return m_magnifier.get(); }
    bool isTrusted() const override { return m_pointer.followsEverywhere; }

    // From what the compositor last said: a pointer move asks nothing of it.
    bool canFindWindows() const override { return m_windows.windows != nullptr; }
    std::optional<WindowAtPoint> windowAt(const QPointF &point) override
    {
        return m_windows.windows ? m_windows.windows->windowAt(point) : std::nullopt;
    }
    std::optional<WindowAtPoint> focusedWindow() override
    {
        return m_windows.windows ? m_windows.windows->focusedWindow() : std::nullopt;
    }

private:
    std::unique_ptr<wayland::Client> m_client;
    WaylandDisplays m_displays;
    PointerSource m_pointer;
    std::unique_ptr<HotkeyService> m_hotkeys;
    std::function<std::unique_ptr<ScreenCapture>()> m_capture;
    std::unique_ptr<LoginItem> m_loginItem;
    std::unique_ptr<GuideSurfaces> m_surfaces;
    WindowSource m_windows;
    std::unique_ptr<DesktopMagnifier> m_magnifier;
};

} // namespace

std::unique_ptr<Platform> createWaylandPlatform(PointerSource pointer, std::unique_ptr<HotkeyService> hotkeys,
                                                std::function<std::unique_ptr<ScreenCapture>()> capture,
                                                WindowSource windows, std::unique_ptr<DesktopMagnifier> magnifier)
{
    std::unique_ptr<wayland::Client> client = wayland::Client::connect();
    if (!client)
        return nullptr;
    return std::make_unique<WaylandPlatform>(std::move(client), std::move(pointer), std::move(hotkeys),
                                             std::move(capture), std::move(windows), std::move(magnifier));
}

QStringList waylandGlobals() { return wayland::probeGlobals(); }

} // namespace platform
