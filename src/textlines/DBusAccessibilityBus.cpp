#include "textlines/DBusAccessibilityBus.h"

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

// An argument that is a D-Bus structure or array arrives as a QDBusArgument;
// a property arrives wrapped in a variant first.
QDBusArgument structured(QVariant v)
{
    if (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>())
        v = v.value<QDBusVariant>().variant();
    return v.value<QDBusArgument>();
}

std::optional<AccessibleRef> readRef(const QDBusArgument &arg)
{
    if (arg.currentType() != QDBusArgument::StructureType)
        return std::nullopt;
    AccessibleRef ref;
    QDBusObjectPath path;
    arg.beginStructure();
    arg >> ref.service >> path;
    arg.endStructure();
    ref.path = path.path();
    return ref;
}

std::optional<QList<AccessibleRef>> readRefs(const QDBusArgument &arg)
{
    if (arg.currentType() != QDBusArgument::ArrayType)
        return std::nullopt;
    QList<AccessibleRef> refs;
    arg.beginArray();
    while (!arg.atEnd()) {
        std::optional<AccessibleRef> ref = readRef(arg);
        if (!ref)
            return std::nullopt;
        refs.append(*ref);
    }
    arg.endArray();
    return refs;
}

std::optional<int> readInt(const QDBusMessage &m, int index = 0)
{
    if (m.arguments().size() <= index)
        return std::nullopt;
    QVariant v = m.arguments().at(index);
    if (v.userType() == qMetaTypeId<QDBusVariant>())
        v = v.value<QDBusVariant>().variant();
    bool ok = false;
    const int value = v.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<QRect> readRect(const QDBusMessage &m)
{
    std::optional<int> x = readInt(m, 0), y = readInt(m, 1), w = readInt(m, 2), h = readInt(m, 3);
    if (!x || !y || !w || !h)
        return std::nullopt;
    return QRect(*x, *y, *w, *h);
}

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

void DBusAccessibilityBus::send(const QDBusConnection &connection, const QDBusMessage &message, Parse parse,
                                std::function<void()> failed)
{
    if (!m_calls)
        m_calls = new QObject(this);
    auto *watcher = new QDBusPendingCallWatcher(connection.asyncCall(message, kCallTimeoutMs), m_calls);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            [this, watcher, message, parse = std::move(parse), failed = std::move(failed)] {
                watcher->deleteLater();
                if (!m_calls || watcher->parent() != m_calls)
                    return; // dropped by close()
                const QDBusMessage reply = watcher->reply();
                if (reply.type() == QDBusMessage::ReplyMessage) {
                    qCDebug(lcBus) << message.member() << message.arguments() << "to" << message.service()
                                   << message.path() << "answered" << reply.arguments();
                    parse(reply);
                    return;
                }
                qCDebug(lcBus) << message.member() << message.arguments() << "to" << message.service()
                               << message.path() << "failed:" << reply.errorName() << reply.errorMessage();
                const bool busLost = m_open && !m_bus.isConnected();
                failed();
                if (busLost)
                    lost();
            });
}

template <typename T>
void DBusAccessibilityBus::call(const AccessibleRef &object, const QString &interface, const QString &method,
                                const QVariantList &args, Reply<T> reply,
                                std::function<std::optional<T>(const QDBusMessage &)> parse)
{
    if (!m_open || object.isNull()) {
        QMetaObject::invokeMethod(
            this, [reply] { reply(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage m = QDBusMessage::createMethodCall(object.service, object.path, interface, method);
    m.setArguments(args);
    send(
        m_bus, m, [reply, parse](const QDBusMessage &r) { reply(parse(r)); },
        [reply] { reply(std::nullopt); });
}

void DBusAccessibilityBus::readEnabled(Reply<bool> reply)
{
    send(
        QDBusConnection::sessionBus(),
        sessionCall(kProperties, QStringLiteral("Get"),
                    {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled")}),
        [reply](const QDBusMessage &r) {
            const QVariant v = r.arguments().value(0).value<QDBusVariant>().variant();
            reply(v.userType() == QMetaType::Bool ? std::optional<bool>(v.toBool()) : std::nullopt);
        },
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
        sessionCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"), {}),
        [this, reply](const QDBusMessage &r) {
            const QString address = r.arguments().value(0).toString();
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
                 {service}, std::move(reply), [](const QDBusMessage &m) -> std::optional<qint64> {
                     bool ok = false;
                     const qint64 pid = m.arguments().value(0).toLongLong(&ok);
                     return ok ? std::optional<qint64>(pid) : std::nullopt;
                 });
}

void DBusAccessibilityBus::children(const AccessibleRef &object, Reply<QList<AccessibleRef>> reply)
{
    call<QList<AccessibleRef>>(
        object, kAccessible, QStringLiteral("GetChildren"), {}, std::move(reply),
        [](const QDBusMessage &m) { return readRefs(structured(m.arguments().value(0))); });
}

void DBusAccessibilityBus::parent(const AccessibleRef &object, Reply<AccessibleRef> reply)
{
    call<AccessibleRef>(object, kProperties, QStringLiteral("Get"), {kAccessible, QStringLiteral("Parent")},
                        std::move(reply),
                        [](const QDBusMessage &m) { return readRef(structured(m.arguments().value(0))); });
}

void DBusAccessibilityBus::indexInParent(const AccessibleRef &object, Reply<int> reply)
{
    call<int>(object, kAccessible, QStringLiteral("GetIndexInParent"), {}, std::move(reply),
              [](const QDBusMessage &m) { return readInt(m); });
}

void DBusAccessibilityBus::childAtIndex(const AccessibleRef &object, int index, Reply<AccessibleRef> reply)
{
    call<AccessibleRef>(object, kAccessible, QStringLiteral("GetChildAtIndex"), {index}, std::move(reply),
                        [](const QDBusMessage &m) { return readRef(structured(m.arguments().value(0))); });
}

void DBusAccessibilityBus::isFocused(const AccessibleRef &object, Reply<bool> reply)
{
    call<bool>(object, kAccessible, QStringLiteral("GetState"), {}, std::move(reply),
               [](const QDBusMessage &m) -> std::optional<bool> {
                   const QDBusArgument arg = structured(m.arguments().value(0));
                   if (arg.currentType() != QDBusArgument::ArrayType)
                       return std::nullopt;
                   QList<uint> words;
                   arg >> words;
                   return !words.isEmpty() && (words.first() & (1u << kStateFocused)) != 0;
               });
}

void DBusAccessibilityBus::extents(const AccessibleRef &object, CoordType coords, Reply<QRect> reply)
{
    call<QRect>(object, kComponent, QStringLiteral("GetExtents"), {uint(coords)}, std::move(reply),
                [](const QDBusMessage &m) -> std::optional<QRect> {
                    const QDBusArgument arg = structured(m.arguments().value(0));
                    if (arg.currentType() != QDBusArgument::StructureType)
                        return std::nullopt;
                    int x = 0, y = 0, w = 0, h = 0;
                    arg.beginStructure();
                    arg >> x >> y >> w >> h;
                    arg.endStructure();
                    return QRect(x, y, w, h);
                });
}

void DBusAccessibilityBus::accessibleAtPoint(const AccessibleRef &object, QPoint point, CoordType coords,
                                             Reply<AccessibleRef> reply)
{
    call<AccessibleRef>(object, kComponent, QStringLiteral("GetAccessibleAtPoint"),
                        {point.x(), point.y(), uint(coords)}, std::move(reply),
                        [](const QDBusMessage &m) { return readRef(structured(m.arguments().value(0))); });
}

void DBusAccessibilityBus::characterCount(const AccessibleRef &object, Reply<int> reply)
{
    call<int>(object, kProperties, QStringLiteral("Get"), {kText, QStringLiteral("CharacterCount")},
              std::move(reply), [](const QDBusMessage &m) { return readInt(m); });
}

void DBusAccessibilityBus::offsetAtPoint(const AccessibleRef &object, QPoint point, CoordType coords,
                                         Reply<int> reply)
{
    call<int>(object, kText, QStringLiteral("GetOffsetAtPoint"), {point.x(), point.y(), uint(coords)},
              std::move(reply), [](const QDBusMessage &m) { return readInt(m); });
}

void DBusAccessibilityBus::lineAtOffset(const AccessibleRef &object, int offset, Reply<TextSpan> reply)
{
    call<TextSpan>(object, kText, QStringLiteral("GetTextAtOffset"), {offset, kBoundaryLineStart},
                   std::move(reply), [](const QDBusMessage &m) -> std::optional<TextSpan> {
                       std::optional<int> start = readInt(m, 1), end = readInt(m, 2);
                       if (!start || !end)
                           return std::nullopt;
                       return TextSpan{m.arguments().value(0).toString(), *start, *end};
                   });
}

void DBusAccessibilityBus::rangeExtents(const AccessibleRef &object, int start, int end, CoordType coords,
                                        Reply<QRect> reply)
{
    call<QRect>(object, kText, QStringLiteral("GetRangeExtents"), {start, end, uint(coords)},
                std::move(reply), [](const QDBusMessage &m) { return readRect(m); });
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
    const QString member = message.member();
    for (const QString &event : std::as_const(m_events)) {
        if (signalOf(event).second == member) {
            Q_EMIT this->event(event, AccessibleRef{message.service(), message.path()},
                               readInt(message, 1).value_or(0));
            return;
        }
    }
}

} // namespace textlines
