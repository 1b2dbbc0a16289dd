#pragma once

// GNOME Shell on Wayland: Mutter tells no client where the pointer is and
// has no layer-shell, so the guide is shown by the Shell, through Tovani's
// Shell extension (extension/). The extension owns a name on the
// session bus while it runs; Tovani hands it the guide's pictures, the
// shortcuts and the messages, and it reports its monitors and each shortcut
// pressed. It serves the owner of Tovani's own name (org.tovani.Tovani,
// platform/dbus/) alone: while another program holds that name, the extension
// is not used. It never waits for Tovani, and Tovani never waits for it:
// every call here is asynchronous, and whatever is wanted is kept and handed
// over again, all of it, when the extension (re)starts or reports a
// visibility other than the one wanted.

#include "platform/Platform.h"
#include "platform/dbus/TovaniBusName.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>

namespace platform::gnome {

inline constexpr const char *extensionUuid = "tovani@tovani.org";
inline constexpr const char *serviceName = "org.tovani.ShellExtension";
inline constexpr const char *objectPath = "/org/tovani/ShellExtension";
inline constexpr const char *interfaceName = "org.tovani.ShellExtension";
// The versions of the interface this Tovani speaks: 3 holds the guide and
// tells where the pointer rests and which windows are there; 2 serves Tovani
// alone; an extension of version 1 (loaded by the Shell before an update,
// until the next log-in) takes the same calls from anyone. Older versions
// are used for what they can do.
inline constexpr uint apiVersion = 3;
inline constexpr uint holdApiVersion = 3;
inline constexpr uint oldestApiVersion = 1;

// A monitor as the Shell lays them out: stage coordinates (Tovani's global
// coordinates here) and device pixels per unit.
struct ShellMonitor
{
    QRectF frame;
    qreal scale = 1;
    bool operator==(const ShellMonitor &o) const = default;
};

class ShellExtension : public ShellGuide
{
    Q_OBJECT
public:
    // Speaks to the extension as the holder of `busName`, which the
    // extension serves alone.
    ShellExtension(const QDBusConnection &bus, TovaniBusName &busName, QObject *parent = nullptr);
    ~ShellExtension() override;

    State state() const override { return m_state; }
    QString stateText() const override;
    bool install(QString *error) override;
    void setPieces(const QList<Piece> &pieces, const QColor &shade) override;
    void setVisible(bool visible) override;
    void showMessage(const QString &text) override;
    void setMagnifier(bool visible, double zoom, const QSizeF &size, const QColor &frame) override;
    bool canHold() const override { return m_state == State::Active && m_version >= holdApiVersion; }
    void hold(double row, double height, Until until) override;
    void release() override;
    // Why the guide cannot be held here (an extension of an older version),
    // or empty when it can.
    QString holdProblem() const;

    // Another process's window under the point where the pointer rested
    // last, and the focused one, as the extension told them last.
    std::optional<WindowAtPoint> windowAt(const QPointF &point) const;
    std::optional<WindowAtPoint> focusedWindow() const { return m_focused; }

    // The Shell's monitors while the extension runs, else empty.
    QList<ShellMonitor> monitors() const { return m_monitors; }

    // Binds `accelerator` (GTK notation, "<Control><Shift>r"; empty unbinds)
    // to the extension's shortcut `name`, now and whenever the extension
    // starts again. The answer comes as shortcutBound().
    void bindShortcut(const QString &name, const QString &accelerator);

Q_SIGNALS:
    void monitorsChanged();
    void shortcutBound(const QString &name, bool bound);
    void shortcutActivated(const QString &name);

private Q_SLOTS:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated);
    void onShortcutActivated(const QString &name);
    void onPointerRested(const QDBusMessage &message);
    void onFocusChanged(const QDBusMessage &message);
    void onGuideReleased();

private:
    void appeared();
    void vanished();
    void askShell();
    void setState(State state, const QString &detail = QString());
    void readMonitors(const QVariant &value);
    void sendPieces();
    void sendVisible();
    void sendShortcut(const QString &name);
    void sendMagnifier();
    void sendHold();
    void sendAll();
    // The extension shows the guide when it is on and has something to show.
    bool wantsShown() const;
    // Sends `call` without waiting; a refusal is logged, naming `what`.
    void callReportingErrors(const QDBusMessage &call, int timeoutMs, const char *what);
    // The extension's folder for the running Shell, shipped with Tovani.
    QString shippedExtension(QString *error) const;

    QDBusConnection m_bus;
    TovaniBusName &m_busName;
    State m_state = State::Starting;
    QString m_detail;
    QList<ShellMonitor> m_monitors;
    QList<Piece> m_pieces;
    QColor m_shade;
    bool m_visible = false;
    struct Magnifier
    {
        bool visible = false;
        double zoom = 2;
        QSizeF size;
        QColor frame;
        bool operator==(const Magnifier &o) const = default;
    } m_magnifier;
    QHash<QString, QString> m_shortcuts; // name -> accelerator
    int m_generation = 0;                // of the extension's appearances
    uint m_version = 0;                  // of the running extension's interface
    struct Hold
    {
        bool held = false;
        double row = 0, height = 0;
        Until until = Until::Moved;
        bool operator==(const Hold &o) const = default;
    } m_hold;
    std::optional<WindowAtPoint> m_rested; // the window where the pointer rested
    std::optional<WindowAtPoint> m_focused;
};

// The accelerator the Shell binds for `key` ("<Control><Shift>r"), or empty
// for a key it cannot name.
QString shellAccelerator(const HotkeyService::Key &key);

// The Shell's major version from its version string ("43.9" -> 43), 0 when
// it does not say.
int shellMajorVersion(const QString &version);

// The extension's folder for a Shell of that major version among Tovani's
// installed files (share/tovani/gnome-shell/), else in the build tree.
QString shippedExtensionDir(int shellMajor);

// Adds `uuid` to a GVariant text list of strings ("['a', 'b']", "@as []")
// and returns the new text; empty when `list` is no such list.
QString addToStringList(const QString &list, const QString &uuid);

// A window as the extension describes it, (ddddddx): frame, surface origin,
// process id; nothing for "none" (all 0) or numbers no screen has.
std::optional<WindowAtPoint> windowFromWire(const QVariant &value);

} // namespace platform::gnome
