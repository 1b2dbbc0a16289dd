#pragma once

// What another program sends over D-Bus is read only once its type is known
// to be the one asked for. QtDBus hands a structure or an array over as a
// QDBusArgument that reads whatever it is told to: reading four ints from a
// "(ss)", or a structure from a string, aborts inside libdbus. Every reply,
// signal and property taken from another program goes through here first; a
// value of any other type counts as no answer.

#include <QDBusArgument>
#include <QDBusMessage>
#include <QString>
#include <QVariant>

#include <optional>

namespace platform::dbus {

// The D-Bus signature of a value as QtDBus gives it: "i", "as", "(so)",
// "a{sv}", ...; a variant's is that of what it holds. Empty for a type D-Bus
// has no signature for.
QString signatureOf(const QVariant &value);

// The arguments of `reply` when it is a method reply whose arguments have
// exactly `signature` ("sii", "(iiii)", "" for none), else nothing.
std::optional<QVariantList> replyArguments(const QDBusMessage &reply, QStringView signature);

// `value`, out of its variant if it came in one, as a T when its signature is
// `signature`, else nothing. T is what QtDBus reads `signature` into: int for
// "i", QRect for "(iiii)", QList<uint> for "au", a type with its own
// operator>> for a structure.
template <typename T> std::optional<T> read(const QVariant &value, QStringView signature)
{
    QVariant inner = value;
    if (inner.userType() == qMetaTypeId<QDBusVariant>())
        inner = inner.value<QDBusVariant>().variant();
    if (signatureOf(inner) != signature)
        return std::nullopt;
    if (inner.userType() != qMetaTypeId<QDBusArgument>())
        return inner.value<T>();
    T result{};
    inner.value<QDBusArgument>() >> result;
    return result;
}

} // namespace platform::dbus
