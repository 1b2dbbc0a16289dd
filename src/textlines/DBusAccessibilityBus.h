#pragma once

// AccessibilityBus over QtDBus: the session bus for the accessibility switch
// and the bus's address, a private connection to the accessibility bus for
// everything else. Every call is asynchronous and gives up after a second.

#include "textlines/AccessibilityBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QPointer>
#include <QSet>

namespace textlines {

class DBusAccessibilityBus : public AccessibilityBus
{
    Q_OBJECT
public:
    explicit DBusAccessibilityBus(QObject *parent = nullptr);
    ~DBusAccessibilityBus() override;

    void readEnabled(Reply<bool> reply) override;
    void writeEnabled(bool enabled) override;
    void open(Reply<bool> reply) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void applications(Reply<QList<AccessibleRef>> reply) override;
    void processId(const QString &service, Reply<qint64> reply) override;
    void children(const AccessibleRef &object, Reply<QList<AccessibleRef>> reply) override;
    void parent(const AccessibleRef &object, Reply<AccessibleRef> reply) override;
    void indexInParent(const AccessibleRef &object, Reply<int> reply) override;
    void childAtIndex(const AccessibleRef &object, int index, Reply<AccessibleRef> reply) override;
    void isFocused(const AccessibleRef &object, Reply<bool> reply) override;
    void extents(const AccessibleRef &object, CoordType coords, Reply<QRect> reply) override;
    void accessibleAtPoint(const AccessibleRef &object, QPoint point, CoordType coords,
                           Reply<AccessibleRef> reply) override;
    void characterCount(const AccessibleRef &object, Reply<int> reply) override;
    void offsetAtPoint(const AccessibleRef &object, QPoint point, CoordType coords,
                       Reply<int> reply) override;
    void lineAtOffset(const AccessibleRef &object, int offset, Reply<TextSpan> reply) override;
    void rangeExtents(const AccessibleRef &object, int start, int end, CoordType coords,
                      Reply<QRect> reply) override;
    void listen(const QStringList &events) override;

private Q_SLOTS:
    void onEvent(const QDBusMessage &message);

private:
    using Parse = std::function<void(const QVariantList &)>;
    // Sends `message` on `connection`; `parse` gets the arguments of a reply
    // of that signature, `failed` an error, the timeout or a reply of any
    // other shape. Neither runs once the bus is closed.
    void send(const QDBusConnection &connection, const QDBusMessage &message, const QString &signature,
              Parse parse, std::function<void()> failed);
    template <typename T>
    void call(const AccessibleRef &object, const QString &interface, const QString &method,
              const QVariantList &args, const QString &signature, Reply<T> reply,
              std::function<std::optional<T>(const QVariantList &)> parse);
    // A call answered by one value of that signature, read as a T.
    template <typename T>
    void call(const AccessibleRef &object, const QString &interface, const QString &method,
              const QVariantList &args, const QString &signature, Reply<T> reply);
    // A property whose value has that signature.
    template <typename T>
    void property(const AccessibleRef &object, const QString &interface, const QString &name,
                  const QString &signature, Reply<T> reply);
    void subscribe(const QString &event, bool on);
    void lost();

    QString m_connectionName;
    bool m_open = false;
    QDBusConnection m_bus;
    QPointer<QObject> m_calls; // parent of the pending calls: deleting it drops them
    QSet<QString> m_events;
};

} // namespace textlines
