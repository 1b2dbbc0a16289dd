// The platform on GNOME Shell's Wayland session: the guide, the shortcuts
// and the on-screen messages go through Tovani's Shell extension (see
// GnomeShell.h); Tovani's own windows are plain Qt Wayland windows. While the
// extension runs, the displays are the Shell's monitors, in its order, so
// that the pictures of display i go to monitor i.

#include "platform/Backends.h"
#include "platform/qt/QtDisplays.h"
#include "platform/qt/QtSurfaces.h"
#include "platform/gnome/GnomeShell.h"
#include "platform/qt/Unavailable.h"

#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

namespace {

class GnomeDisplays : public Displays
{
public:
    explicit GnomeDisplays(gnome::ShellExtension &shell) : m_shell(shell)
    {
        connect(&m_qt, &Displays::displaysChanged, this, [this] {
            if (m_shell.monitors().isEmpty()) Q_EMIT displaysChanged();
        });
        connect(&shell, &gnome::ShellExtension::monitorsChanged, this, &Displays::displaysChanged);
    }

    QList<Display> displays() const override
    {
        const QList<gnome::ShellMonitor> monitors = m_shell.monitors();
        if (monitors.isEmpty()) return m_qt.displays();
        QList<Display> list;
        for (qsizetype i = 0; i < monitors.size(); ++i) {
            const QScreen *screen = screenAt(monitors.at(i).frame);
            list.append({monitors.at(i).frame, monitors.at(i).scale,
                         screen ? screen->name() : QStringLiteral("Monitor %1").arg(i + 1),
                         screen && screen->refreshRate() > 0 ? screen->refreshRate() : 60});
        }
        return list;
    }

    std::optional<Display> mainDisplay() const override
    {
        const QList<Display> list = displays();
        if (list.isEmpty()) return std::nullopt;
        if (const QScreen *primary = QGuiApplication::primaryScreen()) {
            for (const Display &d : list) {
                if (d.frame == QRectF(primary->geometry())) return d;
            }
        }
        return list.first();
    }

private:
    static const QScreen *screenAt(const QRectF &frame)
    {
        const QList<QScreen *> screens = QGuiApplication::screens();
        const auto it = std::find_if(screens.cbegin(), screens.cend(),
                                     [&frame](const QScreen *s) { return QRectF(s->geometry()) == frame; });
        return it == screens.cend() ? nullptr : *it;
    }

    gnome::ShellExtension &m_shell;
    QtDisplays m_qt;
};

// The Shell binds the keys (the extension's settings keep them) and reports
// each press; a key the Shell refuses, or any while the extension is away,
// counts as lost.
class GnomeHotkeys : public HotkeyService
{
public:
    explicit GnomeHotkeys(gnome::ShellExtension &shell) : m_shell(shell)
    {
        connect(&shell, &gnome::ShellExtension::shortcutBound, this, [this](const QString &name, bool bound) {
            const int id = m_names.key(name, 0);
            if (id == 0 || m_bound.contains(id) == bound) return;
            if (bound)
                m_bound.insert(id);
            else
                m_bound.remove(id);
            Q_EMIT registrationChanged(id, bound);
        });
        connect(&shell, &gnome::ShellExtension::shortcutActivated, this, [this](const QString &name) {
            if (const int id = m_names.key(name, 0)) Q_EMIT activated(id, false);
        });
    }

    bool isAvailable() const override { return true; }
    bool registerHotkey(int id, const Key &key) override
    {
        unregisterHotkey(id);
        const QString accelerator = gnome::shellAccelerator(key);
        if (accelerator.isEmpty() || key.name.isEmpty()) return false;
        m_names.insert(id, key.name);
        m_shell.bindShortcut(key.name, accelerator);
        // Taken for now; the Shell's answer may still take it back.
        if (m_shell.state() != ShellGuide::State::Active) return false;
        m_bound.insert(id);
        return true;
    }
    void unregisterHotkey(int id) override
    {
        const QString name = m_names.take(id);
        m_bound.remove(id);
        if (!name.isEmpty()) m_shell.bindShortcut(name, QString());
    }
    bool isRegistered(int id) const override { return m_bound.contains(id); }

private:
    gnome::ShellExtension &m_shell;
    QHash<int, QString> m_names;
    QSet<int> m_bound;
};

class GnomePlatform : public Platform
{
public:
    explicit GnomePlatform(const QDBusConnection &bus)
        : m_shell(bus, m_busName), m_displays(m_shell), m_hotkeys(m_shell),
          m_capture(QCoreApplication::translate("Platform", "GNOME Shell gives no program a picture of the "
                                                            "screen without asking each time"))
    {
        m_loginItem = createXdgAutostart(QString(), QString());
        // Unused while the Shell shows the guide; Qt windows otherwise.
        m_surfaces =
            createQtGuideSurfaces([this](QWidget *w) { prepareWindow(w, WindowRole::GuideOverlay); });
    }

    QString name() const override { return QStringLiteral("gnome-shell"); }
    QString pointerSource() const override
    {
        return m_shell.state() == ShellGuide::State::Active ? QStringLiteral("gnome-shell-extension")
                                                            : QStringLiteral("none");
    }
    Displays &displays() override { return m_displays; }
    PointerMonitor &pointer() override { return m_pointer; }
    HotkeyService &hotkeys() override { return m_hotkeys; }
    LoginItem &loginItem() override { return *m_loginItem; }
    GuideSurfaces &guideSurfaces() override { return *m_surfaces; }
    std::unique_ptr<ScreenCapture> createScreenCapture() override
    {
        return std::make_unique<UnavailableCapture>(m_capture);
    }

    GuideOutput guideOutput() override { return &m_shell; }
    Capability capability(Feature feature) override
    {
        switch (feature) {
        case Feature::Pointer:
            return isTrusted() ? Capability() : Capability::missing(m_shell.stateText());
        case Feature::HoldGuide:
            if (const QString problem = m_shell.holdProblem(); !problem.isEmpty())
                return Capability::missing(problem);
            return {};
        case Feature::Magnifier:
            // The Shell draws it from the windows: no picture of the screen is taken.
            return {};
        case Feature::ScreenCapture:
            return Capability::missing(m_capture);
        }
        return {};
    }
    bool hasXInput2() const override { return false; }
    bool hasCompositor() const override { return true; }
    bool canPlaceWindows() const override { return false; }
    bool isTrusted() const override { return m_shell.state() == ShellGuide::State::Active; }
    DesktopExtension *extension() override { return &m_shell; }
    // From what the extension last told: nothing is asked per question.
    bool canFindWindows() const override { return m_shell.canHold(); }
    std::optional<WindowAtPoint> windowAt(const QPointF &point) override
    {
        return notOurs(m_shell.windowAt(point));
    }
    std::optional<WindowAtPoint> focusedWindow() override { return notOurs(m_shell.focusedWindow()); }
    bool showMessage(const QString &text) override
    {
        m_shell.showMessage(text);
        return true;
    }

private:
    static std::optional<WindowAtPoint> notOurs(std::optional<WindowAtPoint> window)
    {
        if (window && window->pid == QCoreApplication::applicationPid()) return std::nullopt;
        return window;
    }

    TovaniBusName m_busName; // before the extension, which serves its holder
    gnome::ShellExtension m_shell;
    GnomeDisplays m_displays;
    GnomeHotkeys m_hotkeys;
    UnavailablePointer m_pointer;
    QString m_capture;
    std::unique_ptr<LoginItem> m_loginItem;
    std::unique_ptr<GuideSurfaces> m_surfaces;
};

} // namespace

std::unique_ptr<Platform> createGnomePlatform()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(QStringLiteral("org.gnome.Shell")).value())
        return nullptr;
    return std::make_unique<GnomePlatform>(bus);
}

} // namespace platform
