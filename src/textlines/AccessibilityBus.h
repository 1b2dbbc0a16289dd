#pragma once

// The few questions AtspiTextLines asks of the accessibility bus (AT-SPI 2
// over D-Bus), each answered later through a callback: the answer, or nothing
// when the peer failed, went away or does not know. Callbacks run on the main
// thread, never from inside the call that asked, and never after the bus
// object is gone. DBusAccessibilityBus speaks QtDBus; tests put a fake in.

#include <QHashFunctions>
#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace textlines {

// An accessible object: the bus name of its application and its path.
struct AccessibleRef
{
    QString service;
    QString path;

    bool isNull() const;
    bool operator==(const AccessibleRef &other) const = default;
};

inline size_t qHash(const AccessibleRef &ref, size_t seed = 0)
{
    return qHashMulti(seed, ref.service, ref.path);
}

// What Text.GetTextAtOffset says of a line: its text and [start, end).
struct TextSpan
{
    QString text;
    int start = 0;
    int end = 0;
};

// AT-SPI coordinate types.
enum class CoordType
{
    Screen = 0,
    Window = 1
};

class AccessibilityBus : public QObject
{
    Q_OBJECT
public:
    template <typename T> using Reply = std::function<void(std::optional<T>)>;

    using QObject::QObject;

    // The session's switch that tells applications to expose themselves
    // (org.a11y.Status.IsEnabled on the session bus).
    virtual void readEnabled(Reply<bool> reply) = 0;
    virtual void writeEnabled(bool enabled) = 0;

    // Connects to the accessibility bus (its address comes from the session
    // bus); false when there is none. close() drops the connection, every
    // subscription and every pending answer.
    virtual void open(Reply<bool> reply) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // The applications registered with the accessibility registry (their
    // root objects), and the process behind a bus name.
    virtual void applications(Reply<QList<AccessibleRef>> reply) = 0;
    virtual void processId(const QString &service, Reply<qint64> reply) = 0;

    // Accessible
    virtual void children(const AccessibleRef &object, Reply<QList<AccessibleRef>> reply) = 0;
    virtual void parent(const AccessibleRef &object, Reply<AccessibleRef> reply) = 0;
    virtual void indexInParent(const AccessibleRef &object, Reply<int> reply) = 0;
    virtual void childAtIndex(const AccessibleRef &object, int index, Reply<AccessibleRef> reply) = 0;
    virtual void isFocused(const AccessibleRef &object, Reply<bool> reply) = 0;
    // Component
    virtual void extents(const AccessibleRef &object, CoordType coords, Reply<QRect> reply) = 0;
    virtual void accessibleAtPoint(const AccessibleRef &object, QPoint point, CoordType coords,
                                   Reply<AccessibleRef> reply) = 0;
    // Text
    virtual void characterCount(const AccessibleRef &object, Reply<int> reply) = 0;
    virtual void offsetAtPoint(const AccessibleRef &object, QPoint point, CoordType coords,
                               Reply<int> reply) = 0;
    virtual void lineAtOffset(const AccessibleRef &object, int offset, Reply<TextSpan> reply) = 0;
    virtual void rangeExtents(const AccessibleRef &object, int start, int end, CoordType coords,
                              Reply<QRect> reply) = 0;

    // Asks the applications for these events ("object:text-caret-moved", ...)
    // and reports them as event(); replaces the set asked for before. An
    // empty list asks for none.
    virtual void listen(const QStringList &events) = 0;

Q_SIGNALS:
    // An event asked for by listen(): its name as given there, the object it
    // is about and its first detail (the caret's offset for a caret move).
    void event(const QString &name, const textlines::AccessibleRef &source, int detail);
    // The accessibility bus went away; the bus is closed now.
    void disconnected();
};

} // namespace textlines
