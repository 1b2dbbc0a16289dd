#include "platform/dbus/DBusTypes.h"

#include <QDBusMetaType>
#include <QDBusVariant>

namespace platform::dbus {

QString signatureOf(const QVariant &value)
{
    const int type = value.userType();
    if (type == qMetaTypeId<QDBusVariant>())
        return signatureOf(value.value<QDBusVariant>().variant());
    if (type == qMetaTypeId<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    return QString::fromLatin1(QDBusMetaType::typeToSignature(QMetaType(type)));
}

std::optional<QVariantList> replyArguments(const QDBusMessage &reply, QStringView signature)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != signature)
        return std::nullopt;
    return reply.arguments();
}

} // namespace platform::dbus
