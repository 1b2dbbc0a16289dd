#include "platform/dbus/TovaniBusName.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcBusName, "tovani.platform.bus")

namespace platform {

TovaniBusName::TovaniBusName(QObject *parent) : QObject(parent)
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus) return;
    const QString name = QLatin1String(tovaniBusName);
    connect(bus, &QDBusConnectionInterface::serviceRegistered, this, [this, name](const QString &service) {
        if (service == name) setOwned(true);
    });
    connect(bus, &QDBusConnectionInterface::serviceUnregistered, this, [this, name](const QString &service) {
        if (service == name) setOwned(false);
    });
    const auto reply = bus->registerService(name, QDBusConnectionInterface::QueueService,
                                            QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        setOwned(true);
    else
        qCWarning(lcBusName) << "another program holds" << name
                             << "on the session bus:" << bus->serviceOwner(name).value()
                             << "- waiting for it to go";
}

void TovaniBusName::setOwned(bool owned)
{
    if (owned == m_owned) return;
    m_owned = owned;
    Q_EMIT ownedChanged(owned);
}

} // namespace platform
