#include "ui/LaunchAtLogin.h"

#include "settings/Settings.h"

#include <QCoreApplication>

namespace {

// The reason goes on one line whatever the backend put in it.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

bool LaunchAtLogin::isEnabled() const { return m_loginItem.isEnabled(); }

std::optional<QString> LaunchAtLogin::setEnabled(bool enabled)
{
    QString error;
    if (m_loginItem.setEnabled(enabled, &error)) {
        AppSettings &settings = AppSettings::shared();
        settings.setLaunchAtLogin(enabled);
        return std::nullopt;
    }

    if (error.isEmpty())
        error = QCoreApplication::translate("LaunchAtLogin", "unknown error");
    return (enabled ? QCoreApplication::translate("LaunchAtLogin", "Failed to enable launch at login: %1")
                    : QCoreApplication::translate("LaunchAtLogin", "Failed to disable launch at login: %1"))
        .arg(oneLine(error));
}
