// Global shortcuts through the XDG desktop portal (see PortalHotkeys.h).
//
// The portal binds a whole set of shortcuts at once, once per session. So
// registerHotkey() and unregisterHotkey() only note what is wanted; on the next
// turn of the event loop the set is bound in a new session (the old one is
// closed): CreateSession, then BindShortcuts with each command's proposed
// combination, then ListShortcuts, whose answer says what the desktop bound.
// Each of those answers through a Request object's Response signal; the
// request's path is known before the call (it is made of our bus name and a
// token of ours), so its signal is listened to before it can be sent.
// Ids with a combination bound are registered; the others are reported lost
// through registrationChanged(). Activated and Deactivated signals of our
// session become activated().
#include "platform/portal/PortalHotkeys.h"

#include "platform/Keysyms.h"
#include "platform/dbus/DBusTypes.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QLoggingCategory>
#include <QMap>
#include <QSet>
#include <QTimer>

#include <functional>
#include <utility>

Q_LOGGING_CATEGORY(lcPortalHotkeys, "tovani.platform.portal")

namespace {
// One shortcut as the portal passes it: (sa{sv}).
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
} // namespace
Q_DECLARE_METATYPE(PortalShortcut)

namespace {
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}
} // namespace

namespace platform::portal {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// "/org/freedesktop/portal/desktop/request/SENDER/TOKEN", where SENDER is our
// unique name without its ':' and with '_' for '.'.
QString requestPath(const QDBusConnection &bus, const QString &token)
{
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

// The portal's list of shortcuts, a(sa{sv}): (id, properties) each.
std::optional<QList<PortalShortcut>> readShortcuts(const QVariant &value)
{
    return platform::dbus::read<QList<PortalShortcut>>(value, u"a(sa{sv})");
}

QList<PortalShortcut> shortcutsOf(const QVariantMap &results)
{
    return readShortcuts(results.value(QStringLiteral("shortcuts"))).value_or(QList<PortalShortcut>());
}

// One request of the portal: calls `method` and hands the Response's code and
// results to `done` (code 0 is success; 1 cancelled; 2 ended otherwise, also
// when the call itself failed). Deletes itself after answering.
class Request : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(uint, const QVariantMap &)>;
    Request(QDBusConnection bus, const QString &method, QVariantList arguments, QVariantMap options, Done done,
            QObject *parent)
        : QObject(parent), m_bus(std::move(bus)), m_done(std::move(done))
    {
        static int counter = 0;
        const QString token = QStringLiteral("tovani%1").arg(++counter);
        options.insert(QStringLiteral("handle_token"), token);
        listen(requestPath(m_bus, token));
        QDBusMessage message = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
        arguments.append(options);
        message.setArguments(arguments);
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            const QDBusMessage reply = w->reply();
            const std::optional<QVariantList> handle = platform::dbus::replyArguments(reply, u"o");
            if (!handle) {
                qCWarning(lcPortalHotkeys) << "the portal refused a request:" << reply.signature()
                                           << reply.errorMessage();
                finish(2, {});
                return;
            }
            // A portal older than handle_token chooses its own path.
            const QString path = handle->at(0).value<QDBusObjectPath>().path();
            if (!path.isEmpty() && path != m_path)
                listen(path);
        });
    }

private Q_SLOTS:
    void response(uint code, const QVariantMap &results) { finish(code, results); }

private:
    void listen(const QString &path)
    {
        if (!m_path.isEmpty())
            m_bus.disconnect(portalService, m_path, requestInterface, QStringLiteral("Response"), this,
                             SLOT(response(uint, QVariantMap)));
        m_path = path;
        m_bus.connect(portalService, m_path, requestInterface, QStringLiteral("Response"), this,
                      SLOT(response(uint, QVariantMap)));
    }
    void finish(uint code, const QVariantMap &results)
    {
        if (!m_done)
            return;
        m_bus.disconnect(portalService, m_path, requestInterface, QStringLiteral("Response"), this,
                         SLOT(response(uint, QVariantMap)));
        std::exchange(m_done, nullptr)(code, results);
        deleteLater();
    }

    QDBusConnection m_bus;
    Done m_done;
    QString m_path;
};

class PortalHotkeys : public HotkeyService
{
    Q_OBJECT
public:
    explicit PortalHotkeys(QDBusConnection bus)
        : m_bus(std::move(bus)), m_watcher(portalService, m_bus, QDBusServiceWatcher::WatchForOwnerChange)
    {
        m_bind.setSingleShot(true);
        connect(&m_bind, &QTimer::timeout, this, &PortalHotkeys::bind);
        // A new portal (it restarted, or was started on demand) knows nothing
        // of our session: bind again.
        connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
            m_session.clear();
            ++m_generation;
            if (!m_wanted.isEmpty())
                m_bind.start();
        });
        // Some portals send these without the options at the end: the slots
        // read the session and the shortcut, whatever follows.
        m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                      SLOT(activatedBy(QDBusMessage)));
        m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Deactivated"), this,
                      SLOT(deactivatedBy(QDBusMessage)));
        m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("ShortcutsChanged"), this,
                      SLOT(shortcutsChanged(QDBusObjectPath, QDBusMessage)));
    }
    ~PortalHotkeys() override { closeSession(); }

    bool isAvailable() const override { return true; }

    bool registerHotkey(int id, const Key &key) override
    {
        m_wanted.insert(id, key);
        m_bind.start();
        return true;
    }

    void unregisterHotkey(int id) override
    {
        if (m_wanted.remove(id) == 0)
            return;
        m_bound.remove(id);
        m_bind.start();
    }

    // Until the desktop has answered, a wanted combination counts as taken.
    bool isRegistered(int id) const override
    {
        return m_wanted.contains(id) && (!m_answered.contains(id) || m_bound.contains(id));
    }

    QString boundKeyText(int id) const override { return m_bound.value(id); }

private Q_SLOTS:
    void activatedBy(const QDBusMessage &message)
    {
        const int id = idOf(message);
        if (id == 0)
            return;
        // The portal reports presses; a desktop that reports the repeats of
        // a held key sends Activated again before Deactivated.
        const bool repeat = m_held.contains(id);
        m_held.insert(id);
        Q_EMIT activated(id, repeat);
    }
    void deactivatedBy(const QDBusMessage &message) { m_held.remove(idOf(message)); }
    // The person changed a binding in the desktop's settings.
    void shortcutsChanged(const QDBusObjectPath &session, const QDBusMessage &message)
    {
        if (session.path() != m_session)
            return;
        if (const std::optional<QList<PortalShortcut>> list = readShortcuts(message.arguments().value(1)))
            apply(*list);
    }

private:
    // The id a signal of our session is about, or 0.
    int idOf(const QDBusMessage &message) const
    {
        const QVariantList arguments = message.arguments();
        if (!message.signature().startsWith(QLatin1String("os")) ||
            arguments.at(0).value<QDBusObjectPath>().path() != m_session)
            return 0;
        const QString shortcut = arguments.at(1).toString();
        for (auto it = m_wanted.cbegin(); it != m_wanted.cend(); ++it) {
            if (it->name == shortcut)
                return it.key();
        }
        return 0;
    }

    // Closes the session; `then` runs once the portal has closed it, so that a
    // new session under the same token is not undone by the old one's close.
    void closeSession(const std::function<void()> &then = {})
    {
        if (m_session.isEmpty()) {
            if (then)
                then();
            return;
        }
        const QDBusPendingCall call = m_bus.asyncCall(QDBusMessage::createMethodCall(
            portalService, std::exchange(m_session, QString()), QStringLiteral("org.freedesktop.portal.Session"),
            QStringLiteral("Close")));
        if (!then)
            return;
        auto *watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, then] {
            watcher->deleteLater();
            then();
        });
    }

    // A new session with the wanted set bound in it.
    void bind()
    {
        const int generation = ++m_generation;
        m_answered.clear();
        m_held.clear();
        closeSession([this, generation] {
            if (generation == m_generation && !m_wanted.isEmpty())
                createSession(generation);
        });
    }

    void createSession(int generation)
    {
        // The desktop may file the person's choices under the session's
        // token (KDE does): it stays the same from one run to the next. KDE
        // Plasma 5 takes the shortcuts here, and binds them at once.
        const QVariantMap options{{QStringLiteral("session_handle_token"), QStringLiteral("tovani")},
                                  {QStringLiteral("shortcuts"), QVariant::fromValue(wantedShortcuts())}};
        new Request(m_bus, QStringLiteral("CreateSession"), {}, options,
                    [this, generation](uint code, const QVariantMap &results) {
                        if (generation != m_generation)
                            return;
                        m_session = results.value(QStringLiteral("session_handle")).toString();
                        if (code != 0 || m_session.isEmpty()) {
                            qCWarning(lcPortalHotkeys) << "the portal opened no shortcut session";
                            apply({});
                            return;
                        }
                        // Binding again would only open the desktop's
                        // shortcut settings in front of the person.
                        if (shortcutsOf(results).size() == m_wanted.size())
                            listShortcuts(generation);
                        else
                            bindShortcuts(generation);
                    },
                    this);
    }

    QList<PortalShortcut> wantedShortcuts() const
    {
        QList<PortalShortcut> shortcuts;
        for (const Key &key : std::as_const(m_wanted)) {
            QVariantMap properties{{QStringLiteral("description"), key.description}};
            const QString trigger = portalTrigger(key);
            if (!trigger.isEmpty())
                properties.insert(QStringLiteral("preferred_trigger"), trigger);
            shortcuts.append({key.name, properties});
        }
        return shortcuts;
    }

    void bindShortcuts(int generation)
    {
        const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(m_session)),
                                     QVariant::fromValue(wantedShortcuts()), QString()};
        new Request(m_bus, QStringLiteral("BindShortcuts"), arguments, {},
                    [this, generation](uint code, const QVariantMap &) {
                        if (generation != m_generation)
                            return;
                        if (code == 0)
                            listShortcuts(generation);
                        else
                            apply({}); // the person declined
                    },
                    this);
    }

    // What the person bound, which may differ from what was proposed.
    void listShortcuts(int generation)
    {
        new Request(m_bus, QStringLiteral("ListShortcuts"), {QVariant::fromValue(QDBusObjectPath(m_session))}, {},
                    [this, generation](uint code, const QVariantMap &results) {
                        if (generation == m_generation)
                            apply(code == 0 ? shortcutsOf(results) : QList<PortalShortcut>());
                    },
                    this);
    }

    // The shortcuts the desktop bound: each wanted id is registered when it
    // has a trigger, and its change is reported.
    void apply(const QList<PortalShortcut> &list)
    {
        QHash<QString, QString> triggers;
        for (const PortalShortcut &shortcut : list) {
            qCDebug(lcPortalHotkeys) << "the desktop bound" << shortcut.id << shortcut.properties;
            triggers.insert(shortcut.id, shortcut.properties.value(QStringLiteral("trigger_description")).toString());
        }
        for (auto it = m_wanted.cbegin(); it != m_wanted.cend(); ++it) {
            const bool was = isRegistered(it.key());
            const QString trigger = triggers.value(it->name);
            m_answered.insert(it.key());
            if (trigger.isEmpty())
                m_bound.remove(it.key());
            else
                m_bound.insert(it.key(), trigger);
            if (isRegistered(it.key()) != was)
                Q_EMIT registrationChanged(it.key(), !was);
        }
    }

    QDBusConnection m_bus;
    QDBusServiceWatcher m_watcher;
    QTimer m_bind;
    QMap<int, Key> m_wanted;
    QHash<int, QString> m_bound; // id -> the trigger the desktop bound
    QSet<int> m_answered;        // ids the desktop has answered for
    QSet<int> m_held;            // ids activated and not yet deactivated
    QString m_session;
    int m_generation = 0; // answers for an older set of shortcuts are dropped
};

} // namespace

QString portalTrigger(const HotkeyService::Key &key)
{
    const QString sym = usKeysym(key.xkbKeyName);
    if (sym.isEmpty())
        return {};
    QString trigger;
    const std::pair<Qt::KeyboardModifier, const char *> names[] = {{Qt::ControlModifier, "CTRL+"},
                                                                    {Qt::AltModifier, "ALT+"},
                                                                    {Qt::ShiftModifier, "SHIFT+"},
                                                                    {Qt::MetaModifier, "LOGO+"}};
    for (const auto &[modifier, name] : names) {
        if (key.modifiers.testFlag(modifier))
            trigger += QLatin1String(name);
    }
    return trigger + sym;
}

QString desktopShortcutHint()
{
    const QString desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower();
    const auto is = [&desktops](const char *name) {
        return desktops.split(QLatin1Char(':')).contains(QLatin1String(name));
    };
    if (is("kde"))
        return QCoreApplication::translate("Platform",
                                           "To use a shortcut, bind a key to the command \"tovani toggle\" "
                                           "(or another command) in System Settings > Shortcuts > Custom "
                                           "Shortcuts.");
    if (is("gnome") || is("ubuntu") || is("unity"))
        return QCoreApplication::translate("Platform",
                                           "To use a shortcut, bind a key to the command \"tovani toggle\" "
                                           "(or another command) in Settings > Keyboard > Keyboard Shortcuts "
                                           "> Custom Shortcuts.");
    if (is("sway"))
        return QCoreApplication::translate("Platform",
                                           "To use a shortcut, add a line such as "
                                           "\"bindsym Ctrl+Shift+r exec tovani toggle\" to sway's "
                                           "configuration file (~/.config/sway/config).");
    if (is("hyprland"))
        return QCoreApplication::translate("Platform",
                                           "To use a shortcut, add a line such as "
                                           "\"bind = CTRL SHIFT, R, exec, tovani toggle\" to Hyprland's "
                                           "configuration file (~/.config/hypr/hyprland.conf).");
    return QCoreApplication::translate("Platform",
                                       "To use a shortcut, bind a key to the command \"tovani toggle\" "
                                       "(or another command) in your desktop's keyboard settings or "
                                       "configuration file.");
}

std::unique_ptr<HotkeyService> createHotkeyService()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    // The portal starts on demand: asking for the interface's version starts
    // it, and fails when it has no GlobalShortcuts.
    QDBusMessage ask = QDBusMessage::createMethodCall(portalService, portalPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    ask.setArguments({shortcutsInterface, QStringLiteral("version")});
    const QDBusMessage version = bus.call(ask, QDBus::Block, 3000);
    if (version.type() != QDBusMessage::ReplyMessage)
        return nullptr;
    return std::make_unique<PortalHotkeys>(bus);
}

} // namespace platform::portal

#include "PortalHotkeys.moc"
