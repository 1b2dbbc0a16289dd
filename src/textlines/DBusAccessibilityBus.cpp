#include "textlines/DBusAccessibilityBus.h"

#include "platform/dbus/DBusTypes.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QUuid>

namespace textlines {

namespace {

Q_LOGGING_CATEGORY(lcBus, "tovani.textlines.bus", QtWarningMsg)

const QString kNullPath = QStringLiteral("/org/a11y/atspi/null");
const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kComponent = QStringLiteral("org.a11y.atspi.Component");
const QString kText = QStringLiteral("org.a11y.atspi.Text");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kRegistry = QStringLiteral("org.a11y.atspi.Registry");
constexpr int kCallTimeoutMs = 1000;
constexpr uint kBoundaryLineStart = 5;
constexpr int kStateFocused = 12;

QDBusMessage sessionCall(const QString &interface, const QString &method, const QVariantList &args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"),
                                                    QStringLiteral("/org/a11y/bus"), interface, method);
    m.setArguments(args);
    return m;
}

using platform::dbus::read;

} // namespace

// Read only once the signature said "(so)".
static const QDBusArgument &operator>>(const QDBusArgument &arg, AccessibleRef &ref)
{
    QDBusObjectPath path;
    arg.beginStructure();
    arg >> ref.service >> path;
    arg.endStructure();
    ref.path = path.path();
    return arg;
}

namespace {

// "object:text-caret-moved" is the signal TextCaretMoved of
// org.a11y.atspi.Event.Object.
std::pair<QString, QString> signalOf(const QString &event)
{
    const QStringList parts = event.split(QLatin1Char(':'));
    if (parts.size() < 2)
        return {};
    QString iface = QStringLiteral("org.a11y.atspi.Event.") + parts[0];
    iface[21] = iface[21].toUpper();
    QString member;
    for (const QString &word : parts[1].split(QLatin1Char('-'), Qt::SkipEmptyParts))
        member += word.left(1).toUpper() + word.mid(1);
    return {iface, member};
}

} // namespace

bool AccessibleRef::isNull() const
{
    return service.isEmpty() || path.isEmpty() || path == kNullPath;
}

DBusAccessibilityBus::DBusAccessibilityBus(QObject *parent)
    : AccessibilityBus(parent),
      m_connectionName(QStringLiteral("tovani-a11y-") + QUuid::createUuid().toString(QUuid::Id128)),
      m_bus(m_connectionName)
{
}

DBusAccessibilityBus::~DBusAccessibilityBus()
{
    close();
}

void DBusAccessibilityBus::send(const QDBusConnection &connection, const QDBusMessage &message,
                                const QString &signature, Parse parse, std::function<void()> failed)
{
    if (!m_calls)
        m_calls = new QObject(this);
    auto *watcher = new QDBusPendingCallWatcher(connection.asyncCall(message, kCallTimeoutMs), m_calls);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            [this, watcher, message, signature, parse = std::move(parse), failed = std::move(failed)] {
                watcher->deleteLater();
                if (!m_calls || watcher->parent() != m_calls)
                    return; // dropped by close()
                const QDBusMessage reply = watcher->reply();
                if (const std::optional<QVariantList> args = platform::dbus::replyArguments(reply, signature)) {
                    qCDebug(lcBus) << message.member() << message.arguments() << "to" << message.service()
                                   << message.path() << "answered" << reply.arguments();
                    parse(*args);
                    return;
                }
                qCDebug(lcBus) << message.member() << message.arguments() << "to" << message.service()
                               << message.path() << "failed:" << reply.signature() << reply.errorName()
                               << reply.errorMessage();
                const bool busLost = m_open && !m_bus.isConnected();
                failed();
                if (busLost)
                    lost();
            });
}

template <typename T>
void DBusAccessibilityBus::call(const AccessibleRef &object, const QString &interface, const QString &method,
                                const QVariantList &args, const QString &signature, Reply<T> reply,
                                std::function<std::optional<T>(const QVariantList &)> parse)
{
    if (!m_open || object.isNull()) {
        QMetaObject::invokeMethod(
            this, [reply] { reply(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage m = QDBusMessage::createMethodCall(object.service, object.path, interface, method);
    m.setArguments(args);
    send(
        m_bus, m, signature, [reply, parse](const QVariantList &r) { reply(parse(r)); },
        [reply] { reply(std::nullopt); });
}

template <typename T>
void DBusAccessibilityBus::call(const AccessibleRef &object, const QString &interface, const QString &method,
                                const QVariantList &args, const QString &signature, Reply<T> reply)
{
    call<T>(object, interface, method, args, signature, std::move(reply),
            [signature](const QVariantList &r) { return read<T>(r.value(0), signature); });
}

template <typename T>
void DBusAccessibilityBus::property(const AccessibleRef &object, const QString &interface, const QString &name,
                                    const QString &signature, Reply<T> reply)
{
    call<T>(object, kProperties, QStringLiteral("Get"), {interface, name}, QStringLiteral("v"), std::move(reply),
            [signature](const QVariantList &r) { return read<T>(r.value(0), signature); });
}

void DBusAccessibilityBus::readEnabled(Reply<bool> reply)
{
    send(
        QDBusConnection::sessionBus(),
        sessionCall(kProperties, QStringLiteral("Get"),
                    {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled")}),
        QStringLiteral("v"), [reply](const QVariantList &r) { reply(read<bool>(r.value(0), u"b")); },
        [reply] { reply(std::nullopt); });
}

void DBusAccessibilityBus::writeEnabled(bool enabled)
{
    // Nobody waits for the answer; the message leaves even when Tovani is
    // about to quit.
    QDBusConnection::sessionBus().send(
        sessionCall(kProperties, QStringLiteral("Set"),
                    {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                     QVariant::fromValue(QDBusVariant(enabled))}));
}

void DBusAccessibilityBus::open(Reply<bool> reply)
{
    send(
        QDBusConnection::sessionBus(),
        sessionCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"), {}), QStringLiteral("s"),
        [this, reply](const QVariantList &r) {
            const QString address = r.value(0).toString();
            if (!m_open && !address.isEmpty()) {
                m_bus = QDBusConnection::connectToBus(address, m_connectionName);
                m_open = m_bus.isConnected();
                if (!m_open)
                    QDBusConnection::disconnectFromBus(m_connectionName);
            }
            reply(m_open);
        },
        [reply] { reply(false); });
}

void DBusAccessibilityBus::close()
{
    // Later: close() may run inside the answer of one of these calls.
    if (m_calls)
        m_calls->deleteLater();
    m_calls = nullptr;
    if (!m_open)
        return;
    for (const QString &event : std::as_const(m_events))
        subscribe(event, false);
    m_events.clear();
    m_open = false;
    m_bus = QDBusConnection(QString());
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void DBusAccessibilityBus::lost()
{
    m_events.clear();
    close();
    Q_EMIT disconnected();
}

void DBusAccessibilityBus::applications(Reply<QList<AccessibleRef>> reply)
{
    children({kRegistry, QStringLiteral("/org/a11y/atspi/accessible/root")}, std::move(reply));
}

void DBusAccessibilityBus::processId(const QString &service, Reply<qint64> reply)
{
    call<qint64>({QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus")},
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"),
                 {service}, QStringLiteral("u"), std::move(reply),
                 [](const QVariantList &r) { return std::optional<qint64>(r.value(0).toUInt()); });
}

void DBusAccessibilityBus::children(const AccessibleRef &object, Reply<QList<AccessibleRef>> reply)
{
    call<QList<AccessibleRef>>(object, kAccessible, QStringLiteral("GetChildren"), {}, QStringLiteral("a(so)"),
                               std::move(reply));
}

void DBusAccessibilityBus::parent(const AccessibleRef &object, Reply<AccessibleRef> reply)
{
    property<AccessibleRef>(object, kAccessible, QStringLiteral("Parent"), QStringLiteral("(so)"), std::move(reply));
}

void DBusAccessibilityBus::indexInParent(const AccessibleRef &object, Reply<int> reply)
{
    call<int>(object, kAccessible, QStringLiteral("GetIndexInParent"), {}, QStringLiteral("i"), std::move(reply));
}

void DBusAccessibilityBus::childAtIndex(const AccessibleRef &object, int index, Reply<AccessibleRef> reply)
{
    call<AccessibleRef>(object, kAccessible, QStringLiteral("GetChildAtIndex"), {index}, QStringLiteral("(so)"),
                        std::move(reply));
}

void DBusAccessibilityBus::isFocused(const AccessibleRef &object, Reply<bool> reply)
{
    call<bool>(object, kAccessible, QStringLiteral("GetState"), {}, QStringLiteral("au"), std::move(reply),
               [](const QVariantList &r) -> std::optional<bool> {
                   const QList<uint> words = read<QList<uint>>(r.value(0), u"au").value_or(QList<uint>());
                   return !words.isEmpty() && (words.first() & (1u << kStateFocused)) != 0;
               });
}

void DBusAccessibilityBus::extents(const AccessibleRef &object, CoordType coords, Reply<QRect> reply)
{
    call<QRect>(object, kComponent, QStringLiteral("GetExtents"), {uint(coords)}, QStringLiteral("(iiii)"),
                std::move(reply));
}

void DBusAccessibilityBus::accessibleAtPoint(const AccessibleRef &object, QPoint point, CoordType coords,
                                             Reply<AccessibleRef> reply)
{
    call<AccessibleRef>(object, kComponent, QStringLiteral("GetAccessibleAtPoint"),
                        {point.x(), point.y(), uint(coords)}, QStringLiteral("(so)"), std::move(reply));
}

void DBusAccessibilityBus::characterCount(const AccessibleRef &object, Reply<int> reply)
{
    property<int>(object, kText, QStringLiteral("CharacterCount"), QStringLiteral("i"), std::move(reply));
}

void DBusAccessibilityBus::offsetAtPoint(const AccessibleRef &object, QPoint point, CoordType coords,
                                         Reply<int> reply)
{
    call<int>(object, kText, QStringLiteral("GetOffsetAtPoint"), {point.x(), point.y(), uint(coords)},
              QStringLiteral("i"), std::move(reply));
}

void DBusAccessibilityBus::lineAtOffset(const AccessibleRef &object, int offset, Reply<TextSpan> reply)
{
    call<TextSpan>(object, kText, QStringLiteral("GetTextAtOffset"), {offset, kBoundaryLineStart},
                   QStringLiteral("sii"), std::move(reply), [](const QVariantList &r) {
                       return std::optional<TextSpan>(
                           TextSpan{r.value(0).toString(), r.value(1).toInt(), r.value(2).toInt()});
                   });
}

void DBusAccessibilityBus::rangeExtents(const AccessibleRef &object, int start, int end, CoordType coords,
                                        Reply<QRect> reply)
{
    call<QRect>(object, kText, QStringLiteral("GetRangeExtents"), {start, end, uint(coords)},
                QStringLiteral("iiii"), std::move(reply), [](const QVariantList &r) {
                    return std::optional<QRect>(
                        QRect(r.value(0).toInt(), r.value(1).toInt(), r.value(2).toInt(), r.value(3).toInt()));
                });
}

void DBusAccessibilityBus::listen(const QStringList &events)
{
    if (!m_open)
        return;
    const QSet<QString> wanted(events.begin(), events.end());
    for (const QString &event : m_events - wanted)
        subscribe(event, false);
    for (const QString &event : wanted - m_events)
        subscribe(event, true);
    m_events = wanted;
}

void DBusAccessibilityBus::subscribe(const QString &event, bool on)
{
    const auto [iface, member] = signalOf(event);
    if (iface.isEmpty())
        return;
    // The match rule first, so that no event sent once the applications heard
    // of the listener is missed.
    if (on)
        m_bus.connect(QString(), QString(), iface, member, this, SLOT(onEvent(QDBusMessage)));
    else
        m_bus.disconnect(QString(), QString(), iface, member, this, SLOT(onEvent(QDBusMessage)));
    QDBusMessage m = QDBusMessage::createMethodCall(
        kRegistry, QStringLiteral("/org/a11y/atspi/registry"), kRegistry,
        on ? QStringLiteral("RegisterEvent") : QStringLiteral("DeregisterEvent"));
    m.setArguments({event});
    m_bus.send(m);
}

void DBusAccessibilityBus::onEvent(const QDBusMessage &message)
{
    // An event is (kind, detail1, detail2, any, ...): older toolkits end it
    // differently, all begin the same.
    if (!message.signature().startsWith(QLatin1String("siiv")))
        return;
    const QString member = message.member();
    for (const QString &event : std::as_const(m_events)) {
        if (signalOf(event).second == member) {
            Q_EMIT this->event(event, AccessibleRef{message.service(), message.path()},
                               message.arguments().at(1).toInt());
            return;
        }
    }
}

} // namespace textlines
